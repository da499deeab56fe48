// Test support: the shipped scenarios under samples/scenarios/, read and flown once per test run.
#pragma once

#include <string>

#include "scenario_simulator.h"

// The scenario files' folder, with its trailing slash.
extern const std::string scenario_dir;

struct flown_scenario {
  scenario planned;
  scenario_truth truth;  // what the scenario planted
  std::string log;       // the LOG it flew
};

// The scenario NAME (without ".scenario"); a scenario that does not read or fly fails the test.
const flown_scenario& fly(const std::string& name);
