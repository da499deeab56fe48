#include "file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool closed_at_start[3] = {false, false, false};

}  // namespace

void guard_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    closed_at_start[fd] = true;
    // The lowest free descriptor is fd itself, the lower ones being open by now.
    const int null_fd = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null_fd >= 0 && null_fd != fd) {
      dup2(null_fd, fd);
      close(null_fd);
    }
  }
}

bool standard_descriptor_was_closed(int fd) { return fd >= 0 && fd <= 2 && closed_at_start[fd]; }

bool is_the_input(FILE* input, const char* output) {
  struct stat in_stat {};
  struct stat out_stat {};
  if (fstat(fileno(input), &in_stat) != 0 || !S_ISREG(in_stat.st_mode)) return false;
  const int found = output == nullptr ? fstat(STDOUT_FILENO, &out_stat) : stat(output, &out_stat);
  return found == 0 && in_stat.st_dev == out_stat.st_dev && in_stat.st_ino == out_stat.st_ino;
}

int read_error_of(FILE* input) {
  if (!std::ferror(input)) return 0;
  // A number parsed after a read that failed part way may have left ERANGE, which no read
  // gives: the reason is then the plain I/O error.
  return errno != 0 && errno != ERANGE && errno != EDOM ? errno : EIO;
}

void exit_file_error(const char* what, const char* name, int error, const char* hint) {
  std::fprintf(stderr, "ERROR: %s", what);
  if (name != nullptr) std::fprintf(stderr, ": %s", name);
  if (error != 0) std::fprintf(stderr, ": %s", std::strerror(error));
  std::fputc('\n', stderr);
  if (hint != nullptr) std::fprintf(stderr, "%s\n", hint);
  std::exit(2);
}
