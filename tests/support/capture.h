// Test support: run the library with in-memory streams and collect what it writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "decode/decode_context.h"
#include "orvexdecode.h"
#include "log_writer.h"
#include "text/output_writer.h"

// The options and constants the front end starts from.
library_options default_options();
analog_input_const default_constants();

// Runs fn with a writer attached to a temporary stream; returns what was written.
std::string capture_output(const std::function<void(output_writer&)>& fn);

// A decode context, freed with the pointer.
struct context_deleter {
  void operator()(decode_context* ctx) const { OrvexDecode_context_free(ctx); }
};
using context_ptr = std::unique_ptr<decode_context, context_deleter>;
context_ptr make_context();

// A context of the test thread's own, started for a pass with these options and constants (no
// input, no output).
decode_context& started_context(const library_options& options, const analog_input_const& constants = default_constants());

// Runs OrvexDecode_LOG_to_XML over the LOG bytes and returns the document.
std::string decode_xml(const std::string& log, const library_options& options);

// Same, for the other entry points.
std::string decode_kml(const std::string& log, const library_options& options);
std::string decode_frc(const std::string& log, const library_options& options, bool binary);

// The document with its decode time replaced by a fixed text, for whole-document comparison.
std::string mask_decode_time(std::string document);

// printf's "%f" of a value: six decimals.
std::string decimal_text(double value);

// Bytes of a whole file; empty on failure.
std::string read_file(const std::string& path);

// A temporary stream holding text, rewound for reading.
FILE* stream_with(const std::string& text);
std::string drain_stream(FILE* f);

// The default options changed by set, e.g. options_with([](library_options& o) { o.verbose = 1; }).
library_options options_with(const std::function<void(library_options&)>& set);

// One record of source_type holding bytes, dispatched and rendered as the XML pass renders a
// selected record's body, with these options (an unknown type gives its one line).
std::string render_xml_record(std::uint8_t source_type, std::span<const std::uint8_t> bytes,
                              const library_options& options);

// The lines of text that hold none of the needles (each line keeps its newline).
std::string without_lines(const std::string& text, std::initializer_list<const char*> needles);

// How often needle occurs in text.
std::size_t count_of(const std::string& text, const std::string& needle);

// The records of a LOG; framed is false when the last one runs past the end.
struct log_entry {
  int type = 0;
  std::uint32_t timestamp = 0;
  std::string payload;
};
std::vector<log_entry> split_log(const std::string& log, bool* framed = nullptr);

// The shared folder of real receiver data (it may be missing).
std::string realdata_dir();
