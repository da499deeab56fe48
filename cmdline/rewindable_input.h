// A LOG that a front end reads twice (orvexdecode-report, orvexdecode-export): once for the
// flights and once for its document. A regular file (named, or given on standard input) is
// rewound to where the first read began;
// anything else (a pipe, a terminal, a socket) is first copied whole to a temporary file, which
// is removed as soon as it is made and so never outlives the run.
#pragma once

#include <sys/types.h>

#include <cstdio>

struct rewindable_input {
  FILE* stream = nullptr;
  off_t start = 0;
  bool copied = false;  // stream is the temporary copy, closed by close_input
};

// Makes input readable twice. On failure nothing is left behind and the exit status is 2:
// "ERROR: Input file can't be read: NAME: reason" when the input failed, or "ERROR: Standard
// input can't be copied to a temporary file: reason" when the copy could not be written,
// flushed or rewound (TMPDIR names the directory, /tmp by default).
rewindable_input make_rewindable(FILE* input, const char* name);

// Back to the start for the second read; false with errno set when the seek failed.
bool rewind_input(rewindable_input& input);

void close_input(rewindable_input& input);
