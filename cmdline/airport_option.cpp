#include "airport_option.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "file_checks.h"

void take_airports_option(airport_choice& choice, const char* text, usage_failure fail) {
  choice.given = true;
  choice.source = text;
  if (choice.source.empty()) fail("--airports: a file or \"none\" is needed");
}

double airport_radius_option(const char* text, usage_failure fail) {
  double km = 0.0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, km, std::chars_format::fixed);
  if (error != std::errc() || stop != end || !(km >= 0.0) || km > 50.0) {
    fail(std::string("--airport-radius: not a distance from 0 to 50 km: ") + text);
  }
  return km * 1000.0;
}

airport_lookup open_chosen_airports(const airport_choice& choice) {
  airport_lookup::opened o = airport_lookup::open(choice.given ? choice.source : std::string());
  if (o.error.empty()) return std::move(o.lookup);
  if (choice.given) exit_file_error("Airports can't be read", o.error.c_str());
  std::fprintf(stderr, "warning: airports are not looked up: %s (--airports FILE names one)\n",
               terminal_text(o.error).c_str());
  return airport_lookup();
}
