#include "support/xml_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "support/run_program.h"

bool is_well_formed_xml(const std::string& document) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "xmllint is not installed (Debian package libxml2-utils)";
    return false;
  }
  const std::string dir = make_temp_dir();
  const std::string path = dir + "/document.xml";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fwrite(document.data(), 1, document.size(), f);
  std::fclose(f);
  const int status = std::system(("xmllint --noout " + shell_quote(path) + " 2>/dev/null").c_str());
  std::system(("rm -rf " + shell_quote(dir)).c_str());
  return status == 0;
}
