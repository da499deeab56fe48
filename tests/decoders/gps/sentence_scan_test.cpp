// The pattern reader behind GPS sentence parsing: scan sets, white space, counts and bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "decoders/gps/sentence_scan.h"

namespace {

using scanner = int (*)(std::string_view, std::span<const scan_field>);

struct one_field_row {
  scanner scan;
  std::string text;
  int count;
  std::string field;
};

constexpr scan_pattern digits_then_dash("%5[0-9-]");
constexpr scan_pattern dash_first("%5[-0-9]");
constexpr scan_pattern ident_set("%9[ A-Za-z0-9-+]");
constexpr scan_pattern small_range("%3[a-c]");
constexpr scan_pattern reversed_range("%4[9-0]");
constexpr scan_pattern hex_and_marks("%5[,*0-9A-Fa-f]");
constexpr scan_pattern one_letter("%1[ewEW]");
constexpr scan_pattern dashes_only("%9[-]");

}  // namespace

TEST(GpsScan, ScanSetsFollowTheCLibraryRules) {
  const one_field_row rows[] = {
      {scan_text<digits_then_dash>, "-12-3x", 1, "-12-3"},   // '-' after a range is itself
      {scan_text<digits_then_dash>, "123456", 1, "12345"},   // width bounds the take
      {scan_text<dash_first>, "-7,", 1, "-7"},               // '-' first is itself
      {scan_text<ident_set>, "Ab+-9 zQ", 1, "Ab+-9 zQ"},    // letters, digits, blank, '-', '+'
      {scan_text<ident_set>, "K.", 1, "K"},
      {scan_text<ident_set>, ".K", 0, ""},
      {scan_text<small_range>, "abcd", 1, "abc"},
      {scan_text<small_range>, "-", 0, ""},                  // a '-' inside a range is not in the set
      {scan_text<reversed_range>, "9-05", 1, "9-0"},         // a reversed range is three plain characters
      {scan_text<reversed_range>, "5", 0, ""},
      {scan_text<hex_and_marks>, ",A*1F\r\n", 1, ",A*1F"},
      {scan_text<hex_and_marks>, "*6g", 1, "*6"},
      {scan_text<one_letter>, "WE", 1, "W"},                 // one letter, the rest stays
      {scan_text<dashes_only>, "----------", 1, "---------"},
  };
  for (const one_field_row& r : rows) {
    char field[16] = {};
    const scan_field fields[] = {field_of(field)};
    EXPECT_EQ(r.scan(r.text, std::span<const scan_field>(fields)), r.count) << r.text;
    if (r.count == 1) {
      EXPECT_EQ(std::string(field), r.field) << r.text;
    }
  }
}

TEST(GpsScan, PatternWhiteSpaceMatchesAnyRunIncludingNone) {
  static constexpr scan_pattern pattern("%1[x]\r\nB%1[y]\nC");
  for (const char* text : {"xByC", "x\r\nBy\tC", "x \t\v\f\r\n\n By\nC"}) {
    char x[2] = {}, y[2] = {};
    const scan_field fields[] = {field_of(x), field_of(y)};
    EXPECT_EQ(scan_text<pattern>(text, fields), 2) << text;
    EXPECT_STREQ(y, "y");
  }
}

TEST(GpsScan, CountsConversionsAsTheCLibraryDoes) {
  static constexpr scan_pattern aviation_start("%cz%5[0-9]\nA%3[0-9]");
  static constexpr scan_pattern literal_first("$GP%2[0-9]");
  struct row {
    scanner scan;
    std::string text;
    int count;
  };
  const row rows[] = {
      {scan_text<aviation_start>, "", -1},               // ends before the first conversion
      {scan_text<aviation_start>, "\x02", 1},            // %c counts, then the text ends
      {scan_text<aviation_start>, "\x02y", 1},           // mismatch after the %c
      {scan_text<aviation_start>, "\x02z", 1},
      {scan_text<aviation_start>, "\x02zx", 1},
      {scan_text<aviation_start>, "\x02z12A", 2},
      {scan_text<aviation_start>, "\x02z12\r\nA7", 3},
      {scan_text<aviation_start>, "\xFFz1A1", 3},        // %c takes any byte
      {scan_text<literal_first>, "$G", -1},
      {scan_text<literal_first>, "$GP", -1},
      {scan_text<literal_first>, "$GX12", 0},           // mismatch before the first conversion
      {scan_text<literal_first>, "$GP1", 1},
  };
  for (const row& r : rows) {
    char a[8] = {}, b[8] = {}, c[8] = {};
    const scan_field fields[] = {field_of(a), field_of(b), field_of(c)};
    EXPECT_EQ(r.scan(r.text, std::span<const scan_field>(fields)), r.count) << r.text;
  }
}

TEST(GpsScan, NeverReadsPastTheTextNorWritesPastAField) {
  static constexpr scan_pattern wide("%c%9[0-9]");
  // The text fills its buffer exactly, with no terminating zero behind it.
  const std::string digits = "\x02" "12345678";
  auto exact = std::make_unique<char[]>(digits.size());
  std::memcpy(exact.get(), digits.data(), digits.size());
  struct guarded {
    char field[4];
    char guard[4];
  } out{};
  std::memset(out.guard, 'G', sizeof out.guard);
  const scan_field fields[] = {skipped_field, field_of(out.field)};
  EXPECT_EQ(scan_text<wide>({exact.get(), digits.size()}, fields), 2);
  EXPECT_STREQ(out.field, "123");
  EXPECT_EQ(std::string(out.guard, 4), "GGGG");
}

