#include "document_options.h"

#include "api/document_options_of.h"

orvex_document_options document_options(const analysis_options& analysis, const document_sources& sources) {
  orvex_document_options o = document_options_of(analysis);
  if (!sources.limits_text.empty()) {
    o.limits_text = sources.limits_text.data();
    o.limits_size = sources.limits_text.size();
  }
  set_profile(o, sources.profile);
  o.airports = sources.lookup.enabled() ? sources.lookup.source().c_str() : "none";
  o.airport_radius_m = sources.airports.options.capture_radius_m;
  o.heliports = sources.airports.options.other_bases ? 1 : 0;
  if (sources.zone) o.time_zone = sources.zone->name().c_str();
  return o;
}

void set_profile(orvex_document_options& options, const profile_source& profile) {
  if (profile.given) {
    options.profile_text = profile.text.data();
    options.profile_size = profile.text.size();
  }
  options.profile_settings = profile.setting_pointers.data();
  options.profile_setting_count = profile.setting_pointers.size();
}

orvex_time_point time_point_option(const std::optional<time_point>& point) {
  orvex_time_point t{};
  if (!point) return t;
  t.given = 1;
  t.is_utc = point->is_utc ? 1 : 0;
  t.utc_ms = point->utc_ms;
  t.log_ms = point->log_ms;
  return t;
}

void set_window(orvex_document_options& options, const window_request& window) {
  options.flight = window.flight.value_or(0);
  options.from = time_point_option(window.from);
  options.to = time_point_option(window.to);
}
