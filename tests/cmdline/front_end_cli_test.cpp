// The command line as a user meets it: options, messages, exit statuses and streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/capture.h"
#include "support/run_program.h"

namespace {

const std::string program = ORVEX_CMDLINE_PATH;

std::string hint() { return "\n\nTry `" + program + " --help` for more information\n"; }

// A small LOG: one EIS record, one GPS 2 record of type b and an unknown type.
std::string small_log() {
  log_writer log;
  log.record(9, 100, "arinc").record(11, 2000, "x").record(13, 3000, "y");
  return log.str();
}

std::string value_of(const std::string& doc, const std::string& element) {
  const std::string open = "<" + element + ">";
  const auto start = doc.find(open);
  if (start == std::string::npos) return "<missing>";
  const auto end = doc.find("</" + element + ">", start);
  return doc.substr(start + open.size(), end - start - open.size());
}

}  // namespace

TEST(CommandLine, ErrorsGiveMessageHintAndStatusTwo) {
  temp_files t;
  const std::string log = t.write("in.LOG", small_log());
  const std::string long_name(300, 'a');
  struct row {
    std::string args;
    std::string message;
  };
  const row rows[] = {
      {"", "ERROR: No input file specified"},
      {"-v --eis", "ERROR: No input file specified"},
      {shell_quote(t.path("missing.LOG")), "ERROR: Input file can't be openned for reading"},
      {"-o " + shell_quote(t.path("no/such/dir.xml")) + " " + log,
       "ERROR: Output file can't be openned for writing"},
      {"-k " + shell_quote(t.path("no/such/dir.kml")) + " " + log,
       "ERROR: Output file can't be openned for writing"},
  };
  for (const row& r : rows) {
    const program_result result = run_program(program, r.args);
    EXPECT_EQ(result.status, 2) << r.args;
    EXPECT_EQ(result.err, r.message + hint()) << r.args;
    EXPECT_EQ(result.out, "") << r.args;
  }
  // Over-long names and write failures: any message, status 2.
  for (const std::string& args : {"-i " + long_name, "-o " + long_name + " " + log,
                                  "-x " + std::string(255, 'x') + " " + log, "-o /dev/full " + log,
                                  log + " >/dev/full"}) {
    const program_result result = run_program(program, args);
    EXPECT_EQ(result.status, 2) << args.substr(0, 20);
    EXPECT_EQ(result.err.rfind("ERROR:", 0), 0u) << result.err;
  }
}

TEST(CommandLine, InputNamesAndTrailingArguments) {
  temp_files t;
  log_writer a, b;
  a.record(13, 100, "a");
  b.record(13, 100, "b").record(14, 200, "b");
  const std::string a_log = t.write("a.LOG", a.str());
  const std::string b_log = t.write("b.LOG", b.str());
  struct row {
    std::string args;
    std::string stdin_data;
    std::size_t unknown;
    std::string description;
  };
  const row rows[] = {
      {a_log, "", 1, a_log},
      {"-i " + a_log + " " + b_log, "", 2, b_log},
      {a_log + " " + b_log, "", 1, a_log},
      {a_log + " --verbose", "", 1, a_log},
      {"-", b.str(), 2, "-"},
      {"stdin", b.str(), 2, "stdin"},
      {"-i -", a.str(), 1, "-"},
  };
  for (const row& r : rows) {
    const program_result result = run_program(program, r.args, r.stdin_data);
    EXPECT_EQ(result.status, 0) << r.args << result.err;
    EXPECT_EQ(count_of(result.out, "<unknown_entry_type/>"), r.unknown) << r.args;
    EXPECT_NE(result.out.find("description=\"" + r.description + "\""), std::string::npos) << r.args;
  }
}

TEST(CommandLine, OptionsReachTheOptionsBlock) {
  temp_files t;
  const std::string log = t.write("in.LOG", "");
  struct row {
    std::string args;
    std::string element;
    std::string value;
  };
  const row rows[] = {
      {"--summary_period abc", "library_options_summary_deciseconds", "0"},
      {"--summary_period -7", "library_options_summary_deciseconds", "-7"},
      {"--nosummary --summary_period 5", "library_options_summary_deciseconds", "5"},
      {"--nosummary --summary_period 5", "library_options_summary", "0"},
      {"--sl40", "library_options_sl40", "1"},
      {"--sl40 --nosl40", "library_options_sl40", "0"},
      {"--gps_1_nmea", "library_options_gps_1_type", "2"},
      {"--gps_2_aviation", "library_options_gps_2_type", "1"},
      {"", "library_options_gps_2_type", "0"},
      {"-v", "library_options_verbose", "1"},
      {"--verb", "library_options_verbose", "1"},
      {"--ahrs_hr --ahrs_lr --eis --analog --set_menu --arinc --weather --sl30_1 --sl30_2", "library_options_sl30_2", "1"},
      {"-x http://example.invalid/a.xsl", "library_options_xsl_stylesheet", "http://example.invalid/a.xsl"},
      {"--xsl_stylesheet 'a&b'", "library_options_xsl_stylesheet", "a&amp;b"},
  };
  for (const row& r : rows) {
    const program_result result = run_program(program, r.args + " " + log);
    EXPECT_EQ(result.status, 0) << r.args;
    EXPECT_EQ(value_of(result.out, r.element), r.value) << r.args;
  }
}

TEST(CommandLine, ConstantsAndVerboseHeaderFollowTheirOptions) {
  temp_files t;
  const std::string log = t.write("in.LOG", "");
  EXPECT_EQ(run_program(program, log).out.find("<verbose_header>"), std::string::npos);
  EXPECT_NE(run_program(program, "-v " + log).out.find("<verbose_header>\n\t\t<library_options_debug_not_available/>\n</verbose_header>\n"), std::string::npos);
  EXPECT_NE(run_program(program, log).out.find("<analog_input_constants>"), std::string::npos);
  EXPECT_EQ(run_program(program, "--noconstants " + log).out.find("<analog_input_constants>"), std::string::npos);
}

TEST(CommandLine, OutputFileIsWrittenAndClosedOrNotCreatedWhenTheKmlFails) {
  temp_files t;
  const std::string log = t.write("in.LOG", small_log());
  const std::string xml = t.path("out.xml");
  const program_result r = run_program(program, "-o " + xml + " " + log);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  const std::string doc = read_file(xml);
  EXPECT_TRUE(doc.starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"));
  EXPECT_TRUE(doc.ends_with("</orvex_efis_decode>\n"));
  std::remove(xml.c_str());
  EXPECT_EQ(run_program(program, "-o " + xml + " -k " + t.path("none/x.kml") + " " + log).status, 2);
  EXPECT_FALSE(std::filesystem::exists(xml));
}

TEST(CommandLine, OutputThatIsTheInputIsRefusedBeforeTruncating) {
  temp_files t;
  const std::string bytes = small_log();
  const std::string log = t.write("in.LOG", bytes);
  for (const std::string& args : {"-o " + log + " " + log, "-k " + log + " " + log,
                                  "-o " + t.path("./in.LOG") + " " + log, "-o " + log + " - <" + log,
                                  log + " >>" + log}) {
    const program_result r = run_program(program, args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.err.starts_with("ERROR:")) << args << r.err;
    EXPECT_EQ(read_file(log), bytes) << args;
  }
}
