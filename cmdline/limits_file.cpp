#include "limits_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "file_checks.h"

std::string read_limits_file(const std::string& path) {
  const char* const name = path.c_str();
  // Opened without waiting on a FIFO's writer, and looked at before a byte is read.
  const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) exit_file_error("Limits file can't be opened", name, errno);
  struct stat st {};
  if (fstat(fd, &st) != 0) exit_file_error("Limits file can't be read", name, errno);
  if (!S_ISREG(st.st_mode)) exit_file_error("Limits file is not a regular file", name);
  if (static_cast<std::uint64_t>(st.st_size) > most_limits_file_bytes) {
    exit_file_error("Limits file is larger than 1 MiB", name);
  }
  std::string text;
  char block[4096];
  ssize_t n;
  while ((n = ::read(fd, block, sizeof block)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) exit_file_error("Limits file can't be read", name, errno);
    text.append(block, static_cast<std::size_t>(n));
    if (text.size() > most_limits_file_bytes) exit_file_error("Limits file is larger than 1 MiB", name);
  }
  close(fd);
  const limits_parse_result parsed = parse_limits(text);
  if (!parsed.ok()) {
    std::fprintf(stderr, "ERROR: %s:%d: %s\n", terminal_text(path).c_str(), parsed.error_line,
                 terminal_text(parsed.error).c_str());
    std::exit(2);
  }
  return text;
}
