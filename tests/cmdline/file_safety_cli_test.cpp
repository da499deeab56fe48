// Every front end against a careless or hostile user: a shell glob of LOGs, files that are not
// LOGs, closed and repeated standard streams, an output that is an input, a folder the user
// can't write to, signals, hostile limits files, FIFOs, dates out of range, control characters
// in names. No LOG is ever changed and a refusal is an "ERROR:" with status 2 (1 for usage).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/flight_profile.h"
#include "support/info_schema_check.h"
#include "support/run_program.h"

namespace {

const std::string decoder = ORVEX_CMDLINE_PATH;
const std::string tracker = ORVEX_TRACK_PATH;
const std::string info = ORVEX_INFO_PATH;
const std::string exporter = ORVEX_EXPORT_PATH;
const std::string reporter = ORVEX_REPORT_PATH;

// Two flights with a ground run between them; UTC from 2024-05-18T15:00:00Z.
std::string two_flights_log() {
  return profile_log({{30, 0, 0}, {60, 1000, 10}, {120, 2400, 100}, {60, 1000, 10}, {60, 0, 0}, {60, 1000, 10},
                      {120, 2400, 100}, {60, 1000, 10}, {40, 0, 0}},
                     {.gps_speed = true});
}

std::string q(const std::string& path) { return shell_quote(path); }

program_result run_bash(const std::string& command_line) { return run_program("/bin/bash", "-c " + q(command_line)); }

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool under_sanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return true;
#endif
#endif
  return false;
}

}  // namespace

TEST(FileSafety, AGlobOfLogsLeavesEveryLogAsItWas) {
  temp_files t;
  const std::string bytes = two_flights_log();
  const std::string a = t.write("a.LOG", bytes);
  const std::string b = t.write("b.LOG", bytes);
  const std::string c = t.write("c.LOG", bytes);
  const struct {
    std::string program;
    std::string args;
    int status;
    std::string says;  // the start of standard error
  } rows[] = {
      {tracker, a + " " + b, 2, "ERROR: Output file is a LOG file and is not overwritten: " + b + "\n"},
      {exporter, "gpx " + a + " " + b, 2,
       "ERROR: Output file is a LOG file (--force overwrites it; several LOGs are exported with --output-dir DIR): " + b},
      {exporter, "gpx -o " + b + " " + a, 2, "ERROR: Output file is a LOG file"},
      {exporter, "gpx " + a + " " + b + " " + c, 1,
       exporter + ": too many arguments: one LOG [OUTPUT]; several LOGs are exported with --output-dir DIR (see "},
      {reporter, "-o " + b + " " + a, 2, "ERROR: Output file is a LOG file (--force overwrites it): " + b + "\n"},
      {reporter, a + " " + b, 1, reporter + ": one LOG at a time (see "},
      {info, a + " " + b + " >>" + c, 2, "ERROR: Output file is a LOG file (--force appends to it anyway): standard output\n"},
      {info, a + " " + b + " >>" + b, 2, "ERROR: Output file is the same file as the LOG: " + b + "\n"},
      {decoder, "-o " + b + " " + a, 2, "ERROR: Output file is a LOG file and is not overwritten: " + b + "\n\nTry"},
      {decoder, "-k " + b + " " + a, 2, "ERROR: Output file is a LOG file and is not overwritten: " + b + "\n\nTry"},
      {decoder, a + " " + b + " " + c + " >/dev/null", 0, "warning: one input is decoded: " + a + " (ignored: " + b + ", " + c + ")\n"},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(r.program, r.args);
    EXPECT_EQ(result.status, r.status) << r.args;
    EXPECT_TRUE(result.err.starts_with(r.says)) << r.args << "\n" << result.err;
    for (const std::string& log : {a, b, c}) EXPECT_EQ(read_file(log), bytes) << r.args << ": " << log;
    EXPECT_EQ(names_in(t.dir), (std::vector<std::string>{"a.LOG", "b.LOG", "c.LOG"})) << r.args;
  }
  // --force says the user means it; the LOG read is never an output all the same.
  EXPECT_EQ(run_program(exporter, "gpx --force " + a + " " + b).status, 0);
  EXPECT_TRUE(read_file(b).ends_with("</gpx>\n"));
  EXPECT_EQ(run_program(exporter, "gpx --force " + a + " " + a).status, 2);
  EXPECT_EQ(read_file(a), bytes);
}

