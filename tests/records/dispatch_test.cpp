// Record selection, the latest-value cache and the once-only byte-order conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "records/library_state.h"
#include "xml/xml_report.h"
#include "support/capture.h"

namespace {

efis_record make_record(std::uint32_t type, std::uint32_t timestamp, std::uint8_t ahrs_type = 0) {
  efis_record r{};
  r.source_type = type;
  r.timestamp = timestamp;
  r.length = 23;
  r.payload[2] = ahrs_type;
  r.payload[3] = 0x12;
  r.payload[4] = 0x34;
  return r;
}

void start_pass(const library_options& o, pass_kind pass = pass_kind::xml) {
  const analog_input_const c = default_constants();
  begin_pass(&c, &o, nullptr, nullptr, nullptr, pass);
}

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
    start_pass(o);
    efis_record off = make_record(r.type, 5, 252);
    process_efis_record(&off);
    EXPECT_EQ(off.selected, 0) << r.type;
    o.*r.flag = 1;
    start_pass(o);
    efis_record on = make_record(r.type, 5, 252);
    process_efis_record(&on);
    EXPECT_EQ(on.selected, 1) << r.type;
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
    library_options o = options_with([&](library_options& o) {
      o.ahrs = r.ahrs, o.ahrs_hr = r.ahrs_hr, o.ahrs_lr = r.ahrs_lr;
    });
    start_pass(o);
    efis_record rec = make_record(1, 77, r.ahrs_type);
    process_efis_record(&rec);
    EXPECT_EQ(rec.selected == 1, r.selected) << int(r.ahrs_type);
    EXPECT_EQ(lib.summary.ahrs_hr.timestamp == 77, r.cached_hr) << int(r.ahrs_type);
    EXPECT_EQ(lib.summary.ahrs_lr.timestamp == 77, r.cached_lr) << int(r.ahrs_type);
  }
}

TEST(RecordDispatch, CacheHoldsAWholeUnconvertedCopyWithItsSelection) {
  library_options o = default_options();
  o.eis = 1;
  start_pass(o);
  efis_record rec = make_record(2, 900);
  process_efis_record(&rec);
  EXPECT_EQ(std::memcmp(&lib.summary.eis, &rec, sizeof rec), 0);
  EXPECT_EQ(lib.summary.eis.swapped, 0);
  EXPECT_EQ(lib.summary.eis.selected, 1);
  efis_record analog = make_record(4, 901);
  process_efis_record(&analog);
  EXPECT_EQ(lib.summary.analog.timestamp, 901u);
  EXPECT_EQ(lib.summary.analog.selected, 0);
}

TEST(RecordDispatch, UnknownTypesWriteOneLineInTheXmlPassOnly) {
  for (const std::uint32_t type : {0u, 13u, 100u, 254u, 255u}) {
    start_pass(default_options(), pass_kind::xml);
    efis_record rec = make_record(type, 3);
    EXPECT_EQ(capture_output([&] { process_efis_record(&rec); }), "\t<unknown_entry_type/>\n") << type;
    EXPECT_EQ(rec.selected, 0);
    start_pass(default_options(), pass_kind::path);
    EXPECT_EQ(capture_output([&] { process_efis_record(&rec); }), "") << type;
  }
}

TEST(RecordDispatch, ConversionRunsOncePerRecordAndMarksEveryType) {
  for (const std::uint32_t type : {1u, 2u, 3u, 4u, 7u, 12u, 200u}) {
    efis_record rec = make_record(type, 1, 254);
    swapendian_efis_record(&rec);
    EXPECT_EQ(rec.swapped, 1) << type;
    const efis_record once = rec;
    swapendian_efis_record(&rec);
    EXPECT_EQ(std::memcmp(&rec, &once, sizeof rec), 0) << type;
  }
}

TEST(RecordDispatch, StartOfPassClearsTheCacheAndLoadsGpsFormats) {
  library_options o = options_with([&](library_options& o) { o.gps_1_type = 2, o.gps_2_type = 3; });
  start_pass(o);
  efis_record rec = make_record(2, 10);
  process_efis_record(&rec);
  lib.summary.gps_1.valid = 1;
  start_pass(o);
  EXPECT_EQ(lib.summary.eis.timestamp, 0u);
  EXPECT_EQ(lib.summary.gps_1.valid, 0);
  EXPECT_EQ(lib.summary.gps_1.format, 2);
  EXPECT_EQ(lib.summary.gps_2.format, 3);
}

