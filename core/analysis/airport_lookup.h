// Where each takeoff and landing was: the airport lookup as a front end's --airports option
// chooses it, from one of three sources.
//
//   the airport table   the file this project builds from OurAirports' data and installs as
//                       share/orvexdecode/airports.idx (or any file in that format)
//   airports.csv        OurAirports' own CSV layout, with runways.csv beside it (optional),
//                       for a newer copy of the data; read once for all the queries of a call.
//                       Its layout has no time-zone column: an airport found there takes the
//                       zone of the default table's airport nearest to it (within
//                       zone_borrow_radius_m), else none
//   none                no lookups
//
// Without --airports the default table is used. It is looked for, in order:
//   1. $ORVEXDECODE_AIRPORTS, when set and not empty: a table, an airports.csv, or "none";
//   2. ../share/orvexdecode/airports.idx from the folder of the running executable: the
//      installed tree wherever it was installed, and a build tree, whose build writes the
//      table at that place relative to its executables (build/share/orvexdecode/);
//   3. share/orvexdecode/airports.idx under the prefix the program was configured to install in.
//
// Memory stays flat: a table lookup reads the few cells near the point; a CSV is streamed once
// for a whole batch of queries, keeping only the airports near one of them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/airport_data.h"
#include "analysis/airport_table.h"

class airport_lookup {
 public:
  // Lookups off.
  airport_lookup() = default;

  struct opened;
  // Opens a source: "none", a table file, or an airports.csv (a file that does not start as
  // a table does); "" for the default table. The error names the file and what is wrong.
  static opened open(std::string_view source);

  bool enabled() const { return kind_ != kind::none; }
  // The file the airports come from ("" when off), for messages.
  const std::string& source() const { return source_; }

  // Answers every query: matches[i] is the airport for queries[i], or nothing. Returns "" or
  // the error of a damaged or unreadable source (then matches holds nothing).
  std::string find_all(std::span<const airport_query> queries, const airport_options& options,
                       std::vector<std::optional<airport_match>>& matches) const;

 private:
  enum class kind { none, table, csv };
  std::string find_in_csv(std::span<const airport_query> queries, const airport_options& options,
                          std::vector<std::optional<airport_match>>& matches) const;
  kind kind_ = kind::none;
  std::string source_;
  std::string runways_csv_;  // beside airports.csv; "" when there is none
  std::optional<airport_table> table_;
  std::optional<airport_table> zones_;  // the default table, for the zones a CSV lacks
};

// How far the default table's nearest airport may lie from an airport of a CSV without zones
// for its zone to be taken: about the spread of a city's airfields, well inside most zones.
constexpr double zone_borrow_radius_m = 50'000.0;

struct airport_lookup::opened {
  airport_lookup lookup;
  std::string error;
};

// The default airport table by the order above: the path of the first place that holds a
// file, "none" when $ORVEXDECODE_AIRPORTS says so, or "" when no place does. tried, when
// given, receives every place looked at, for a message.
std::string default_airport_table_path(std::vector<std::string>* tried = nullptr);
