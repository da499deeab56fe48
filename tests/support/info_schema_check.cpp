#include "support/info_schema_check.h"

#include <cstdlib>

#include "support/run_program.h"

std::string info_schema_validator_missing() {
  if (run_program("/usr/bin/python3", "-c 'import jsonschema'").status == 0) return "";
  return "python3-jsonschema is not installed (scripts/install_deps.sh installs it)";
}

std::string info_schema_errors(const std::string& json_lines) {
  static const std::string missing = info_schema_validator_missing();
  if (!missing.empty()) return std::getenv("CI") != nullptr ? missing : "";
  const std::string source_dir = ORVEX_SOURCE_DIR;
  const temp_files t;
  const std::string lines = t.write("lines.jsonl", json_lines);
  const program_result check =
      run_program("/usr/bin/python3", shell_quote(source_dir + "/tests/cmdline/validate_json_lines.py") +
                                          " --strict " + shell_quote(source_dir + "/schemas/info.schema.json") + " " +
                                          shell_quote(lines));
  return check.status == 0 ? "" : "lines that do not match the schema:\n" + check.out + check.err;
}
