// What the fuzz target and the corpus replay check on one LOG: every entry point of the
// library decodes it without a fault, into well-formed documents, with a non-negative result,
// and gives the same bytes when the LOG arrives a few bytes per read; the XML report and KML
// path from one read are the documents of the XML and KML passes; the flight time line reads it
// to its end with figures that agree with each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Runs every entry point over the LOG bytes; returns "" when every check held, otherwise what
// went wrong (which pass, which check).
std::string check_every_entry_point(const std::uint8_t* data, std::size_t size);
