#include "support/flown_scenario.h"

#include <gtest/gtest.h>

#include <map>

#include "support/capture.h"

const std::string scenario_dir = std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/";

const flown_scenario& fly(const std::string& name) {
  static std::map<std::string, flown_scenario> cache;
  if (const auto found = cache.find(name); found != cache.end()) return found->second;
  flown_scenario& f = cache[name];
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(scenario_dir + name + ".scenario"), f.planned, error))
      << name << ": " << error_text(error);
  f.log = scenario_log(f.planned, &f.truth, &error);
  EXPECT_FALSE(f.log.empty()) << name << ": " << error_text(error);
  return f;
}
