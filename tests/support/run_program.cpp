#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/capture.h"

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string make_temp_dir() {
  char pattern[] = "/tmp/orvexdecode-test-XXXXXX";
  const char* dir = mkdtemp(pattern);
  return dir != nullptr ? std::string(dir) : std::string("/tmp");
}

program_result run_program(const std::string& program, const std::string& args,
                           const std::string& stdin_data) {
  const std::string dir = make_temp_dir();
  const std::string in_path = dir + "/stdin";
  {
    std::ofstream in(in_path, std::ios::binary);
    in << stdin_data;
  }
  // The default redirections come first so that redirections in args override them.
  const std::string command = shell_quote(program) + " <" + shell_quote(in_path) + " >" +
                              shell_quote(dir + "/stdout") + " 2>" + shell_quote(dir + "/stderr") +
                              " " + args;
  const int raw = std::system(command.c_str());
  program_result result;
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = read_file(dir + "/stdout");
  result.err = read_file(dir + "/stderr");
  std::system(("rm -rf " + shell_quote(dir)).c_str());
  return result;
}

std::string temp_files::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(path(name), std::ios::binary) << bytes;
  return path(name);
}

temp_files::~temp_files() { std::system(("rm -rf " + shell_quote(dir)).c_str()); }