namespace {

#define AVIATION_ITEMS                                                                          \
  "A%9[ NnSs0-9-]\nB%10[ EeWw0-9-]\nC%3[0-9-]\nD%3[0-9-]\nE%5[0-9-]\nG%5[ LlRr0-9-]\n"        \
  "I%4[0-9-]\nK%5[ A-Za-z0-9-+]\nL%4[0-9-]\nQ%4[EeWw0-9-]\nS%5[NnFf-]\nT%9[-]\nl%6[0-9-]\n"
#define WITH_ALTITUDE "%cz%5[0-9]\n" AVIATION_ITEMS
#define FROM_STX "%c" AVIATION_ITEMS
#define RMC                                                                                    \
  "$GPRMC,%6[0-9],%1[vVaA],%9[0-9.],%1[nsNS],%10[0-9.],%1[ewEW],%5[0-9.],%5[0-9.],%6[0-9],"    \
  "%5[0-9.],%1[ewEW]%5[,*0-9A-Fa-f]\r\n"

constexpr scan_pattern with_altitude(WITH_ALTITUDE);
constexpr scan_pattern from_stx(FROM_STX);
constexpr scan_pattern rmc(RMC);

// Random edits of a valid text: drop, repeat or replace characters with ones the patterns
// care about.
std::string mutate(std::string text, std::mt19937& random) {
  static const std::string alphabet = "0123456789.-+ ,*$\r\nAaBCDEeFGIKLlNnQSsTWwVvzRrMPx\x02\x03\x7F\xC3";
  const int edits = std::uniform_int_distribution<int>(1, 4)(random);
  for (int i = 0; i < edits && !text.empty(); ++i) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random);
    const char c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
      case 0: text.erase(at, 1); break;
      case 1: text.insert(at, 1, c); break;
      case 2: text[at] = c; break;
      default: text.resize(at); break;
    }
  }
  return text;
}

}  // namespace

// The reader and the C library agree on count and every field for texts near real sentences.
TEST(GpsScan, AgreesWithTheCLibraryOnEditedSentences) {
  std::mt19937 random(20240229);
  const std::string aviation =
      "\x02z04985\r\nAN 45 0050\r\nBW 122 5881\r\nC033\r\nD186\r\nE01418\r\nGL0000\r\nI0330\r\n"
      "KYKM  \r\nL0330\r\nQE146\r\nS-----\r\nT---------\r\nl021821\r\n\x03";
  const std::string stx_first = "\r\n" + aviation.substr(0, 1) + aviation.substr(9);
  const std::string sentence = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
  for (int round = 0; round < 3000; ++round) {
    {
      const std::string text = mutate(aviation, random);
      char lead[2] = {}, lead_c = 0;
      char f[14][12] = {}, g[14][12] = {};
      scan_field fields[15] = {field_of(lead)};
      for (int i = 0; i < 14; ++i) fields[i + 1] = field_of(f[i]);
      const int ours = scan_text<with_altitude>(text, fields);
      const int theirs = std::sscanf(text.c_str(), WITH_ALTITUDE, &lead_c, g[0], g[1], g[2], g[3], g[4],
                                     g[5], g[6], g[7], g[8], g[9], g[10], g[11], g[12], g[13]);
      ASSERT_EQ(ours, theirs) << text;
      for (int i = 0; i + 1 < ours; ++i) ASSERT_STREQ(f[i], g[i]) << text;
    }
    {
      const std::string edited = mutate(stx_first, random);
      const std::string text = edited.size() > 2 ? edited.substr(2) : "";
      char f[13][12] = {}, g[13][12] = {}, lead_c = 0;
      scan_field fields[14] = {skipped_field};
      for (int i = 0; i < 13; ++i) fields[i + 1] = field_of(f[i]);
      const int ours = scan_text<from_stx>(text, fields);
      const int theirs = std::sscanf(text.c_str(), FROM_STX, &lead_c, g[0], g[1], g[2], g[3], g[4], g[5],
                                     g[6], g[7], g[8], g[9], g[10], g[11], g[12]);
      ASSERT_EQ(ours, theirs) << text;
      for (int i = 0; i + 1 < ours; ++i) ASSERT_STREQ(f[i], g[i]) << text;
    }
    {
      const std::string text = mutate(sentence, random);
      char f[12][12] = {}, g[12][12] = {};
      scan_field fields[12];
      for (int i = 0; i < 12; ++i) fields[i] = field_of(f[i]);
      const int ours = scan_text<rmc>(text, fields);
      const int theirs = std::sscanf(text.c_str(), RMC, g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7],
                                     g[8], g[9], g[10], g[11]);
      ASSERT_EQ(ours, theirs) << text;
      for (int i = 0; i < ours; ++i) ASSERT_STREQ(f[i], g[i]) << text;
    }
  }
}