TEST(SourceTypeNames, NamesFollowTheTypeTable) {
  const std::pair<std::uint32_t, const char*> rows[] = {
      {0, "Unknown"},        {1, "AHRS_Input"},   {2, "EIS_Input"},     {3, "GPS1_Input"},
      {4, "ANALOG_Input"},   {5, "SL30_1_Input"}, {6, "SL30_2_Input"},  {7, "Set_Menu"},
      {8, "State"},          {9, "ARINC_Input"},  {10, "Weather_Input"}, {11, "GPS2_Input"},
      {12, "SL40_Input"},    {13, "Unknown"},     {255, "Summary Record"}, {254, "Unknown"},
  };
  for (const auto& [type, name] : rows) {
    char dest[source_type_desc_size];
    EXPECT_STREQ(enum_value_source_type(dest, type), name) << type;
  }
}

namespace {

bool all_zero(const efis_record& r) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
  for (std::size_t i = 0; i < sizeof r; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

}  // namespace

// The XML pass clears only what a record can have dirtied: after any type and length has been
// read, dispatched, converted and rendered (selected, verbose), the record must be all zero.
TEST(RecordDispatch, ClearingAfterAnyRecordLeavesItAllZero) {
  library_options o = options_with([&](library_options& o) {
    o.verbose = o.debug = 1, o.ahrs = o.eis = o.analog = o.set_menu = o.gps_1 = o.gps_2 = o.state = 1;
  });
  static efis_record rec;
  for (std::uint32_t type = 0; type < 256; ++type) {
    for (const std::uint32_t length : {1u, 2u, 3u, 4u, 10u, 22u, 23u, 34u, 35u, 72u, 73u, 200u, 255u}) {
      start_pass(o);
      std::memset(&rec, 0, sizeof rec);
      rec.source_type = type;
      rec.timestamp = 1234;
      rec.length = length;
      for (std::uint32_t i = 0; i < length; ++i) rec.raw[i] = rec.payload[i] = static_cast<std::uint8_t>(0xA5 ^ i);
      if (length > 2) rec.payload[2] = rec.raw[2] = static_cast<std::uint8_t>(250 + type % 6);
      capture_output([&] {
        process_efis_record(&rec);
        if (rec.selected != 0) {
          enum_value_source_type(rec.source_type_desc, rec.source_type);
          print_xml_efis_record(&rec);
        }
      });
      clear_efis_record(&rec);
      ASSERT_TRUE(all_zero(rec)) << "type " << type << " length " << length;
    }
  }
}

// A cache slot rendered by summaries and then overwritten holds what a whole copy would hold
// in every byte its decoder uses.
TEST(RecordDispatch, CachedCopyMatchesTheRecordInEveryByteItsDecoderUses) {
  library_options o = default_options();
  o.verbose = 1;
  for (const std::uint32_t type : {1u, 2u, 4u}) {
    start_pass(o);
    for (const std::uint32_t length : {255u, 5u, 73u, 1u, 23u}) {
      efis_record rec{};
      rec.source_type = type;
      rec.timestamp = length;
      rec.length = length;
      for (std::uint32_t i = 0; i < length; ++i) rec.raw[i] = rec.payload[i] = static_cast<std::uint8_t>(i + 1);
      if (length > 2) rec.payload[2] = rec.raw[2] = 254;
      process_efis_record(&rec);
      efis_record* slot = type == 1 ? &lib.summary.ahrs_hr : type == 2 ? &lib.summary.eis : &lib.summary.analog;
      if (type == 1 && length <= 2) continue;  // not a high-rate record: not cached
      const std::size_t used = decoded_payload_extent(type);
      EXPECT_EQ(std::memcmp(slot->payload, rec.payload, std::max<std::size_t>(used, length)), 0) << type << "/" << length;
      EXPECT_EQ(slot->timestamp, rec.timestamp);
      EXPECT_EQ(slot->length, rec.length);
      EXPECT_EQ(slot->swapped, 0);
      capture_output([&] { print_xml_summary(&lib.summary); });  // converts and dirties the slot
    }
  }
}
