#include "support/xml_check.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/run_program.h"

bool is_well_formed_xml(const std::string& document) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "xmllint is not installed (Debian package libxml2-utils)";
    return false;
  }
  const temp_files t;
  const std::string path = t.write("document.xml", document);
  return std::system(("xmllint --noout " + shell_quote(path) + " 2>/dev/null").c_str()) == 0;
}
