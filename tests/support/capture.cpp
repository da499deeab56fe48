#include "support/capture.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "decode/dispatch.h"
#include "decode/source_table.h"
#include "report/xml/xml_sources.h"

library_options default_options() { return OrvexDecode_default_options(); }

analog_input_const default_constants() { return OrvexDecode_default_constants(); }

context_ptr make_context() { return context_ptr(OrvexDecode_context_new()); }

decode_context& started_context(const library_options& options, const analog_input_const& constants) {
  static thread_local context_ptr context = make_context();
  begin_pass(*context, &constants, &options, nullptr, nullptr);
  return *context;
}

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

std::string capture_output(const std::function<void(output_writer&)>& fn) {
  FILE* f = std::tmpfile();
  static thread_local output_writer out;
  out.attach(f);
  fn(out);
  out.flush();
  out.attach(nullptr);
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
  // The 24 characters after either marker (fewer if a '"' or '<' comes first).
  for (const std::string_view marker : {std::string_view("decode_timestamp=\""), std::string_view("Generated info ")}) {
    for (std::size_t at = document.find(marker); at != std::string::npos; at = document.find(marker, at + 1)) {
      const std::size_t start = at + marker.size();
      std::size_t end = start;
      while (end < document.size() && end - start < 24 && document[end] != '"' && document[end] != '<') ++end;
      if (end - start == 24) document.replace(start, 24, "<decode time>");
    }
  }
  return document;
}

std::string decimal_text(double value) {
  char text[512];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string read_file(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  return drain_stream(f);
}

library_options options_with(const std::function<void(library_options&)>& set) {
  library_options o = default_options();
  set(o);
  return o;
}

std::string render_xml_record(std::uint8_t source_type, std::span<const std::uint8_t> bytes,
                              const library_options& options) {
  const efis_record record{source_type, 0, static_cast<std::uint32_t>(bytes.size()), bytes.data(), 0};
  decode_context& ctx = started_context(options);
  FILE* f = std::tmpfile();
  ctx.out.attach(f);
  if (!is_known_source_type(source_type)) {
    ctx.out.text("\t<unknown_entry_type/>\n");
  } else {
    process_efis_record(ctx, record);
    print_xml_record_body(ctx, record);
  }
  ctx.out.flush();
  ctx.out.attach(nullptr);
  return drain_stream(f);
}

std::string without_lines(const std::string& text, std::initializer_list<const char*> needles) {
  std::string kept;
  for (std::size_t at = 0, end; at < text.size(); at = end) {
    end = std::min(text.find('\n', at), text.size() - 1) + 1;
    const std::string line = text.substr(at, end - at);
    if (std::none_of(needles.begin(), needles.end(), [&](const char* n) { return line.find(n) != std::string::npos; })) kept += line;
  }
  return kept;
}

std::size_t count_of(const std::string& text, const std::string& needle) {
  std::size_t n = 0;
  for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

std::vector<log_entry> split_log(const std::string& log, bool* framed) {
  const auto be32 = [&log](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(log[at + i]);
    return v;
  };
  std::vector<log_entry> records;
  std::size_t at = 0;
  while (at + 9 <= log.size() && at + 9 + be32(at + 5) <= log.size()) {
    records.push_back({static_cast<unsigned char>(log[at]), be32(at + 1), log.substr(at + 9, be32(at + 5))});
    at += 9 + be32(at + 5);
  }
  if (framed != nullptr) *framed = at == log.size();
  return records;
}

std::string realdata_dir() { return std::string(ORVEX_SOURCE_DIR) + "/../shared/realdata"; }
