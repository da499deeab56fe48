#include "output_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// Temporary files not yet committed, kept where an exit handler and a signal handler can remove
// them with nothing but unlink().
struct temporary_entry {
  char path[PATH_MAX];
  volatile std::sig_atomic_t active;
};
constexpr int temporary_capacity = 8;
temporary_entry temporaries[temporary_capacity];

constexpr int removal_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

void remove_temporaries() {
  for (temporary_entry& t : temporaries) {
    if (t.active != 0) {
      unlink(t.path);
      t.active = 0;
    }
  }
}

// Removes the temporary files, then lets the signal do what it would have done.
void remove_temporaries_on_signal(int signal_number) {
  const int saved_errno = errno;
  remove_temporaries();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
  errno = saved_errno;
}

// Installed once, before the first temporary file: an exit handler and the signal handlers
// (a signal the front end was started with ignored stays ignored).
void install_removal() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(remove_temporaries);
  for (const int s : removal_signals) {
    struct sigaction current {};
    if (sigaction(s, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = remove_temporaries_on_signal;
    sigemptyset(&handler.sa_mask);
    sigaction(s, &handler, nullptr);
  }
}

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// In a sticky directory (such as /tmp) only the owner of a file, or of the directory, may
// rename over it; another user's file there that may be written to is written directly.
bool may_rename_over(const std::string& dir, const struct stat& file) {
  struct stat d {};
  if (stat(dir.c_str(), &d) != 0 || (d.st_mode & S_ISVTX) == 0) return true;
  const uid_t me = geteuid();
  return me == 0 || me == file.st_uid || me == d.st_uid;
}

// The file a named output stands for once symbolic links are followed. True when that file
// is to be replaced through a temporary file: it is a regular file (exists is then true and
// st holds its status) or it does not exist yet. False when it is written directly: it is
// something else, a link lies in /proc (a descriptor's link, as /dev/stdout leads to), or the
// name can't be looked at (opening it will say why).
bool find_replaceable_target(const char* path, std::string& target, struct stat& st, bool& exists) {
  std::string name = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (lstat(name.c_str(), &st) != 0) {
      if (errno != ENOENT) return false;
      target = name;
      exists = false;
      return true;
    }
    const std::string dir = directory_of(name);
    if (!S_ISLNK(st.st_mode)) {
      if (!S_ISREG(st.st_mode) || !may_rename_over(dir, st)) return false;
      target = name;
      exists = true;
      return true;
    }
    struct statfs fs {};
    if (statfs(dir.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC) return false;
    char link[PATH_MAX];
    const ssize_t n = readlink(name.c_str(), link, sizeof link - 1);
    if (n < 0) return false;
    link[n] = '\0';
    name = link[0] == '/' ? std::string(link) : dir + "/" + link;
  }
  return false;
}

// Creates the temporary file beside target and enters it in the removal list, with the
// removal signals held back so that none can fall between the two. -1 when it can't be done.
int create_temporary(const std::string& target, int& slot) {
  const std::string name = directory_of(target) + "/." + base_of(target).substr(0, 64) + ".XXXXXX";
  if (name.size() >= PATH_MAX) return -1;
  install_removal();
  sigset_t held;
  sigset_t previous;
  sigemptyset(&held);
  for (const int s : removal_signals) sigaddset(&held, s);
  sigprocmask(SIG_BLOCK, &held, &previous);
  int fd = -1;
  for (int i = 0; i < temporary_capacity; ++i) {
    if (temporaries[i].active != 0) continue;
    std::memcpy(temporaries[i].path, name.c_str(), name.size() + 1);
    fd = mkostemp(temporaries[i].path, O_CLOEXEC);
    if (fd >= 0) {
      std::atomic_signal_fence(std::memory_order_seq_cst);
      temporaries[i].active = 1;
      slot = i;
    }
    break;
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return fd;
}

mode_t creation_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// What a document that does not exist yet resolves to: links followed and the directory made
// absolute; empty when its directory does not exist.
std::string resolved_new_path(const char* path) {
  std::string target;
  struct stat st {};
  bool exists = false;
  if (!find_replaceable_target(path, target, st, exists) || exists) return "";
  char dir[PATH_MAX];
  if (realpath(directory_of(target).c_str(), dir) == nullptr) return "";
  return std::string(dir) + "/" + base_of(target);
}

}  // namespace

bool output_file::open(const char* path) {
  discard();
  if (path == nullptr) {
    stream_ = stdout;
    return true;
  }
  std::string target;
  struct stat st {};
  bool exists = false;
  if (find_replaceable_target(path, target, st, exists)) {
    if (exists) {
      // The file must be writable as it is, as for a direct open, though it is not opened.
      const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (probe < 0) return false;
      close(probe);
    }
    int slot = -1;
    const int fd = create_temporary(target, slot);
    if (fd >= 0) {
      slot_ = slot;
      if (exists) {
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
          // Only the owner's own files keep their owner; the mode is still kept.
        }
        fchmod(fd, st.st_mode & 07777);
      } else {
        fchmod(fd, creation_mode());
      }
      stream_ = fdopen(fd, "wb");
      if (stream_ == nullptr) {
        const int saved = errno;
        close(fd);
        discard();
        errno = saved;
        return false;
      }
      target_ = target;
      return true;
    }
    // No temporary file beside it (a directory the user can't write to, say): the target
    // itself, when it can be opened.
  }
  stream_ = std::fopen(path, "wb");
  return stream_ != nullptr;
}

bool output_file::finish() {
  if (stream_ == nullptr) return true;
  bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
  int error = errno;
  if (std::fclose(stream_) != 0 && written) {
    written = false;
    error = errno;
  }
  stream_ = nullptr;
  errno = error;
  return written;
}

bool output_file::commit() {
  if (slot_ < 0) return true;
  if (std::rename(temporaries[slot_].path, target_.c_str()) != 0) {
    const int saved = errno;
    discard();
    errno = saved;
    return false;
  }
  temporaries[slot_].active = 0;
  slot_ = -1;
  return true;
}

void output_file::discard() {
  if (stream_ != nullptr && stream_ != stdout) std::fclose(stream_);
  stream_ = nullptr;
  if (slot_ >= 0) {
    unlink(temporaries[slot_].path);
    temporaries[slot_].active = 0;
    slot_ = -1;
  }
  target_.clear();
}

bool outputs_collide(const char* a, const char* b) {
  struct stat sa {};
  struct stat sb {};
  const bool a_exists = a == nullptr ? fstat(STDOUT_FILENO, &sa) == 0 : stat(a, &sa) == 0;
  const bool b_exists = b == nullptr ? fstat(STDOUT_FILENO, &sb) == 0 : stat(b, &sb) == 0;
  if (a_exists && b_exists) {
    return S_ISREG(sa.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  if (a_exists || b_exists || a == nullptr || b == nullptr) return false;
  const std::string ra = resolved_new_path(a);
  return !ra.empty() && ra == resolved_new_path(b);
}
