// The registry of export formats against what is written about it by hand (the manual page's
// list, the bash completion), and the driver of a format of flights across LOGs.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "flight_simulator.h"
#include "support/capture.h"

namespace {

std::vector<std::string> registry_names() {
  std::vector<std::string> names;
  for (const export_format& f : export_formats()) names.emplace_back(f.name);
  return names;
}

// The names the manual page describes under DESCRIPTION, each on a line of its own: "*gpx*".
std::vector<std::string> manual_page_names() {
  const std::string page = read_file(std::string(ORVEX_SOURCE_DIR) + "/doc/man/orvexdecode-export.1.scd");
  const std::size_t from = page.find("# DESCRIPTION");
  const std::size_t to = page.find("# OPTIONS");
  if (from == std::string::npos || to == std::string::npos) return {};
  const std::string description = page.substr(from, to - from);
  std::vector<std::string> names;
  const std::regex entry(R"(\n\*([a-z0-9-]+)\*\n)");
  for (std::sregex_iterator i(description.begin(), description.end(), entry), end; i != end; ++i) {
    names.push_back((*i)[1]);
  }
  return names;
}

// The words the completion offers for the first argument.
std::vector<std::string> completion_names() {
  const std::string script = read_file(std::string(ORVEX_SOURCE_DIR) + "/doc/completions/orvexdecode-export");
  std::smatch m;
  if (!std::regex_search(script, m, std::regex(R"(args == 1\)\); then\s+COMPREPLY=\(\$\(compgen -W '([^']*)')"))) {
    return {};
  }
  std::vector<std::string> names;
  const std::string words = m[1];
  const std::regex word(R"([^\s]+)");
  for (std::sregex_iterator i(words.begin(), words.end(), word), end; i != end; ++i) names.push_back(i->str());
  return names;
}

// A logbook of test: a line per flight, "LOG,number,start_ms".
void rows_begin(output_writer& out, const export_request&) { out.text("log,flight,start_ms\n"); }
void rows_row(output_writer& out, const export_request&, const logged_flight& f) {
  out.line(OUT_FORMAT("{},{},{}\n"), f.log_name, f.number, f.flight.start_ms);
}
void rows_end(output_writer& out, const export_request&) { out.text("end\n"); }

}  // namespace

TEST(ExportFormats, TheManualPageAndTheCompletionListTheRegistry) {
  const std::vector<std::string> names = registry_names();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(manual_page_names(), names);
  EXPECT_EQ(completion_names(), names);
  for (const export_format& f : export_formats()) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(find_export_format(f.name), &f);
    EXPECT_EQ(f.extension.substr(0, 1), ".");
    EXPECT_FALSE(f.summary.empty());
    EXPECT_NE(f.is_per_log(), f.per_flight.row != nullptr);  // one way of writing, not both
  }
  EXPECT_EQ(find_export_format("CSV"), nullptr);
}

TEST(ExportFormats, AFormatOfFlightsTakesEveryFlightOfEveryLogInOneDocumentOnce) {
  const export_format logbook{"logbook", "a line per flight", ".csv", {}, {rows_begin, rows_row, rows_end}};
  const std::string two_sorties = simulated_log({.seed = 11, .minutes = 200.0});
  const std::string none;  // no record, no flight
  FILE* a = stream_with(two_sorties);
  FILE* b = stream_with(none);
  FILE* c = stream_with(two_sorties);
  const export_input logs[] = {{a, "a.LOG"}, {b, "b.LOG"}, {c, "c.LOG"}};
  const context_ptr ctx = make_context();
  FILE* out = std::tmpfile();
  const export_result result = export_flights(logbook, *ctx, default_export_request(), logs, out);
  const std::string document = drain_stream(out);
  for (FILE* f : {a, b, c}) std::fclose(f);

  EXPECT_TRUE(result.error.empty()) << result.error;
  EXPECT_FALSE(result.write_failed);
  // c.LOG holds a.LOG's bytes: its flights are a's, written once.
  EXPECT_EQ(result.items, 2u);
  EXPECT_EQ(result.warnings, std::vector<std::string>{"c.LOG: the same LOG as a.LOG; its flights are written once"});
  const std::regex expected("log,flight,start_ms\na.LOG,1,[0-9]+\na.LOG,2,[0-9]+\nend\n");
  EXPECT_TRUE(std::regex_match(document, expected)) << document;
}
