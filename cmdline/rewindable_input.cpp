#include "rewindable_input.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "file_checks.h"

namespace {

[[noreturn]] void exit_copy_error(int error) {
  exit_file_error("Standard input can't be copied to a temporary file", nullptr, error != 0 ? error : EIO);
}

FILE* anonymous_temporary_file() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir != nullptr && dir[0] != '\0' ? dir : "/tmp") + "/orvexdecode-XXXXXX";
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) exit_copy_error(errno);
  unlink(name.data());
  FILE* f = fdopen(fd, "w+b");
  if (f == nullptr) {
    const int error = errno;
    close(fd);
    exit_copy_error(error);
  }
  return f;
}

}  // namespace

rewindable_input make_rewindable(FILE* input, const char* name) {
  rewindable_input r;
  struct stat st {};
  if (fstat(fileno(input), &st) == 0 && S_ISREG(st.st_mode)) {
    const off_t at = ftello(input);
    if (at >= 0) {
      r.stream = input;
      r.start = at;
      return r;
    }
  }
  FILE* copy = anonymous_temporary_file();
  static char block[1 << 16];
  std::size_t n;
  errno = 0;
  while ((n = std::fread(block, 1, sizeof block, input)) > 0) {
    if (std::fwrite(block, 1, n, copy) != n) {
      const int error = errno;
      std::fclose(copy);
      exit_copy_error(error);
    }
  }
  if (const int error = read_error_of(input)) {
    std::fclose(copy);
    exit_file_error("Input file can't be read", name, error);
  }
  if (std::fflush(copy) != 0 || fseeko(copy, 0, SEEK_SET) != 0) {
    const int error = errno;
    std::fclose(copy);
    exit_copy_error(error);
  }
  r.stream = copy;
  r.copied = true;
  return r;
}

bool rewind_input(rewindable_input& input) {
  std::clearerr(input.stream);
  return fseeko(input.stream, input.start, SEEK_SET) == 0;
}

void close_input(rewindable_input& input) {
  if (input.stream != nullptr && input.copied) std::fclose(input.stream);
  input.stream = nullptr;
}
