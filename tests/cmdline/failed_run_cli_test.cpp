// Both front ends when a run fails: outputs that collide, input that can't be read, closed
// standard streams. A failed run ends with "ERROR:" and status 2 and changes no file it names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/run_program.h"

namespace {

const std::string decoder = ORVEX_CMDLINE_PATH;
const std::string tracker = ORVEX_TRACK_PATH;

std::string hint() { return "\n\nTry `" + decoder + " --help` for more information\n"; }

// Several 256 KiB read blocks, so that a read can fail in the middle of a pass.
std::string long_log() {
  log_writer log;
  for (std::uint32_t i = 0; i < 120000; ++i) log.record(13, i, "x");
  return log.str();
}

std::string small_log() {
  log_writer log;
  log.record(9, 100, "a").record(14, 200, "b");
  return log.str();
}

// The names in a directory, sorted: a failed run leaves no temporary file behind.
std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs a shell command line (it may use bash's redirections and pipelines).
program_result run_bash(const std::string& command_line) {
  return run_program("/bin/bash", "-c " + shell_quote(command_line));
}

// strace is installed and may trace here (a container can forbid it).
bool have_strace() { return std::system("strace -o /dev/null true >/dev/null 2>&1") == 0; }

// The command with the n-th read of path (counting only reads of that file, on the thread that
// makes it) failing with EIO.
// The leak checker of a sanitizer build can't work under strace, so it is turned off.
std::string with_read_error(const std::string& path, const std::string& when, const std::string& command) {
  return "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" strace -f -o /dev/null -P " +
         shell_quote(path) + " -e trace=read -e inject=read:error=EIO:when=" + when + " " + command;
}

}  // namespace

TEST(FailedRun, OutputsThatAreTheSameFileAreRefusedBeforeAnythingIsWritten) {
  temp_files t;
  const std::string log = t.write("in.LOG", small_log());
  const std::string x = t.path("x.xml");
  t.write("x.xml", "old");
  std::system(("ln -s x.xml " + shell_quote(t.path("link.xml")) + " && ln " + shell_quote(x) + " " +
               shell_quote(t.path("hard.xml")))
                  .c_str());
  const std::string fresh = t.path("fresh.xml");
  for (const std::string& args :
       {"-o " + x + " -k " + x, "-o " + x + " -k " + t.path("link.xml"),
        "-o " + t.path("hard.xml") + " -k " + x, "-k /dev/stdout >>" + x,
        "-k " + x + " >>" + t.path("link.xml"), "-o " + fresh + " -k " + t.dir + "/./fresh.xml"}) {
    t.write("x.xml", "old");
    const program_result r = run_program(decoder, args + " " + log);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.err.starts_with("ERROR: Output file is the same file as the other output: "))
        << args << r.err;
    EXPECT_TRUE(r.err.ends_with(hint())) << r.err;
    EXPECT_EQ(read_file(x), "old") << args;
    EXPECT_FALSE(std::filesystem::exists(fresh)) << args;
  }
  // Outputs that share a device are not one document over another.
  EXPECT_EQ(run_program(decoder, "-o /dev/null -k /dev/null " + log).status, 0);
}

TEST(FailedRun, StandardOutputThatIsTheInputIsRefusedByTheTrackToo) {
  temp_files t;
  const std::string bytes = small_log();
  const std::string log = t.write("in.LOG", bytes);
  const program_result r = run_program(tracker, log + " >>" + log);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR: Output file is the same file as the input file: standard output\n");
  EXPECT_EQ(read_file(log), bytes);
}

TEST(FailedRun, InputThatCantBeReadIsAnErrorAfterAWellFormedDocument) {
  if (!have_strace()) GTEST_SKIP() << "strace is not installed";
  temp_files t;
  const std::string log = t.write("in.LOG", long_log());
  struct row {
    std::string program;
    std::string args;
    std::string when;  // which read of the LOG fails
    std::string message;
    std::string last_line;  // of standard output
  };
  const row rows[] = {
      {decoder, log, "2", "ERROR: Input file can't be read: " + log + ": Input/output error\n",
       "</orvex_efis_decode>\n"},
      {decoder, "-k /dev/null " + log, "2",
       "ERROR: Input file can't be read: " + log + ": Input/output error\n", "</orvex_efis_decode>\n"},
      {decoder, "-k /dev/null " + log, "3",
       "ERROR: Input file can't be read: " + log + ": Input/output error\n", "</orvex_efis_decode>\n"},
      {tracker, log, "2", "ERROR: Input file can't be read: " + log + ": Input/output error\n", "EOF\n"},
  };
  for (const row& r : rows) {
    const program_result result = run_program(
        "/bin/sh", "-c " + shell_quote(with_read_error(log, r.when, shell_quote(r.program) + " " + r.args)));
    EXPECT_EQ(result.status, 2) << r.args << " " << r.when;
    EXPECT_EQ(result.err, r.message) << r.args << " " << r.when;
    EXPECT_TRUE(result.out.ends_with(r.last_line)) << r.args << " " << r.when;
  }
}

