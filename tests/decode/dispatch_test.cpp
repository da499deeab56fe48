// Record selection, the latest-value cache and the source table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "decode/dispatch.h"
#include "decode/source_table.h"
#include "report/xml/xml_report.h"
#include "support/capture.h"

namespace {

// A record of 23 payload bytes: the AHRS type byte, then a few marked bytes.
struct test_record {
  std::vector<std::uint8_t> bytes;
  efis_record record;

  test_record(std::uint32_t type, std::uint32_t timestamp, std::uint8_t ahrs_type = 0, std::size_t length = 23)
      : bytes(length, 0) {
    if (length > 2) bytes[2] = ahrs_type;
    for (std::size_t i = 3; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    record = {type, timestamp, static_cast<std::uint32_t>(length), bytes.data(), 0};
  }
};

bool dispatch(decode_context& ctx, const test_record& r) { return process_efis_record(ctx, r.record).selected; }

}  // namespace

TEST(RecordDispatch, EachTypeIsSelectedByItsOwnFlag) {
  struct row {
    std::uint32_t type;
    std::int32_t library_options::*flag;
  };
  const row rows[] = {
      {1, &library_options::ahrs},     {2, &library_options::eis},     {3, &library_options::gps_1},
      {4, &library_options::analog},   {5, &library_options::sl30_1},  {6, &library_options::sl30_2},
      {7, &library_options::set_menu}, {8, &library_options::state},   {9, &library_options::arinc},
      {10, &library_options::weather}, {11, &library_options::gps_2},  {12, &library_options::sl40},
  };
  for (const row& r : rows) {
    library_options o = default_options();
    EXPECT_FALSE(dispatch(started_context(o), test_record(r.type, 5, 252))) << r.type;
    o.*r.flag = 1;
    EXPECT_TRUE(dispatch(started_context(o), test_record(r.type, 5, 252))) << r.type;
  }
}

TEST(RecordDispatch, AhrsRatesAreSelectedAndCachedByTheirTypeByte) {
  struct row {
    std::int32_t ahrs, ahrs_hr, ahrs_lr;
    std::uint8_t ahrs_type;
    bool selected, cached_hr, cached_lr;
  };
  const row rows[] = {
      {0, 1, 0, 254, true, true, false},  {0, 1, 0, 253, false, false, true},
      {0, 0, 1, 253, true, false, true},  {0, 0, 1, 254, false, true, false},
      {1, 0, 0, 252, true, false, false}, {0, 1, 1, 252, false, false, false},
      {0, 0, 0, 254, false, true, false},
  };
  for (const row& r : rows) {
    decode_context& ctx = started_context(options_with([&](library_options& o) {
      o.ahrs = r.ahrs, o.ahrs_hr = r.ahrs_hr, o.ahrs_lr = r.ahrs_lr;
    }));
    EXPECT_EQ(dispatch(ctx, test_record(1, 77, r.ahrs_type)), r.selected) << int(r.ahrs_type);
    EXPECT_EQ(ctx.summary.ahrs_hr.timestamp() == 77, r.cached_hr) << int(r.ahrs_type);
    EXPECT_EQ(ctx.summary.ahrs_lr.timestamp() == 77, r.cached_lr) << int(r.ahrs_type);
  }
}

// A slot holds the record's bytes up to its layout's size and zeros past a short record, and
// a newer record of the kind replaces it whole, after summaries have read it.
TEST(RecordDispatch, CacheHoldsEachRecordZeroPaddedToItsLayout) {
  decode_context& ctx = started_context(options_with([](library_options& o) { o.verbose = 1; }));
  for (const std::uint32_t type : {1u, 2u, 4u}) {
    for (const std::size_t length : {255u, 5u, 73u, 3u, 23u}) {
      const test_record r(type, static_cast<std::uint32_t>(length), 254, length);
      dispatch(ctx, r);
      const std::uint8_t* image = type == 1 ? ctx.summary.ahrs_hr.image()
                                  : type == 2 ? ctx.summary.eis.image()
                                              : ctx.summary.analog.image();
      const std::size_t size = type == 1 ? ahrs_hr_slot::size : type == 2 ? eis_slot::size : analog_slot::size;
      std::vector<std::uint8_t> expected(r.bytes.begin(), r.bytes.begin() + static_cast<long>(std::min(length, size)));
      expected.resize(size, 0);
      EXPECT_EQ(std::vector<std::uint8_t>(image, image + size), expected) << type << "/" << length;
      FILE* sink = std::tmpfile();
      ctx.out.attach(sink);
      xml_report_steps{ctx, true, 1000, 0}.print_summary();  // reads and decodes the slot
      ctx.out.attach(nullptr);
      std::fclose(sink);
    }
  }
}

TEST(RecordDispatch, UnknownTypesWriteOneLineInTheReport) {
  log_writer log;
  for (const std::uint32_t type : {0u, 13u, 100u, 254u, 255u}) log.record(static_cast<int>(type), 3, "x");
  const std::string doc = decode_xml(log.str(), options_with([](library_options& o) { o.summary = 0; }));
  EXPECT_EQ(count_of(doc, "\t<unknown_entry_type/>\n"), 5u);
}

TEST(RecordDispatch, StartOfPassClearsTheCacheAndLoadsGpsFormats) {
  const library_options o = options_with([&](library_options& o) { o.gps_1_type = 2, o.gps_2_type = 3; });
  decode_context& ctx = started_context(o);
  dispatch(ctx, test_record(2, 10));
  ctx.summary.gps_1.sentences_accepted = 1;
  started_context(o);
  EXPECT_FALSE(ctx.summary.eis.received());
  EXPECT_EQ(ctx.summary.gps_1.sentences_accepted, 0u);
  EXPECT_EQ(ctx.summary.gps_1.format, 2);
  EXPECT_EQ(ctx.summary.gps_2.format, 3);
}

TEST(RecordDispatch, SetMenuRecordsKeepTheEngineUnits) {
  decode_context& ctx = started_context(default_options());
  EXPECT_EQ(ctx.summary.settings.temperature_units, -1);
  for (const char* text : {"345=1", "346=2", "58=6", "345=0x"}) {
    const efis_record r{7, 1, static_cast<std::uint32_t>(std::strlen(text)), reinterpret_cast<const std::uint8_t*>(text), 0};
    process_efis_record(ctx, r);
  }
  EXPECT_EQ(ctx.summary.settings.temperature_units, 0);  // "345=0x" reads as 0
  EXPECT_EQ(ctx.summary.settings.fluid_units, 2);
  EXPECT_EQ(ctx.summary.settings.cylinders, 6);
}

TEST(SourceTypeNames, NamesFollowTheTypeTable) {
  const std::pair<std::uint32_t, const char*> rows[] = {
      {0, "Unknown"},        {1, "AHRS_Input"},   {2, "EIS_Input"},     {3, "GPS1_Input"},
      {4, "ANALOG_Input"},   {5, "SL30_1_Input"}, {6, "SL30_2_Input"},  {7, "Set_Menu"},
      {8, "State"},          {9, "ARINC_Input"},  {10, "Weather_Input"}, {11, "GPS2_Input"},
      {12, "SL40_Input"},    {13, "Unknown"},     {255, "Summary Record"}, {254, "Unknown"},
  };
  for (const auto& [type, name] : rows) EXPECT_EQ(enum_value_source_type(type), name) << type;
  for (std::uint32_t type = 1; type <= last_source_type; ++type) EXPECT_EQ(source_row_of(type).type, type);
}
