#include "api/public_call.h"

#include <algorithm>
#include <new>
#include <vector>
#if !defined(__wasi__)
#include <mutex>
#endif

namespace {

// The contexts conversions run on right now. A conversion notes its context here for its
// length, so a second thread that passes the same context is told (EBUSY) instead of running
// two passes over one reader.
std::vector<const decode_context*> claimed;

#if defined(__wasi__)
// The WebAssembly build runs one thread: nothing to guard.
struct claims_lock {
  claims_lock() {}  // user-provided, so a lock held for its scope is not an unused variable
};
#else
std::mutex claims_mutex;
struct claims_lock {
  std::lock_guard<std::mutex> guard{claims_mutex};
};
#endif

// Notes a claim; false when there is no memory for it.
bool note_claim(const decode_context* context) {
#if defined(__cpp_exceptions)
  try {
    claimed.push_back(context);
  } catch (const std::bad_alloc&) {
    return false;
  }
#else
  claimed.push_back(context);
#endif
  return true;
}

}  // namespace

context_claim::context_claim(const decode_context* context) : context_(context), refusal_(EBUSY) {
  const claims_lock lock;
  if (std::find(claimed.begin(), claimed.end(), context) != claimed.end()) return;
  refusal_ = note_claim(context) ? 0 : ENOMEM;
}

context_claim::~context_claim() {
  if (refusal_ != 0) return;
  const claims_lock lock;
  claimed.erase(std::find(claimed.begin(), claimed.end(), context_));
}
