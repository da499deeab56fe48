// Test support: run the library with in-memory streams and collect what it writes.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "orvexdecode.h"
#include "log_writer.h"

// The options and constants the front end starts from.
library_options default_options();
analog_input_const default_constants();

// Runs fn with the library's writer attached to a temporary stream; returns what was written.
std::string capture_output(const std::function<void()>& fn);

// Runs OrvexDecode_LOG_to_XML over the LOG bytes and returns the document.
std::string decode_xml(const std::string& log, const library_options& options);

// Same, for the other entry points.
std::string decode_kml(const std::string& log, const library_options& options);
std::string decode_frc(const std::string& log, const library_options& options, bool binary);

// The document with its decode time replaced by a fixed text, for whole-document comparison.
std::string mask_decode_time(std::string document);

// Bytes of a whole file; empty on failure.
std::string read_file(const std::string& path);

// A temporary stream holding text, rewound for reading.
FILE* stream_with(const std::string& text);
std::string drain_stream(FILE* f);
