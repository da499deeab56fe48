// Test support: run a built executable through the shell and collect what it did.
#pragma once

#include <string>

struct program_result {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs `program args` with stdin_data on standard input (empty: /dev/null). args is a shell
// fragment and may hold its own redirections, which win over the defaults.
program_result run_program(const std::string& program, const std::string& args,
                           const std::string& stdin_data = "");

// A fresh empty directory for one test's files.
std::string make_temp_dir();

// Quotes a text for the shell.
std::string shell_quote(const std::string& text);

// A temporary directory removed with the object; write() puts bytes in a file there.
struct temp_files {
  std::string dir = make_temp_dir();
  std::string path(const std::string& name) const { return dir + "/" + name; }
  std::string write(const std::string& name, const std::string& bytes) const;
  ~temp_files();
};