TEST(FailedRun, DirectoryOrClosedStandardInputIsAnError) {
  temp_files t;
  const struct {
    std::string program;
    std::string args;
    std::string message;
  } rows[] = {
      {decoder, t.dir, "ERROR: Input file can't be read: " + t.dir + ": Is a directory\n"},
      {decoder, "-k /dev/null " + t.dir, "ERROR: Input file can't be read: " + t.dir + ": Is a directory\n"},
      {decoder, "-k /dev/null - <" + t.dir,
       "ERROR: Input file can't be read: standard input: Is a directory\n"},
      {decoder, "- <&-", "ERROR: Standard input is closed\n"},
      {decoder, "-k /dev/null stdin <&-", "ERROR: Standard input is closed\n"},
      {tracker, "- <&-", "ERROR: Standard input is closed\n"},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(r.program, r.args);
    EXPECT_EQ(result.status, 2) << r.args;
    EXPECT_EQ(result.err, r.message) << r.args;
  }
}

TEST(FailedRun, PipedInputWithKmlNeedsNoRoomForACopy) {
  // One read serves both documents: with no file allowed to grow (SIGXFSZ ignored, so a write
  // would say EFBIG) the report from a pipe is still whole.
  temp_files t;
  const std::string log = t.write("in.LOG", small_log());
  const program_result r =
      run_bash("set -o pipefail; cat " + shell_quote(log) + " | (trap '' XFSZ; ulimit -f 0; " +
               shell_quote(decoder) + " -k /dev/null - 2>&1) | tail -n 1");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "</orvex_efis_decode>\n");
}

TEST(FailedRun, ClosedStandardOutputIsNamedAsSuch) {
  temp_files t;
  const std::string log = t.write("in.LOG", small_log());
  for (const std::string& program : {decoder, tracker}) {
    const program_result r = run_program(program, log + " >&-");
    EXPECT_EQ(r.status, 2) << program;
    EXPECT_EQ(r.err, "ERROR: Standard output is closed\n") << program;
  }
  // Not needed, a closed standard output (or error) is no obstacle.
  const program_result r = run_program(decoder, "-o " + t.path("out.xml") + " " + log + " >&- 2>&-");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(read_file(t.path("out.xml")).ends_with("</orvex_efis_decode>\n"));
  EXPECT_EQ(run_program(tracker, log + " " + t.path("out.txt") + " >&-").status, 0);
}

TEST(FailedRun, ChangesNoFileItNames) {
  if (!have_strace()) GTEST_SKIP() << "strace is not installed";
  temp_files t;
  const std::string log = t.write("in.LOG", long_log());
  const std::string xml = t.path("out.xml");
  const std::string kml = t.path("out.kml");
  const std::string track = t.path("out.txt");
  const std::string broken_log = shell_quote(decoder) + " -o " + xml + " -k " + kml + " " + log;
  for (const bool existing : {true, false}) {
    for (const std::string& command :
         {shell_quote(decoder) + " -o " + xml + " -k " + t.path("none/x.kml") + " " + log,
          shell_quote(decoder) + " -o " + xml + " -k /dev/full " + log,
          shell_quote(decoder) + " -o " + xml + " -k " + kml + " " + t.dir,
          with_read_error(log, "2", broken_log), with_read_error(log, "3", broken_log),
          shell_quote(tracker) + " " + t.dir + " " + track,
          with_read_error(log, "2", shell_quote(tracker) + " " + log + " " + track),
          "timeout -s TERM 1 " + shell_quote(decoder) + " -o " + xml + " /dev/zero",
          "timeout -s INT 1 " + shell_quote(tracker) + " /dev/zero " + track}) {
      if (existing) {
        t.write("out.xml", "old xml");
        t.write("out.kml", "old kml");
        t.write("out.txt", "old track");
      }
      const std::vector<std::string> before = names_in(t.dir);
      const program_result r = run_program("/bin/sh", "-c " + shell_quote(command));
      EXPECT_NE(r.status, 0) << command;
      EXPECT_EQ(names_in(t.dir), before) << command;
      if (existing) {
        EXPECT_EQ(read_file(xml), "old xml") << command;
        EXPECT_EQ(read_file(kml), "old kml") << command;
        EXPECT_EQ(read_file(track), "old track") << command;
      }
    }
    std::filesystem::remove(xml);
    std::filesystem::remove(kml);
    std::filesystem::remove(track);
  }
}

TEST(FailedRun, ASuccessfulRunReplacesTheNamedFileKeepingItsModeAndLinks) {
  temp_files t;
  const std::string log = t.write("in.LOG", small_log());
  t.write("target.xml", "old");
  t.write("track.txt", "old");
  chmod(t.path("target.xml").c_str(), 0640);
  chmod(t.path("track.txt").c_str(), 0604);
  std::system(("ln -s target.xml " + shell_quote(t.path("link.xml"))).c_str());
  EXPECT_EQ(run_program(decoder, "-o " + t.path("link.xml") + " -k " + t.path("new.kml") + " " + log).status,
            0);
  EXPECT_EQ(run_program(tracker, log + " " + t.path("track.txt")).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(t.path("link.xml")));
  EXPECT_TRUE(read_file(t.path("target.xml")).ends_with("</orvex_efis_decode>\n"));
  EXPECT_TRUE(read_file(t.path("new.kml")).ends_with("</Document></kml>\n"));
  EXPECT_TRUE(read_file(t.path("track.txt")).ends_with("EOF\n"));
  struct stat st{};
  stat(t.path("target.xml").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  stat(t.path("track.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  const mode_t mask = umask(0);
  umask(mask);
  stat(t.path("new.kml").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
  EXPECT_EQ(names_in(t.dir),
            (std::vector<std::string>{"in.LOG", "link.xml", "new.kml", "target.xml", "track.txt"}));
}
