#include "limits_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "file_checks.h"

std::string read_settings_file(const std::string& path, const std::string& what) {
  const char* const name = path.c_str();
  const auto fail = [&](const char* why, int error = 0) { exit_file_error((what + why).c_str(), name, error); };
  // Opened without waiting on a FIFO's writer, and looked at before a byte is read.
  const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) fail(" can't be opened", errno);
  struct stat st {};
  if (fstat(fd, &st) != 0) fail(" can't be read", errno);
  if (!S_ISREG(st.st_mode)) fail(" is not a regular file");
  if (static_cast<std::uint64_t>(st.st_size) > most_limits_file_bytes) fail(" is larger than 1 MiB");
  std::string text;
  char block[4096];
  ssize_t n;
  while ((n = ::read(fd, block, sizeof block)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(" can't be read", errno);
    text.append(block, static_cast<std::size_t>(n));
    if (text.size() > most_limits_file_bytes) fail(" is larger than 1 MiB");
  }
  close(fd);
  return text;
}

std::string read_limits_file(const std::string& path) {
  std::string text = read_settings_file(path, "Limits file");
  const limits_parse_result parsed = parse_limits(text);
  if (!parsed.ok()) {
    std::fprintf(stderr, "ERROR: %s:%d: %s\n", terminal_text(path).c_str(), parsed.error_line,
                 terminal_text(parsed.error).c_str());
    std::exit(2);
  }
  return text;
}

profile_source profile_option(const std::string& file, const std::vector<std::string>& settings,
                              void (*usage_error)(const std::string& message)) {
  profile_source source;
  if (!file.empty()) {
    source.given = true;
    source.text = read_settings_file(file, "Profile");
    const profile_parse_result parsed = read_aircraft_profile(source.text, source.profile);
    if (!parsed.ok()) {
      std::fprintf(stderr, "ERROR: %s:%d: %s\n", terminal_text(file).c_str(), parsed.error_line,
                   terminal_text(parsed.error).c_str());
      std::exit(2);
    }
  }
  for (const std::string& setting : settings) {
    const profile_parse_result parsed = read_aircraft_profile(setting, source.profile);
    if (!parsed.ok()) usage_error("--profile-set: " + parsed.error + ": " + setting);
  }
  source.settings = settings;
  for (const std::string& setting : source.settings) source.setting_pointers.push_back(setting.c_str());
  return source;
}
