// orvexdecode-export: writes a LOG as CSV, the avionics datalog CSV, GPX or KML with time
// (cmdline/export_options.cpp has the usage).
//
// An export reads the LOG twice (core/export/export_run.h): a LOG file is rewound, and
// standard input or any other stream that can't be rewound is first copied to a temporary
// file. The output replaces a named file only once the whole run has succeeded, and never a
// LOG file unless --force says so. A warning (a window that holds nothing, a LOG without GPS
// time) goes to standard error and leaves the status 0. With --output-dir each LOG (or each of
// its flights) goes to a file of its own there; a LOG that fails is told and the others still
// run.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "export_options.h"
#include "export_outputs.h"
#include "file_checks.h"
#include "log_content.h"
#include "rewindable_input.h"

namespace {

bool is_dash(const std::string& name) { return name == "-"; }

// One LOG to one output, standard output or a named file.
int export_to_one_output(const export_arguments& args) {
  const std::string& log_arg = args.logs.front();
  const char* const log_name = is_dash(log_arg) ? "standard input" : log_arg.c_str();
  const char* const output_name = args.output != nullptr ? args.output : "standard output";

  FILE* input = stdin;
  errno = 0;
  if (!is_dash(log_arg)) {
    input = std::fopen(log_arg.c_str(), "rb");
    if (input == nullptr) exit_file_error("LOG can't be opened for reading", log_name, errno);
  } else if (standard_descriptor_was_closed(STDIN_FILENO)) {
    exit_file_error("Standard input is closed");
  }
  if (args.output == nullptr && standard_descriptor_was_closed(STDOUT_FILENO)) {
    exit_file_error("Standard output is closed");
  }
  if (is_the_input(input, args.output)) exit_file_error("Output file is the LOG itself", output_name);
  if (!args.force && holds_log_records(args.output)) {
    exit_file_error(
        "Output file is a LOG file (--force overwrites it; several LOGs are exported with --output-dir DIR)",
        output_name);
  }
  rewindable_input log;
  if (const std::string error = make_rewindable(input, log_name, log); !error.empty()) exit_file_error(error.c_str());
  if (const char* reason = scan_for_log_records(log.stream)) {
    exit_file_error((std::string("Not a LOG file (") + reason + ")").c_str(), log_name);
  }
  if (!rewind_input(log)) exit_file_error("LOG can't be read again", log_name, errno);

  const int status = write_export({*args.format, args.request, args.profile, log.stream, log_name, args.output, ""});
  close_input(log);
  if (input != stdin) std::fclose(input);
  return status;
}

// A run with --output-dir: the LOGs' files in one folder.
class folder_run {
 public:
  explicit folder_run(const export_arguments& args) : args_(args) {
    for (const std::string& log : args.logs) {
      struct stat st {};
      if (stat(log.c_str(), &st) == 0 && S_ISREG(st.st_mode)) inputs_.push_back(st);
    }
  }

  // The files of one LOG. Returns 0, or 2 when one of them failed (each failure told).
  int export_log(const std::string& log_arg) {
    const char* const log_name = log_arg.c_str();
    FILE* input = std::fopen(log_name, "rb");
    if (input == nullptr) {
      print_file_error("LOG can't be opened for reading", log_name, errno);
      return 2;
    }
    rewindable_input log;
    std::string error = make_rewindable(input, log_name, log);
    if (error.empty()) {
      if (const char* reason = scan_for_log_records(log.stream)) {
        error = std::string("Not a LOG file (") + reason + "): " + log_name;
      } else if (!rewind_input(log)) {
        error = std::string("LOG can't be read again: ") + log_name;
      }
    }
    int status = 0;
    if (!error.empty()) {
      print_file_error(error.c_str());
      status = 2;
    } else {
      for (const planned_export& e : plan_folder_exports(args_, log_arg, log.stream, status)) {
        if (refused(e.output) || !rewind_input(log)) {
          status = 2;
          continue;
        }
        if (write_export({*args_.format, e.request, args_.profile, log.stream, log_name, e.output.c_str(), log_arg + ": "}) != 0) {
          status = 2;
        }
      }
    }
    close_input(log);
    std::fclose(input);
    return status;
  }

 private:
  // An output that is one of the LOGs, that an earlier LOG of the run wrote (two LOGs of one
  // name in different folders), or that is a LOG file (unless --force) is refused.
  bool refused(const std::string& output) {
    const char* const name = output.c_str();
    struct stat st {};
    const bool exists = stat(name, &st) == 0;
    for (const struct stat& in : inputs_) {
      if (exists && in.st_dev == st.st_dev && in.st_ino == st.st_ino) {
        print_file_error("Output file is one of the LOGs", name);
        return true;
      }
    }
    if (!written_.insert(output).second) {
      print_file_error("Output file was written for another LOG of this run", name);
      return true;
    }
    if (!args_.force && holds_log_records(name)) {
      print_file_error("Output file is a LOG file (--force overwrites it)", name);
      return true;
    }
    return false;
  }

  const export_arguments& args_;
  std::vector<struct stat> inputs_;
  std::set<std::string> written_;
};

}  // namespace

int main(int argc, char** argv) {
  guard_standard_descriptors();
  export_arguments args = parse_export_arguments(argc, argv);
  if (args.lookup.enabled()) args.request.airports = &args.lookup;  // args lives to the end of main
  if (args.output_dir.empty()) return export_to_one_output(args);

  make_output_folder(args.output_dir);
  folder_run run(args);
  int status = 0;
  for (const std::string& log : args.logs) {
    if (run.export_log(log) != 0) status = 2;
  }
  return status;
}
