// What the fuzz target and the corpus replay check on one LOG: every entry point of the
// library decodes it without a fault, into well-formed documents, with a non-negative result,
// and gives the same bytes when the LOG arrives a few bytes per read; the XML report and KML
// path from one read are the documents of the XML and KML passes; the flight time line reads it
// to its end with figures that agree with each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// A fuzz input is a LOG, optionally followed by this line and the text of a limits file or an
// aircraft profile (the second input the documents' flights are checked against).
constexpr std::string_view settings_marker = "\n#settings\n";

// Runs every entry point and writes every document over the LOG bytes; returns "" when every check held, otherwise what
// went wrong (which pass, which check).
std::string check_every_entry_point(const std::uint8_t* data, std::size_t size);

// The exports, the HTML report and the summaries of the LOG, the flights checked against the
// limits or the profile that settings holds: each document has its shape (document_checks.h).
std::string check_every_document(std::span<const std::uint8_t> log, std::string_view settings);
