#include "report/summary/logbook_json.h"

#include <cmath>

#include "analysis/logbook_local.h"
#include "text/local_time_text.h"
#include "text/utc_text.h"

namespace {

std::string_view zone_source_name(zone_source s) {
  switch (s) {
    case zone_source::option: return "option";
    case zone_source::airport: return "airport";
    case zone_source::none: break;
  }
  return "";
}

std::optional<std::string_view> text_or_null(const std::string& s) {
  return s.empty() ? std::nullopt : std::optional<std::string_view>(s);
}

void position(json_writer& json, const log_event& e) {
  json.key("latitude_deg").number(e.has_position ? std::optional<double>(e.position.latitude_deg) : std::nullopt, 6);
  json.key("longitude_deg").number(e.has_position ? std::optional<double>(e.position.longitude_deg) : std::nullopt, 6);
}

// A moment: UTC, local time with its offset, the zone and its abbreviation then, LOG time and
// place; null when there is no such moment.
void moment(json_writer& json, const char* name, const std::optional<log_event>& e,
            const std::optional<local_offset>& offset, const std::string& zone) {
  json.key(name);
  if (!e) {
    json.null();
    return;
  }
  json.begin_object();
  json.key("utc").string_or_null(e->when.has_utc ? std::optional<std::string_view>(
                                                       iso8601_utc(whole_seconds_of(e->when.utc_ms)).view())
                                                 : std::nullopt);
  if (offset) {
    json.key("local").string(iso8601_local(whole_seconds_of(e->when.utc_ms), offset->utc_offset_s).view());
    json.key("time_zone").string(zone);
    json.key("zone_abbreviation").string(offset->abbreviation());
  } else {
    json.key("local").null();
    json.key("time_zone").null();
    json.key("zone_abbreviation").null();
  }
  json.key("log_time_s").number(log_seconds(e->when.log_ms), 3);
  position(json, *e);
  json.end_object();
}

void count(json_writer& json, const char* name, const landing_count& c) {
  json.key(name).begin_object();
  json.key("total").unsigned_integer(c.total());
  json.key("day").unsigned_integer(c.day);
  json.key("night").unsigned_integer(c.night);
  json.key("unknown").unsigned_integer(c.unknown);
  json.end_object();
}

std::optional<std::string_view> light_name(landing_light l) {
  switch (l) {
    case landing_light::day: return "day";
    case landing_light::night: return "night";
    case landing_light::unknown: break;
  }
  return std::nullopt;
}

}  // namespace

void write_logbook_json(json_writer& json, const logbook_row& row, const logbook_options& options) {
  const logbook_local& local = row.local;
  json.begin_object();
  const std::string date = logbook_date(row);
  json.key("date").string_or_null(text_or_null(date));
  json.key("date_is_local").boolean(!date.empty() && logbook_date_is_local(row));
  json.key("zone_source").string_or_null(local.source == zone_source::none
                                             ? std::nullopt
                                             : std::optional<std::string_view>(zone_source_name(local.source)));
  json.key("departure_time_zone").string_or_null(text_or_null(local.departure_zone));
  json.key("arrival_time_zone").string_or_null(text_or_null(local.arrival_zone));
  moment(json, "out", row.out, local.out, local.departure_zone);
  moment(json, "off", row.off, local.off, local.departure_zone);
  moment(json, "on", row.on, local.on, local.arrival_zone);
  moment(json, "in", row.in, local.in, local.arrival_zone);
  json.key("total_time_s").number(row.total_time_s, 3);
  json.key("night_time_s").number(row.night_time_s, 3);
  json.key("landings").begin_object();
  json.key("total").unsigned_integer(row.landing_total());
  count(json, "full_stop", row.full_stop);
  count(json, "touch_and_go", row.touch_and_go);
  json.key("listed").begin_array();
  for (const logbook_landing& l : row.landings) {
    json.begin_object();
    json.key("utc").string_or_null(l.touchdown.when.has_utc ? std::optional<std::string_view>(iso8601_utc(
                                                                  whole_seconds_of(l.touchdown.when.utc_ms)).view())
                                                            : std::nullopt);
    json.key("log_time_s").number(log_seconds(l.touchdown.when.log_ms), 3);
    position(json, l.touchdown);
    json.key("track_true_deg").number(std::isnan(l.track_true_deg) ? std::nullopt : std::optional<double>(l.track_true_deg), 1);
    json.key("full_stop").boolean(l.full_stop);
    json.key("light").string_or_null(light_name(l.light));
    json.key("from_departure_nm").number(l.from_departure_nm, 2);
    json.end_object();
  }
  json.end_array();
  json.key("not_listed").unsigned_integer(row.landings_not_listed);
  json.end_object();
  json.key("farthest_landing_nm").number(row.farthest_landing_nm, 2);
  json.key("cross_country").boolean(row.cross_country);
  json.key("cross_country_nm").number(options.cross_country_nm, 1);
  json.end_object();
}