TEST(FileSafety, AFileThatIsNotALogIsSaidToBeNone) {
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  const struct {
    std::string file;
    std::string bytes;
    std::string reason;
  } inputs[] = {
      {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + std::string(40, 'x'), "no record could be read"},
      {"table.csv", "time,rpm\r\n0,2400\r\n", "no record could be read"},
      {"empty.LOG", "", "empty"},
      {"unknown.LOG", log_writer().record(13, 100, "x").record(200, 200, "y").str(), "no record could be read"},
  };
  std::string json_lines;
  for (const auto& in : inputs) {
    const std::string path = t.write(in.file, in.bytes);
    const std::string error = "ERROR: Not a LOG file (" + in.reason + "): " + path + "\n";
    t.write("out", "old");
    for (const auto& [program, args] : {std::pair{tracker, path + " " + t.path("out")},
                                        {exporter, "csv " + path + " " + t.path("out")},
                                        {reporter, path + " -o " + t.path("out")}, {info, path}}) {
      const program_result r = run_program(program, args);
      EXPECT_EQ(r.status, 2) << program << " " << in.file;
      EXPECT_EQ(r.err, error) << program;
      EXPECT_EQ(r.out, "") << program;
      EXPECT_EQ(read_file(t.path("out")), "old") << program;
    }
    // The classic decoder keeps its document and status, and says so.
    const program_result classic = run_program(decoder, path);
    EXPECT_EQ(classic.status, 0) << in.file;
    EXPECT_TRUE(classic.out.ends_with("</orvex_efis_decode>\n"));
    EXPECT_EQ(classic.err, "warning: not a LOG file (" + in.reason + "): " + path + "\n");
    // In a batch the LOGs still run.
    const program_result batch = run_program(info, "--json " + log + " " + path + " " + log);
    EXPECT_EQ(batch.status, 2);
    EXPECT_EQ(count_of(batch.out, "\n"), 2u);
    EXPECT_EQ(batch.err, error);
    json_lines += batch.out;
  }
  EXPECT_EQ(info_schema_errors(json_lines), "");
}

TEST(FileSafety, StandardStreamsAreGuardedAndStandardInputReadOnce) {
  temp_files t;
  const std::string bytes = two_flights_log();
  const std::string log = t.write("flight.LOG", bytes);
  const std::string size = "\"bytes\":" + std::to_string(bytes.size()) + ",";
  // Standard input closed: a LOG opened on descriptor 0 must not pass for it.
  const program_result closed = run_program(info, "-j 2 --json " + log + " - <&-");
  EXPECT_EQ(closed.status, 2);
  EXPECT_EQ(count_of(closed.out, size), 1u) << closed.out;
  EXPECT_EQ(count_of(closed.out, "\n"), 1u);
  EXPECT_EQ(closed.err, "ERROR: Standard input is closed\n");
  EXPECT_EQ(info_schema_errors(closed.out), "");
  const program_result twice = run_program(info, log + " - - <" + log);
  EXPECT_EQ(twice.status, 1);
  EXPECT_TRUE(twice.err.starts_with(info + ": standard input (\"-\") may be given once (see ")) << twice.err;
  for (const auto& [program, args] :
       {std::pair{info, log + " >&-"}, {exporter, "csv " + log + " >&-"}, {reporter, "-o - " + log + " >&-"}}) {
    const program_result r = run_program(program, args);
    EXPECT_EQ(r.status, 2) << program;
    EXPECT_EQ(r.err, "ERROR: Standard output is closed\n") << program;
  }
  // An output that is an input, through standard output too.
  for (const auto& [program, args] : {std::pair{info, "- <" + log + " >>" + log}, {info, "--force " + log + " >>" + log},
                                      {reporter, "-o - " + log + " >>" + log}, {exporter, "kml - <" + log + " >>" + log}}) {
    const program_result r = run_program(program, args);
    EXPECT_EQ(r.status, 2) << program << " " << args;
    EXPECT_TRUE(r.err.starts_with("ERROR: Output file ")) << r.err;
    EXPECT_EQ(read_file(log), bytes) << program << " " << args;
  }
}

