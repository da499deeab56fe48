// The shape each document must have whatever the LOG held: what the fuzz target and the corpus
// replay check on the documents of one LOG. Each returns "" when the document holds, otherwise
// what is wrong with it.
#pragma once

#include <string>

// XML that a parser reads to its end.
bool parses_as_xml(const std::string& doc);

// RFC 4180 text whose records all have the same number of cells (quoted cells may hold commas,
// quotes and line breaks).
std::string csv_cell_count_error(const std::string& doc);

// A well-formed GPX 1.1 document: valid against the published schema where it is at hand
// (../shared/schemas/gpx-1.1.xsd beside the sources), and in any case every track point's
// latitude within +-90 and longitude from -180 up to 180.
std::string gpx_error(const std::string& doc);

// HTML whose elements all close in order: void elements and SVG's self-closing ones stand
// alone, the script's and the style sheet's text is not markup.
std::string html_markup_error(const std::string& doc);

// One JSON object on one line that matches schemas/info.schema.json, closed (a key the schema
// does not describe is an error).
std::string json_summary_error(const std::string& doc);
