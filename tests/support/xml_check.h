// Test support: checks a document with a real XML parser (xmllint).
#pragma once

#include <string>

// True when xmllint reads the document without an error. Fails the calling test (and returns
// false) when xmllint is not installed.
bool is_well_formed_xml(const std::string& document);