TEST(FileSafety, AnExistingOutputInAFolderTheUserCantWriteIsRefusedNotEmptied) {
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  // As another user when run as root, who may write anywhere.
  std::string as_user;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "setpriv (util-linux) is not installed";
    as_user = "setpriv --reuid 65534 --regid 65534 --clear-groups ";
  }
  std::filesystem::create_directory(t.path("shut"));
  const std::string out = t.write("shut/out", "old");
  chmod(t.dir.c_str(), 0755);
  chmod(log.c_str(), 0644);
  chmod(out.c_str(), 0666);
  chmod(t.path("shut").c_str(), 0555);
  const std::string refusal = "ERROR: Output file can't be replaced safely (no temporary file can be made beside it): " + out;
  for (const std::string& command :
       {q(exporter) + " gpx --flight 3 " + log + " " + out, q(exporter) + " gpx " + log + " " + out,
        q(reporter) + " -o " + out + " " + log, q(tracker) + " " + log + " " + out, q(decoder) + " -o " + out + " " + log}) {
    const program_result r = run_bash(as_user + command);
    EXPECT_EQ(r.status, 2) << command;
    EXPECT_TRUE(r.err.starts_with(refusal)) << command << "\n" << r.err;
    EXPECT_EQ(read_file(out), "old") << command;
    EXPECT_EQ(names_in(t.path("shut")), std::vector<std::string>{"out"});
  }
  chmod(t.path("shut").c_str(), 0755);
}

TEST(FileSafety, NoSignalLeavesATemporaryFileBehind) {
  temp_files t;
  const std::string out = t.path("out.xml");
  // /dev/zero never ends: each run is busy writing its temporary file when the signal comes.
  for (const char* signal : {"QUIT", "USR1", "ALRM", "ABRT", "TERM", "RTMIN+2"}) {
    for (const std::string& command : {q(decoder) + " -o " + out + " /dev/zero", q(tracker) + " /dev/zero " + out}) {
      run_bash(std::string("ulimit -c 0; timeout -s ") + signal + " 0.3 " + command);
      EXPECT_EQ(names_in(t.dir), std::vector<std::string>{}) << signal << " " << command;
    }
  }
  // One that a SIGKILL leaves is swept by the next run that writes the same file, once no run
  // holds it and it has not changed for a while.
  run_bash("timeout -s KILL 1 " + q(decoder) + " -o " + out + " /dev/zero");
  ASSERT_EQ(names_in(t.dir).size(), 1u);
  run_bash("touch -d '1 minute ago' " + q(t.dir) + "/.out.xml.orvexdecode-*");
  EXPECT_EQ(run_program(decoder, "-o " + out + " " + t.write("x.LOG", two_flights_log())).status, 0);
  EXPECT_EQ(names_in(t.dir), (std::vector<std::string>{"out.xml", "x.LOG"}));
}

