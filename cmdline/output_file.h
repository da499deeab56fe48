// The documents a front end writes, and when they reach the files the user named.
//
// A run that fails must change no file the user named. So a named output that is a regular
// file, or that does not exist yet, is written to a temporary file in the same directory
// (".NAME.orvexdecode-XXXXXX") and renamed over its target only by commit(), once the whole run
// has succeeded: the target keeps its permission bits, and a symbolic link stays a link to the
// file it names, which is the file replaced. An existing file that can't be replaced so (its
// folder takes no new file, or a sticky folder lets only its owner replace it) is refused, never
// written in place. Any other target (a device such as /dev/null, a FIFO, /dev/stdout) is
// written directly, as is standard output.
//
// A temporary file not committed is removed by discard(), on exit() and on every signal that
// ends the process and can be caught (SIGINT, SIGTERM, SIGQUIT, SIGUSR1, SIGALRM, SIGABRT from
// an abort, ...). One that a SIGKILL leaves behind stays locked by no run, and the next run that
// writes the same file removes it.
//
//   output_file out;
//   if (!out.open(path)) ...          // errno says why
//   write the document to out.stream();
//   if (!out.finish()) ...            // a write failed
//   ... finish() every output, then commit() every output
#pragma once

#include <cstdio>
#include <string>

class output_file {
 public:
  output_file() = default;
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;
  ~output_file() { discard(); }

  // Opens the output: standard output when path is nullptr, otherwise the named file (its
  // temporary file, or the file itself when written directly). False with errno set when the
  // target can't be written, or refused() when an existing file can't be replaced through a
  // temporary file; nothing is created or truncated then.
  bool open(const char* path);

  // The last open() failed because the existing target could only have been written in place.
  bool refused() const { return refused_; }

  FILE* stream() const { return stream_; }

  // Flushes and closes the stream; false when any write failed (errno says why).
  bool finish();

  // Renames the finished temporary file over its target; true at once when there is none.
  // False with errno set when the rename failed (the target is then unchanged).
  bool commit();

  // Closes the stream and removes the temporary file, if any; the target is left as it was.
  void discard();

 private:
  FILE* stream_ = nullptr;
  std::string target_;  // the file the temporary file replaces; empty when written directly
  int slot_ = -1;       // the temporary file's entry in the removal list
  int lock_fd_ = -1;    // holds the temporary file locked until it is committed or discarded
  bool refused_ = false;

  void release_lock();
};

// True when two outputs would write one regular file, one document over the other: the same
// existing regular file, or the same path once links are followed and directories resolved for
// a file that does not exist yet. nullptr stands for standard output. Outputs sharing anything
// else (a device, a FIFO) just follow each other and do not collide.
bool outputs_collide(const char* a, const char* b);
