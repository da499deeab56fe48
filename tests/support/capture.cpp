#include "support/capture.h"

#include <cstring>
#include <regex>

#include "defaults.h"
#include "records/library_state.h"

library_options default_options() { return default_library_options(); }

analog_input_const default_constants() { return default_analog_input_const(); }

FILE* stream_with(const std::string& text) {
  FILE* f = std::tmpfile();
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

std::string drain_stream(FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char block[4096];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) s.append(block, n);
  std::fclose(f);
  return s;
}

std::string capture_output(const std::function<void()>& fn) {
  FILE* f = std::tmpfile();
  lib.out.attach(f);
  fn();
  lib.out.flush();
  return drain_stream(f);
}

std::string decode_xml(const std::string& log, const library_options& options) {
  const analog_input_const c = default_constants();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  OrvexDecode_LOG_to_XML(&c, &options, in, out, stderr, "test.LOG");
  std::fclose(in);
  return drain_stream(out);
}

std::string decode_kml(const std::string& log, const library_options& options) {
  const analog_input_const c = default_constants();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  OrvexDecode_LOG_to_KML(&c, &options, in, out, stderr, "test.LOG");
  std::fclose(in);
  return drain_stream(out);
}

std::string decode_frc(const std::string& log, const library_options& options, bool binary) {
  const analog_input_const c = default_constants();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  if (binary) {
    OrvexDecode_LOG_to_FRC_binary(&c, &options, in, out, stderr);
  } else {
    OrvexDecode_LOG_to_FRC(&c, &options, in, out, stderr);
  }
  std::fclose(in);
  return drain_stream(out);
}

std::string mask_decode_time(std::string document) {
  static const std::regex time_text(R"((decode_timestamp="|Generated info )[^"<]{24})");
  return std::regex_replace(document, time_text, "$1<decode time>");
}

std::string read_file(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  return drain_stream(f);
}