TEST(FileSafety, ALimitsFileHoldsSaneNumbersInAPlainFile) {
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  std::filesystem::create_directory(t.path("folder"));
  const struct {
    std::string limits;  // a file name, or the text of a file
    std::string says;    // after "ERROR: "; empty when the file is read
  } rows[] = {
      {"cht_max = inf\n", "1: \"inf\" is not a number from -100000 to 100000\n"},
      {"\xEF\xBB\xBF# with a byte-order mark\r\ncht_max = 460 F\r\noil_pressure_min = 25 when rpm > 1000\r\n", ""},
      {"/dev/zero", "Limits file is not a regular file: /dev/zero"},
      {t.path("folder"), "Limits file is not a regular file: " + t.path("folder")},
      {"big", "Limits file is larger than 1 MiB: "},
  };
  t.write("big", std::string((1 << 20) + 1, '#'));
  for (const auto& r : rows) {
    const bool named = r.limits.starts_with("/") || r.limits == "big";
    const std::string file = named ? (r.limits == "big" ? t.path("big") : r.limits) : t.write("limits", r.limits);
    for (const auto& [program, args] : {std::pair{info, log}, {reporter, "-o - " + log}}) {
      const program_result result = run_program(program, "--limits " + q(file) + " " + args);
      if (r.says.empty()) {
        EXPECT_EQ(result.status, 0) << r.limits << result.err;
        continue;
      }
      EXPECT_EQ(result.status, 2) << r.limits;
      EXPECT_EQ(result.out, "");
      const std::string expected = "ERROR: " + (named ? r.says : file + ":" + r.says);
      EXPECT_TRUE(result.err.starts_with(expected)) << result.err << "\nexpected " << expected;
    }
  }
}

TEST(FileSafety, AFifoIsReadAsAStreamUnderItsOwnNameAndSkippedInAFolder) {
  temp_files t;
  const std::string bytes = two_flights_log();
  const std::string log = t.write("flight.LOG", bytes);
  const std::string fifo = t.path("pipe.LOG");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto through_fifo = [&](const std::string& program, const std::string& args, const std::string& feed) {
    return run_bash("(cat " + q(feed) + " >" + q(fifo) + " &); " + q(program) + " " + args);
  };
  for (const std::string format : {"csv", "gpx"}) {
    const program_result from_fifo = through_fifo(exporter, format + " " + fifo, log);
    EXPECT_EQ(from_fifo.status, 0) << from_fifo.err;
    EXPECT_EQ(from_fifo.out, run_program(exporter, format + " " + log).out);
  }
  const program_result not_a_log = through_fifo(reporter, "-o - " + fifo, t.write("notes.txt", "not a LOG"));
  EXPECT_EQ(not_a_log.err, "ERROR: Not a LOG file (no record could be read): " + fifo + "\n");
  // In a folder, a FIFO named *.LOG is never opened (nothing writes to this one: opening it
  // would wait for ever).
  const program_result folder = run_program("/usr/bin/timeout", "10 " + q(info) + " --json " + q(t.dir));
  EXPECT_EQ(folder.status, 0) << folder.err;
  EXPECT_EQ(count_of(folder.out, "\n"), 1u);
  EXPECT_EQ(folder.err, t.dir + ": 1 LOG found, 2 files skipped\n");
  EXPECT_EQ(info_schema_errors(folder.out), "");
}

TEST(FileSafety, DatesOutsideTheYears1970To2099AreRefused) {
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  for (const std::string time : {"0000-01-01T00:00:00Z", "9999-12-31T23:59:59Z", "1969-12-31T23:59:59Z",
                                  "2100-01-01T00:00:00Z"}) {
    for (const auto& [program, option] : {std::pair{info, "--utc-start"}, {exporter, "gpx --utc-start"},
                                          {exporter, "csv --from"}, {reporter, "--to"}}) {
      const program_result r = run_program(program, std::string(option) + " " + time + " " + log);
      EXPECT_EQ(r.status, 1) << program << " " << option << " " << time;
      EXPECT_NE(r.err.find(": not a UTC time from 1970 to 2099: " + time), std::string::npos) << r.err;
    }
  }
  for (const std::string time : {"1970-01-01T00:00:00Z", "2099-12-31T23:59:59Z"}) {
    EXPECT_EQ(run_program(exporter, "gpx --utc-start " + time + " " + log).status, 0) << time;
  }
}

