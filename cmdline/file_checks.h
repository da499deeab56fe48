// Checks a front end makes on the files it is given, so that no failure passes for success and
// no LOG is lost: standard descriptors closed at start-up, an output that is an input or that
// holds LOG records, a read error on the input, a file that is not a LOG. (Outputs that collide
// with each other: outputs_collide in output_file.h.) Every name and message that reaches the
// terminal goes through terminal_text.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "orvexdecode.h"

// At start-up, before anything is opened: puts /dev/null on each of descriptors 0-2 that is
// closed, so that no file opened later lands on one and passes for a standard stream.
void guard_standard_descriptors();

// True when descriptor fd (0-2) was closed when guard_standard_descriptors ran: a standard
// stream the run needs is then an error, not /dev/null.
bool standard_descriptor_was_closed(int fd);

// True when output (nullptr: standard output) is the very regular file input reads: writing
// it would destroy the LOG, or feed the document back in as records while it grows.
bool is_the_input(FILE* input, const char* output);

// True when the file at path (nullptr: standard output) is a regular file that already begins
// with a LOG record: its first record reads whole and has a source type the LOG format defines.
// Such a file is never overwritten or appended to unless the user says so (--force). A name
// that can't be looked at, or any other kind of file, gives false: opening it will tell.
bool holds_log_records(const char* path);

// The error of a read that failed on input during the last pass, or 0 when every read
// succeeded. Clear errno before the pass: its value after the pass names the reason (EIO when
// it can't be one).
int read_error_of(FILE* input);
// The same reason of a read that failed, from the errno it left.
int read_error_from(int error);

// Text made safe to print on a terminal: control characters (C0, DEL, C1), invisible format
// characters (zero-width ones, direction marks and overrides, the byte-order mark) and bytes
// that are not UTF-8 are shown as \xNN, byte by byte, so that a file name or an option can't
// move the cursor, change colours, or hide or reorder part of a message.
std::string terminal_text(std::string_view text);

// Prints "ERROR: what[: name][: reason of error]" on standard error, name made safe for the
// terminal, then the hint (what to do about it) on a line of its own when there is one.
void print_file_error(const char* what, const char* name = nullptr, int error = 0, const char* hint = nullptr);

// print_file_error, then the end of the run with status 2.
[[noreturn]] void exit_file_error(const char* what, const char* name = nullptr, int error = 0,
                                  const char* hint = nullptr);
