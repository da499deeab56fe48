#include "limits_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "file_checks.h"

std::vector<aircraft_limit> read_limits_file(const std::string& path) {
  FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) exit_file_error("Limits file can't be opened", path.c_str(), errno);
  std::string text;
  char block[4096];
  std::size_t n;
  errno = 0;
  while ((n = std::fread(block, 1, sizeof block, in)) > 0) text.append(block, n);
  const int error = read_error_of(in);
  std::fclose(in);
  if (error != 0) exit_file_error("Limits file can't be read", path.c_str(), error);
  limits_parse_result parsed = parse_limits(text);
  if (!parsed.ok()) {
    std::fprintf(stderr, "ERROR: %s:%d: %s\n", path.c_str(), parsed.error_line, parsed.error.c_str());
    std::exit(2);
  }
  return std::move(parsed.limits);
}
