#include "analysis/setting_line.h"

#include <cstdio>

std::string quoted(std::string_view s) {
  std::string q;
  q.reserve(s.size() + 2);
  q += '"';
  q.append(s);
  q += '"';
  return q;
}

std::string read_setting_number(setting_line& in, double& value, std::string_view where) {
  std::string_view written;
  switch (in.number(value, written)) {
    case number_read::number: return "";
    case number_read::none: return "expected a number " + std::string(where) + ", found " + quoted(in.next_item());
    case number_read::out_of_range: break;
  }
  char range[64];
  std::snprintf(range, sizeof range, " is not a number from %.0f to %.0f", -largest_setting_value,
                largest_setting_value);
  return quoted(written) + range;
}
