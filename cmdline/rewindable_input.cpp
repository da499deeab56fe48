#include "rewindable_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "file_checks.h"

namespace {

std::string with_reason(const std::string& what, const char* name, int error) {
  return what + ": " + name + ": " + std::strerror(error != 0 ? error : EIO);
}

// A file in TMPDIR that no one else can reach: made without a name where the file system can,
// else named and unlinked at once. nullptr with errno set when it can't be made.
FILE* anonymous_temporary_file() {
  const char* env = std::getenv("TMPDIR");
  const std::string dir = env != nullptr && env[0] != '\0' ? env : "/tmp";
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0 && errno != ENOENT && errno != EACCES && errno != ENOSPC) {
    const std::string path = dir + "/orvexdecode-XXXXXX";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) unlink(name.data());
  }
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, "w+b");
  if (f == nullptr) {
    const int error = errno;
    close(fd);
    errno = error;
  }
  return f;
}

}  // namespace

std::string make_rewindable(FILE* input, const char* name, rewindable_input& r) {
  r = rewindable_input{};
  struct stat st {};
  if (fstat(fileno(input), &st) == 0 && S_ISREG(st.st_mode)) {
    const off_t at = ftello(input);
    if (at >= 0) {
      r.stream = input;
      r.start = at;
      return "";
    }
  }
  const std::string copy_failed = "LOG can't be copied to a temporary file";
  FILE* copy = anonymous_temporary_file();
  if (copy == nullptr) return with_reason(copy_failed, name, errno);
  static char block[1 << 16];
  std::uint64_t copied = 0;
  std::size_t n;
  errno = 0;
  while ((n = std::fread(block, 1, sizeof block, input)) > 0) {
    copied += n;
    if (copied > most_staged_bytes) {
      std::fclose(copy);
      return std::string("LOG read as a stream is longer than the 4 GiB copied to a temporary file: ") + name;
    }
    if (std::fwrite(block, 1, n, copy) != n) {
      const int error = errno;
      std::fclose(copy);
      return with_reason(copy_failed, name, error);
    }
  }
  if (const int error = read_error_of(input)) {
    std::fclose(copy);
    return with_reason("Input file can't be read", name, error);
  }
  if (std::fflush(copy) != 0 || fseeko(copy, 0, SEEK_SET) != 0) {
    const int error = errno;
    std::fclose(copy);
    return with_reason(copy_failed, name, error);
  }
  r.stream = copy;
  r.copied = true;
  return "";
}

bool rewind_input(rewindable_input& input) {
  std::clearerr(input.stream);
  return fseeko(input.stream, input.start, SEEK_SET) == 0;
}

void close_input(rewindable_input& input) {
  if (input.stream != nullptr && input.copied) std::fclose(input.stream);
  input.stream = nullptr;
}
