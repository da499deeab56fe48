// Local times for the logbook: each flight's out and off in the zone of its departure, on and in
// in the zone of its arrival, from the system's time-zone data (time_zone.h). The zones are
// those of the airports where they are known, or the one zone the user names for every flight;
// without either a flight has no local time and says so.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_summary.h"
#include "analysis/time_zone.h"

// Gives a flight's times their local readings. Either zone may be missing (nullptr): the times
// of that end then have none.
void give_local_times(logbook_row& row, const time_zone* departure, const time_zone* arrival, zone_source source);

// Every flight of a summary in one zone (the user's --time-zone).
void give_local_times(log_summary& summary, const time_zone& zone);

class time_zone_cache;

// The IANA zones of a flight's two ends, as its airports give them: the departure's (out and
// off) and the arrival's (on and in); empty where the airport is not known or has no zone.
struct flight_end_zones {
  std::string departure;
  std::string arrival;
};

// Every flight of a summary in the zones of its airports: flight i in zones[i] (flights past
// the span's end keep no local time). A zone the database does not hold counts as unknown.
void give_local_times(log_summary& summary, std::span<const flight_end_zones> zones, time_zone_cache& cache);

// The local date of a flight for the logbook: the departure's local date at out (else off);
// the UTC date when the departure has no local time. Empty when neither time has UTC.
std::string logbook_date(const logbook_row& row);
// Whether that date is the departure's local date.
bool logbook_date_is_local(const logbook_row& row);

// Zones loaded by name once each, for the zones of airports (a few a LOG).
class time_zone_cache {
 public:
  // The zone, or nullptr when the name is empty or the database has no such zone.
  const time_zone* find(std::string_view name);

 private:
  std::vector<std::unique_ptr<time_zone>> zones_;
  std::vector<std::string> missing_;
};
