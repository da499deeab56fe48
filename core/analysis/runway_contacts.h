// Where a flight met the ground: each takeoff, each touch-and-go and each full-stop landing,
// with the place and the true track (GPS) there, for the airport and runway rules
// (flight_places.h).
//
// A takeoff is the flight time line's own: the first sample of the run at the takeoff speed,
// on the takeoff roll. A landing and a touch-and-go end a dip of the speed below the takeoff
// speed while airborne: a landing's place is the dip's first sample, about the touchdown and
// before any turn off the runway (the time line's landing comes later, below the landing
// speed); a touch-and-go's is the slowest sample of a dip the speed came back from without the
// landing run lasting. An aircraft slowed down aloft makes such a dip too: only a dip at an
// airport, as low as that airport, is taken for a touch-and-go (flight_places.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/airport_data.h"
#include "analysis/log_instant.h"

enum class contact_kind : std::uint8_t { takeoff, touch_and_go, landing };

struct runway_contact {
  contact_kind kind = contact_kind::takeoff;
  log_event event;                       // when and where, with the track and altitude there
  std::optional<airport_match> airport;  // set by locate_flights: the airport there, if any
};

constexpr std::size_t max_listed_contacts = 100;  // per flight; past them only counted

// How the contacts' airports were looked up: the airports' file and the options.
struct airport_search {
  std::string source;
  airport_options options;
};

// The dips of one airborne period, found sample by sample.
class touch_and_go_finder {
 public:
  explicit touch_and_go_finder(double takeoff_kt = 50.0) : takeoff_kt_(takeoff_kt) {}

  // An airborne period begins or ends: a dip in progress is forgotten.
  void reset() { in_dip_ = false; }
  // A speed sample while airborne, and the event there (only read below the takeoff speed);
  // returns the dip that ended when the speed came back to the takeoff speed.
  template <typename EventAt>
  std::optional<runway_contact> take_speed(double kt, EventAt&& event_here) {
    if (kt < takeoff_kt_) {
      if (!in_dip_ || kt < dip_kt_) {
        dip_event_ = event_here();
        dip_kt_ = kt;
        if (!in_dip_) dip_start_ = dip_event_;
      }
      in_dip_ = true;
      return std::nullopt;
    }
    if (!in_dip_) return std::nullopt;
    in_dip_ = false;
    return runway_contact{contact_kind::touch_and_go, dip_event_, std::nullopt};
  }
  // The place of a landing the time line found at its event: where the dip began.
  runway_contact landing(const log_event& event) const {
    return {contact_kind::landing, in_dip_ ? dip_start_ : event, std::nullopt};
  }

 private:
  double takeoff_kt_;
  bool in_dip_ = false;
  double dip_kt_ = 0.0;  // the slowest of the dip, and where
  log_event dip_event_;
  log_event dip_start_;
};

// Adds a contact to a flight's list. A full list keeps its first contacts and its latest (the
// flight's last landing): the newest takes the last place and the one it replaces is counted.
inline void add_contact(std::vector<runway_contact>& contacts, std::uint32_t& not_listed, runway_contact&& c) {
  if (contacts.size() < max_listed_contacts) {
    contacts.push_back(std::move(c));
  } else {
    contacts.back() = std::move(c);
    ++not_listed;
  }
}
