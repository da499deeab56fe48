#include "decoders/gps/rmc.h"

#include <algorithm>
#include <cstring>

#include "decoders/gps/sentence_scan.h"
#include "text/char_class.h"

namespace {

constexpr scan_pattern rmc_pattern(
    "$GPRMC,%6[0-9],%1[vVaA],%9[0-9.],%1[nsNS],%10[0-9.],%1[ewEW],%5[0-9.],%5[0-9.],%6[0-9],"
    "%5[0-9.],%1[ewEW]%5[,*0-9A-Fa-f]\r\n");

// utc_time through utc_date.
constexpr int rmc_least_count = 9;

bool is_number_char(char c) { return is_digit(c) || c == '.'; }

bool all_of(std::string_view s, bool (*accepts)(char)) { return std::all_of(s.begin(), s.end(), accepts); }

bool is_one_of(std::string_view field, std::string_view letters) {
  return field.size() == 1 && letters.find(field[0]) != std::string_view::npos;
}

bool is_number_text(std::string_view field, std::size_t least, std::size_t most) {
  return field.size() >= least && field.size() <= most && all_of(field, is_number_char);
}

// hhmmss, optionally followed by '.' and 1 to 4 digits of the second.
bool is_time(std::string_view field) {
  if (field.size() < 6 || !all_of(field.substr(0, 6), is_digit)) return false;
  if (field.size() == 6) return true;
  const std::string_view fraction = field.substr(7);
  return field[6] == '.' && !fraction.empty() && fraction.size() <= 4 && all_of(fraction, is_digit);
}

bool is_talker(std::string_view talker) {
  constexpr std::string_view known[] = {"GP", "GN", "GL", "GA", "GB", "BD", "GQ"};
  return std::find(std::begin(known), std::end(known), talker) != std::end(known);
}

template <std::size_t N>
void keep(char (&buffer)[N], std::string_view text) {
  const std::size_t n = std::min(text.size(), N - 1);
  if (n > 0) std::memcpy(buffer, text.data(), n);  // a missing field has no data at all
  buffer[n] = '\0';
}

// Comma-separated fields of the sentence body; once the body ends, every further field is
// missing and reads as empty.
class field_reader {
 public:
  explicit field_reader(std::string_view body) : body_(body) {}

  std::string_view next() {
    if (ended_) return {};
    const std::size_t comma = body_.find(',', position_);
    const std::size_t end = comma == std::string_view::npos ? body_.size() : comma;
    const std::string_view field = body_.substr(position_, end - position_);
    field_end_ = end;
    ended_ = comma == std::string_view::npos;
    position_ = ended_ ? end : comma + 1;
    return field;
  }

  bool ended() const { return ended_; }
  // Where the last field read ended (its separator or the end of the body).
  std::size_t field_end() const { return field_end_; }

 private:
  std::string_view body_;
  std::size_t position_ = 0;
  std::size_t field_end_ = 0;
  bool ended_ = false;
};

}  // namespace

bool read_rmc_strict(std::string_view text, gps_nmea_fields* fields) {
  const scan_field targets[] = {field_of(fields->utc_time),
                                field_of(fields->status),
                                field_of(fields->latitude),
                                field_of(fields->latitude_hemisphere),
                                field_of(fields->longitude),
                                field_of(fields->longitude_hemisphere),
                                field_of(fields->ground_speed),
                                field_of(fields->track),
                                field_of(fields->utc_date),
                                field_of(fields->mag_variation),
                                field_of(fields->mag_variation_direction),
                                field_of(fields->checksum)};
  const int count = scan_text<rmc_pattern>(text, targets);
  return count >= rmc_least_count && fields->latitude[0] != '\0' && fields->longitude[0] != '\0';
}

bool read_rmc_relaxed(std::string_view text, gps_nmea_fields* fields) {
  constexpr std::size_t head = 7;  // "$ttRMC,"
  if (text.size() < head || text[0] != '$' || !is_talker(text.substr(1, 2)) || text.substr(3, 4) != "RMC,") {
    return false;
  }
  const std::size_t line_end = std::min(text.find_first_of("\r\n"), text.size());
  const std::string_view line = text.substr(0, line_end);
  const std::size_t body_end = std::min(line.find('*', head), line.size());
  field_reader reader(line.substr(head, body_end - head));

  // Fields before the date must all be there.
  std::string_view before_date[8];
  for (std::string_view& field : before_date) {
    if (reader.ended()) return false;
    field = reader.next();
  }
  if (reader.ended()) return false;
  const std::string_view date = reader.next();
  const auto [time, status, latitude, north_south, longitude, east_west, speed, track] = before_date;
  if (!is_time(time) || !is_one_of(status, "vVaA") || !is_number_text(latitude, 1, 12) ||
      !is_one_of(north_south, "nsNS") || !is_number_text(longitude, 1, 12) || !is_one_of(east_west, "ewEW") ||
      !is_number_text(speed, 0, 10) || !is_number_text(track, 0, 10) || date.size() != 6 || !all_of(date, is_digit)) {
    return false;
  }
  const std::string_view variation = reader.next();
  const std::string_view direction = reader.next();
  if (!is_number_text(variation, 0, 10)) return false;
  if (!direction.empty() && !is_one_of(direction, "ewEW")) return false;

  keep(fields->utc_time, time.substr(0, 6));
  keep(fields->utc_fraction, time.size() > 7 ? time.substr(7) : std::string_view());
  keep(fields->status, status);
  keep(fields->latitude, latitude);
  keep(fields->latitude_hemisphere, north_south);
  keep(fields->longitude, longitude);
  keep(fields->longitude_hemisphere, east_west);
  keep(fields->ground_speed, speed);
  keep(fields->track, track);
  keep(fields->utc_date, date);
  keep(fields->mag_variation, variation);
  keep(fields->mag_variation_direction, direction);
  keep(fields->checksum, line.substr(head + reader.field_end()));
  return true;
}
