// Checks a front end makes on the files it is given, so that no failure passes for success:
// standard descriptors closed at start-up, an output that is the input, a read error on the
// input. (Outputs that collide with each other: outputs_collide in output_file.h.)
#pragma once

#include <cstdio>

// At start-up, before anything is opened: puts /dev/null on each of descriptors 0-2 that is
// closed, so that no file opened later lands on one and passes for a standard stream.
void guard_standard_descriptors();

// True when descriptor fd (0-2) was closed when guard_standard_descriptors ran: a standard
// stream the run needs is then an error, not /dev/null.
bool standard_descriptor_was_closed(int fd);

// True when output (nullptr: standard output) is the very regular file input reads: writing
// it would destroy the LOG, or feed the document back in as records while it grows.
bool is_the_input(FILE* input, const char* output);

// The error of a read that failed on input during the last pass, or 0 when every read
// succeeded. Clear errno before the pass: its value after the pass names the reason (EIO when
// it can't be one).
int read_error_of(FILE* input);

// Prints "ERROR: what[: name][: reason of error]" on standard error, then the hint (what to do
// about it) on a line of its own when there is one, and ends with status 2.
[[noreturn]] void exit_file_error(const char* what, const char* name = nullptr, int error = 0,
                                  const char* hint = nullptr);
