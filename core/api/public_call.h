// The door of every public conversion (OrvexDecode_LOG_to_* and OrvexDecode_context_LOG_to_*):
// what it checks in the caller's arguments before it touches anything, so that a NULL pointer or
// a context shared between threads gives an error code, never a crash.
//
//   NULL context or stream (input or output)  -1, errno EINVAL; nothing is read or written
//   a context a conversion runs on right now  -1, errno EBUSY (a context is one thread's at a time)
//   no memory for the classic form's context  -1, errno ENOMEM
//   NULL constants or options                 the defaults, OrvexDecode_default_constants()
//                                             and OrvexDecode_default_options()
// The debug stream and the description may be NULL: the debug stream is never written and a
// NULL description is an empty one.
#pragma once

#include <cerrno>
#include <cstdio>
#include <initializer_list>

#include "api/context.h"
#include "decode/decode_context.h"

// Marks context as in use by the calling thread's conversion for as long as it lives.
class context_claim {
 public:
  explicit context_claim(const decode_context* context);
  ~context_claim();
  context_claim(const context_claim&) = delete;
  context_claim& operator=(const context_claim&) = delete;

  // 0 when the context is held, else why not: EBUSY when another conversion holds it, ENOMEM
  // when there was no memory to note it.
  int refusal() const { return refusal_; }

 private:
  const decode_context* context_;
  int refusal_;
};

// Runs fn(context, constants, options) once the arguments pass the checks above.
template <typename Fn>
int run_public_conversion(decode_context* context, const analog_input_const* constants, const library_options* options,
                          std::initializer_list<FILE*> streams, Fn&& fn) {
  bool streams_given = true;
  for (FILE* stream : streams) streams_given = streams_given && stream != nullptr;
  if (context == nullptr || !streams_given) {
    errno = EINVAL;
    return -1;
  }
  const context_claim claim(context);
  if (claim.refusal() != 0) {
    errno = claim.refusal();
    return -1;
  }
  note_path_point_limit(*context, false);
  const analog_input_const default_constants = OrvexDecode_default_constants();
  const library_options default_options = OrvexDecode_default_options();
  return fn(*context, constants != nullptr ? constants : &default_constants,
            options != nullptr ? options : &default_options);
}

// The same for a classic entry point, on the calling thread's own context.
template <typename Fn>
int run_classic_conversion(const analog_input_const* constants, const library_options* options,
                           std::initializer_list<FILE*> streams, Fn&& fn) {
  decode_context* const context = own_context();
  if (context == nullptr) {
    errno = ENOMEM;
    return -1;
  }
  return run_public_conversion(context, constants, options, streams, fn);
}
