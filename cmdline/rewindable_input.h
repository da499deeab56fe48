// A LOG that a front end reads twice (orvexdecode-report, orvexdecode-export): once for the
// flights and once for its document. A regular file (named, or given on standard input) is
// rewound to where the first read began; anything else (a pipe, a FIFO or device named as the
// LOG, a terminal, a socket) is first copied to a temporary file in TMPDIR (/tmp by default),
// which has no name from the start (or loses it at once) and so never outlives the run. At most
// most_staged_bytes are copied: a longer stream is refused.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>

constexpr std::uint64_t most_staged_bytes = std::uint64_t{4} << 30;  // 4 GiB

struct rewindable_input {
  FILE* stream = nullptr;
  off_t start = 0;
  bool copied = false;  // stream is the temporary copy, closed by close_input
};

// Makes input, which the messages call name, readable twice. Returns "" or, when that failed,
// the error (nothing is left behind then): "Input file can't be read: NAME: reason", "LOG can't
// be copied to a temporary file: NAME: reason", or the refusal of a stream that is too long.
std::string make_rewindable(FILE* input, const char* name, rewindable_input& result);

// Back to the start for the second read; false with errno set when the seek failed.
bool rewind_input(rewindable_input& input);

void close_input(rewindable_input& input);
