#include "file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "records/byte_order.h"
#include "records/efis_record.h"
#include "records/source_type.h"
#include "text/utf8_text.h"

namespace {

bool closed_at_start[3] = {false, false, false};

// Opens what path names (nullptr: what standard output writes to) for reading, without waiting
// on a FIFO or taking a terminal; -1 when that is not possible.
int open_for_a_look(const char* path) {
  constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  if (path != nullptr) return ::open(path, flags);
  struct stat st {};
  if (fstat(STDOUT_FILENO, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return ::open("/proc/self/fd/1", flags);
}

// A character that changes how a terminal shows the text rather than showing itself: a C0 or
// C1 control, DEL, or an invisible format character (zero-width spaces and joiners, the
// direction marks, embeddings, overrides and isolates, the byte-order mark), which can hide or
// reorder what a message says.
bool is_hidden_or_control(std::string_view character) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(character[i]); };
  if (character.size() == 1) return byte(0) < 0x20 || byte(0) == 0x7F;
  if (character.size() == 2) return byte(0) == 0xC2 && byte(1) < 0xA0;  // U+0080 to U+009F
  if (character.size() != 3) return false;
  const unsigned code = (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
  return (code >= 0x200B && code <= 0x200F) || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2060 && code <= 0x2069) || code == 0xFEFF;
}

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

bool holds_log_records(const char* path) {
  const int fd = open_for_a_look(path);
  if (fd < 0) return false;
  struct stat st {};
  std::uint8_t header[record_header_size];
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  const bool read_whole = regular && pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  close(fd);
  if (!read_whole) return false;
  const std::uint32_t length = be_u32_at(header, 5);
  return is_known_source_type(header[0]) && length >= 1 && length <= max_payload_size &&
         static_cast<std::uint64_t>(st.st_size) >= record_header_size + length;
}

int read_error_of(FILE* input) { return std::ferror(input) ? read_error_from(errno) : 0; }

int read_error_from(int error) {
  // A number parsed after a read that failed part way may have left ERANGE, which no read
  // gives: the reason is then the plain I/O error.
  return error != 0 && error != ERANGE && error != EDOM ? error : EIO;
}

std::string terminal_text(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = utf8_character_length(text.substr(i));
    if (n != 0 && !is_hidden_or_control(text.substr(i, n))) {
      shown.append(text.substr(i, n));
      i += n;
      continue;
    }
    for (std::size_t k = 0; k < (n != 0 ? n : 1); ++k) {
      static constexpr char hex[] = "0123456789abcdef";
      const auto b = static_cast<unsigned char>(text[i + k]);
      shown += "\\x";
      shown += hex[b >> 4];
      shown += hex[b & 0xF];
    }
    i += n != 0 ? n : 1;
  }
  return shown;
}

void print_file_error(const char* what, const char* name, int error, const char* hint) {
  std::string line = std::string("ERROR: ") + terminal_text(what);
  if (name != nullptr) line += ": " + terminal_text(name);
  if (error != 0) line += std::string(": ") + std::strerror(error);
  line += '\n';
  if (hint != nullptr) line += terminal_text(hint) + '\n';
  std::fputs(line.c_str(), stderr);
}

void exit_file_error(const char* what, const char* name, int error, const char* hint) {
  print_file_error(what, name, error, hint);
  std::exit(2);
}
