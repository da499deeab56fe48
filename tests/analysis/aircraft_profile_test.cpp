// Aircraft profiles: the shipped files, what a line may say, the line number of a bad one, and
// which cylinders are fitted.
#include <gtest/gtest.h>

#include <string>

#include "analysis/aircraft_profile.h"
#include "support/capture.h"

namespace {

const std::string profiles = std::string(ORVEX_SOURCE_DIR) + "/data/profiles/";

}  // namespace

TEST(AircraftProfile, TheShippedDefaultIsTheBuiltInOne) {
  aircraft_profile p;
  p.aux[2] = {aux_quantity::fuel_pressure_psi, 0.5};  // overwritten by "aux3 = none"
  const profile_parse_result r = read_aircraft_profile(read_file(profiles + "default.profile"), p);
  ASSERT_TRUE(r.ok()) << r.error_line << ": " << r.error;
  const aircraft_profile built_in;
  EXPECT_EQ(p.phases, built_in.phases);
  EXPECT_EQ(p.cylinders, 0);
  EXPECT_TRUE(p.tail.empty());
  EXPECT_TRUE(p.limits.empty());
  for (const aux_channel& a : p.aux) EXPECT_EQ(a.quantity, aux_quantity::none);
}

TEST(AircraftProfile, TheExampleSaysEveryKindOfSetting) {
  aircraft_profile p;
  const profile_parse_result r = read_aircraft_profile(read_file(profiles + "example.profile"), p);
  ASSERT_TRUE(r.ok()) << r.error_line << ": " << r.error;
  EXPECT_EQ(p.tail, "N172AB");
  EXPECT_EQ(p.cylinders, 4);
  EXPECT_EQ(p.horsepower, 180.0);
  EXPECT_EQ(p.induction, induction_kind::carbureted);
  EXPECT_EQ(p.fuel_capacity, 53.0);
  EXPECT_EQ(p.fuel_capacity_unit, fluid_unit::us_gallons);
  EXPECT_EQ(aux_input_of(p, aux_quantity::manifold_pressure_inhg), 0u);
  EXPECT_DOUBLE_EQ(p.aux[0].scale, 0.1);
  EXPECT_EQ(p.phases.liftoff_kt, 50.0);
  ASSERT_EQ(p.limits.size(), 5u);
  EXPECT_EQ(condition_text(p.limits[3].when), "rpm > 1000");
  EXPECT_GT(p.limits[0].line, 0);
}

// Settings read over a profile (as --set reads them) replace its values, limits included.
TEST(AircraftProfile, LaterSettingsReplaceEarlierOnes) {
  aircraft_profile p;
  ASSERT_TRUE(read_aircraft_profile("\xEF\xBB\xBF" "cylinders = 6\r\ncht_max = 460 F\r\naux2 = fuel_pressure_psi * 0.5\r\n", p).ok());
  ASSERT_TRUE(read_aircraft_profile("cylinders=4\ncht_max = 480 F\naux2 = none\naux3 = fuel_pressure_psi", p).ok());
  EXPECT_EQ(p.cylinders, 4);
  ASSERT_EQ(p.limits.size(), 1u);
  EXPECT_EQ(p.limits[0].value, 480.0);
  EXPECT_EQ(aux_input_of(p, aux_quantity::fuel_pressure_psi), 2u);
}

TEST(AircraftProfile, RefusesABadLineWithItsNumber) {
  const struct {
    const char* text;
    int line;
    const char* says;
  } rows[] = {
      {"tail = N1\ntial = N2", 2, "unknown setting \"tial\""},
      {"cylinders 4", 1, "expected \"=\" after cylinders"},
      {"cylinders = 7", 1, "cylinders must lie from 1 to 6, not 7"},
      {"cylinders = 4.5", 1, "cylinders is a whole number"},
      {"horsepower = 180 kW", 1, "unit \"kW\" does not fit horsepower (hp)"},
      {"fuel_capacity = 53 barrels", 1, "does not fit fuel_capacity (gal or L)"},
      {"induction = turbine", 1, "induction is carbureted or injected, not \"turbine\""},
      {"tail = N1 23", 1, "a registration has no blanks"},
      {"tail = N1<23>", 1, "is not a registration"},
      {"aux1 = boost", 1, "unknown quantity \"boost\""},
      {"aux7 = none", 1, "unknown setting \"aux7\""},
      {"aux1 = manifold_pressure_inhg / 0", 1, "must not be 0"},
      {"aux1 = manifold_pressure_inhg + 3", 1, "expected \"/\", \"*\" or the end of the line"},
      {"aux1 = manifold_pressure_inhg\naux2 = manifold_pressure_inhg", 2, "is already on aux1"},
      {"liftoff_speed = 55 mph", 1, "unit \"mph\" does not fit liftoff_speed (kt)"},
      {"liftoff_speed = nan", 1, "\"nan\" is not a number"},
      {"liftoff_speed = 1e2", 1, "unit \"e2\" does not fit liftoff_speed (kt)"},
      {"cylinders = 4 of them", 1, "unit \"of\" does not fit cylinders (none)"},
      {"climb_rate = 5", 1, "climb_rate must lie from 10 to 10000, not 5"},
      {"taxi_speed = 60", 1, "taxi_speed must be below liftoff_speed"},
      {"moving_speed = 20", 1, "moving_speed must be below taxi_speed"},
      {"\n\nrunup_rpm = 1500\nrunup_rpm = 1600", 4, "runup_rpm is already given on line 3"},
      {"cht_max = 460 K", 1, "unit \"K\" does not fit cht_max"},
      {"oil_pressure_min = 25 when rpm > 1000\noil_pressure_min = 20 when rpm > 1000", 2,
       "oil_pressure_min when rpm > 1000 is already given on line 1"},
  };
  for (const auto& r : rows) {
    aircraft_profile p;
    p.cylinders = 2;
    const profile_parse_result result = read_aircraft_profile(r.text, p);
    EXPECT_EQ(result.error_line, r.line) << r.text;
    EXPECT_NE(result.error.find(r.says), std::string::npos) << r.text << "\n" << result.error;
    EXPECT_EQ(p.cylinders, 2) << "a refused text changes nothing";
  }
}

TEST(AircraftProfile, FittedCylindersComeFromTheProfileElseTheLogElseSix) {
  const struct {
    int profile;
    std::int32_t log;
    std::size_t fitted;
  } rows[] = {{4, 6, 4}, {0, 4, 4}, {0, -1, 6}, {0, 0, 6}, {0, 9, 6}, {6, 4, 6}};
  for (const auto& r : rows) {
    aircraft_profile p;
    p.cylinders = r.profile;
    EXPECT_EQ(fitted_cylinders(p, r.log), r.fitted) << r.profile << " " << r.log;
  }
}