TEST(FileSafety, NamesAndOptionsReachTheTerminalAndTheCsvSafely) {
  temp_files t;
  const std::string dir = t.dir + "/a\x1b[2J\x07";
  std::filesystem::create_directory(dir);
  const std::string log = dir + "/f\x9b\xff.LOG";
  std::ofstream(log, std::ios::binary) << two_flights_log();
  const std::string shown = t.dir + "/a\\x1b[2J\\x07/f\\x9b\\xff.LOG";
  const program_result text = run_program(info, q(log));
  EXPECT_TRUE(text.out.starts_with(shown + "   ")) << text.out;
  // A right-to-left override would show "gpj.LOG" as "GOL.jpg".
  const program_result missing = run_program(tracker, q(dir + "/\x1b]0;x\x07\xE2\x80\xAEgpj.LOG"));
  EXPECT_EQ(missing.err, "ERROR: Input file can't be opened for reading: " + t.dir +
                             "/a\\x1b[2J\\x07/\\x1b]0;x\\x07\\xe2\\x80\\xaegpj.LOG: No such file or directory\n");
  const program_result option = run_program(exporter, q("--\x1b[31m") + " csv " + q(log));
  EXPECT_EQ(option.err, exporter + ": unknown option --\\x1b[31m (see " + exporter + " --help)\n");
  // The registration in the avionics CSV header: one quoted cell of UTF-8 text.
  const program_result csv = run_program(exporter, "avionics-csv --tail " + q("N1\r\n\"x,\x1b\xff\xC3\xA9") + " " + q(log));
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_NE(csv.out.find("aircraft_ident=\"N1   x  \xEF\xBF\xBD\xC3\xA9\","), std::string::npos)
      << csv.out.substr(0, 400);
}

TEST(FileSafety, SeveralLogsGoToAFolderAFileEachOrAFileAFlight) {
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  std::filesystem::create_directory(t.path("other"));
  const std::string same_name = t.write("other/flight.log", two_flights_log());
  const std::string second = t.write("second.LOG", profile_log({{30, 0, 0}, {60, 1000, 10}}));
  const std::string out = t.path("out");
  const program_result r = run_program(exporter, "gpx --output-dir " + out + " " + log + " " + second + " " + same_name);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR: Output file was written for another LOG of this run: " + out + "/flight.gpx\n");
  EXPECT_EQ(names_in(out), (std::vector<std::string>{"flight.gpx", "second.gpx"}));
  EXPECT_EQ(read_file(out + "/flight.gpx"), run_program(exporter, "gpx " + log).out);

  const program_result each = run_program(exporter, "kml --each-flight --output-dir " + out + " " + log + " " + second);
  EXPECT_EQ(each.status, 0) << each.err;
  EXPECT_EQ(each.err, "warning: " + second + ": no flight found; no file written\n");
  EXPECT_EQ(names_in(out), (std::vector<std::string>{"flight-flight-1-2024-05-18.kml", "flight-flight-2-2024-05-18.kml",
                                                    "flight.gpx", "second.gpx"}));
  EXPECT_EQ(read_file(out + "/flight-flight-2-2024-05-18.kml"), run_program(exporter, "kml --flight 2 " + log).out);
  // A LOG named as an output of the run is not overwritten.
  const program_result itself = run_program(exporter, "gpx --output-dir " + t.dir + " " + log + " " + t.path("flight.gpx"));
  EXPECT_EQ(itself.status, 2);
  for (const auto& [args, says] : {std::pair{"--each-flight " + log, "--each-flight writes a file per flight: give --output-dir DIR"},
                                   {"--output-dir " + out + " -", "standard input (\"-\") has no name"},
                                   {"--output-dir " + out + " -o x " + log, "-o names one file and --output-dir a folder"}}) {
    const program_result usage = run_program(exporter, "gpx " + args);
    EXPECT_EQ(usage.status, 1) << args;
    EXPECT_NE(usage.err.find(says), std::string::npos) << usage.err;
  }
}

TEST(FileSafety, ThreadsTheSystemWontGiveLeaveTheWorkToFewer) {
  if (under_sanitizer()) GTEST_SKIP() << "a sanitizer's shadow memory does not fit the address space limit";
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  // Every thread asks for a 4 GB stack in a 3 GB address space.
  const program_result r =
      run_bash("ulimit -s 4000000 && ulimit -v 3000000 && " + q(info) + " -j 4 --json " + log + " " + log + " " + log);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_of(r.out, "\n"), 3u);
  EXPECT_EQ(info_schema_errors(r.out), "");
}
