#include "output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

namespace {

// Temporary files not yet committed, kept where an exit handler and a signal handler can remove
// them with nothing but unlink().
struct temporary_entry {
  char path[PATH_MAX];
  volatile std::sig_atomic_t active;
};
constexpr int temporary_capacity = 8;
temporary_entry temporaries[temporary_capacity];

// Every signal whose default action ends the process, but SIGKILL and SIGSTOP, which can't be
// caught (a temporary file a SIGKILL leaves is swept by the next run, see sweep_stale_temporaries),
// and the real-time signals, added at installation.
constexpr int removal_signals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                   SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                                   SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSYS};
struct sigaction previous_actions[NSIG];

void remove_temporaries() {
  for (temporary_entry& t : temporaries) {
    if (t.active != 0) {
      unlink(t.path);
      t.active = 0;
    }
  }
}

bool is_fault(int signal_number) {
  return signal_number == SIGSEGV || signal_number == SIGBUS || signal_number == SIGFPE || signal_number == SIGILL;
}

// Removes the temporary files, then lets the signal do what it would have done without this
// handler: the action found at installation (the default, or a sanitizer's) is put back and
// the signal raised again. A fault the processor raised is not raised again: returning runs
// the faulting instruction again, which raises it with its address.
void remove_temporaries_on_signal(int signal_number, siginfo_t* info, void*) {
  const int saved_errno = errno;
  remove_temporaries();
  sigaction(signal_number, &previous_actions[signal_number], nullptr);
  if (!(is_fault(signal_number) && info != nullptr && info->si_code > 0)) raise(signal_number);
  errno = saved_errno;
}

void install_removal_handler(int signal_number) {
  if (signal_number <= 0 || signal_number >= NSIG) return;
  struct sigaction& current = previous_actions[signal_number];
  if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  struct sigaction handler {};
  handler.sa_sigaction = remove_temporaries_on_signal;
  handler.sa_flags = SA_SIGINFO;
  sigemptyset(&handler.sa_mask);
  sigaction(signal_number, &handler, nullptr);
}

// The signals held back while a temporary file is made and entered in the list.
sigset_t removal_signal_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const int s : removal_signals) sigaddset(&set, s);
  for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigaddset(&set, s);
  return set;
}

// Installed once, before the first temporary file: an exit handler and the signal handlers
// (a signal the front end was started with ignored stays ignored).
void install_removal() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(remove_temporaries);
  for (const int s : removal_signals) install_removal_handler(s);
  for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) install_removal_handler(s);
}

// What a temporary file's name adds to its target's name: ".NAME" + marker + six characters.
constexpr std::string_view temporary_marker = ".orvexdecode-";
constexpr std::size_t temporary_suffix = 6;
// A temporary file this old (by its last change) that no run holds locked was left by a run that
// was killed (SIGKILL, a power cut). The age keeps a file just made, not yet locked, safe.
constexpr int stale_after_s = 10;

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
// rename over it.
bool may_rename_over(const std::string& dir, const struct stat& file) {
  struct stat d {};
  if (stat(dir.c_str(), &d) != 0 || (d.st_mode & S_ISVTX) == 0) return true;
  const uid_t me = geteuid();
  return me == 0 || me == file.st_uid || me == d.st_uid;
}

enum class target_kind {
  file,         // a regular file, or none yet: replaced through a temporary file
  other,        // a device, a FIFO, a descriptor's link in /proc: written directly
  not_renamed,  // a regular file in a sticky directory that only its owner may replace
  unknown,      // the name can't be looked at (opening it will say why)
};

// The file a named output stands for once symbolic links are followed, and how it is written.
// For a file, target is its name and exists says whether it is there (st holds its status).
target_kind find_target(const char* path, std::string& target, struct stat& st, bool& exists) {
  std::string name = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (lstat(name.c_str(), &st) != 0) {
      if (errno != ENOENT) return target_kind::unknown;
      target = name;
      exists = false;
      return target_kind::file;
    }
    const std::string dir = directory_of(name);
    if (!S_ISLNK(st.st_mode)) {
      if (!S_ISREG(st.st_mode)) return target_kind::other;
      if (!may_rename_over(dir, st)) return target_kind::not_renamed;
      target = name;
      exists = true;
      return target_kind::file;
    }
    struct statfs fs {};
    if (statfs(dir.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC) return target_kind::other;
    char link[PATH_MAX];
    const ssize_t n = readlink(name.c_str(), link, sizeof link - 1);
    if (n < 0) return target_kind::unknown;
    link[n] = '\0';
    name = link[0] == '/' ? std::string(link) : dir + "/" + link;
  }
  return target_kind::unknown;
}

// Removes the temporary files of target that a killed run left: named as this program names
// them, owned by the user, unchanged for a while and held locked by no run.
void sweep_stale_temporaries(const std::string& dir, const std::string& prefix) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  const time_t now = time(nullptr);
  while (const dirent* e = readdir(d)) {
    const std::string_view name = e->d_name;
    if (name.size() != prefix.size() + temporary_suffix || !name.starts_with(prefix)) continue;
    const int fd = openat(dirfd(d), e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_mtime + stale_after_s < now &&
        flock(fd, LOCK_EX | LOCK_NB) == 0) {
      unlinkat(dirfd(d), e->d_name, 0);
    }
    close(fd);
  }
  closedir(d);
}

// Creates the temporary file beside target and enters it in the removal list, with the
// removal signals held back so that none can fall between the two, and locks it for as long as
// lock_fd stays open. -1 with errno set when it can't be done.
int create_temporary(const std::string& target, int& slot, int& lock_fd) {
  const std::string dir = directory_of(target);
  std::string prefix(1, '.');
  prefix.append(base_of(target), 0, 64);
  prefix.append(temporary_marker);
  const std::string name = dir + "/" + prefix + std::string(temporary_suffix, 'X');
  if (name.size() >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  sweep_stale_temporaries(dir, prefix);
  install_removal();
  const sigset_t held = removal_signal_set();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &held, &previous);
  int fd = -1;
  errno = EMFILE;
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
  const int saved = errno;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (fd >= 0) {
    lock_fd = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (lock_fd >= 0) flock(lock_fd, LOCK_EX);
  }
  errno = saved;
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
  if (find_target(path, target, st, exists) != target_kind::file || exists) return "";
  char dir[PATH_MAX];
  if (realpath(directory_of(target).c_str(), dir) == nullptr) return "";
  return std::string(dir) + "/" + base_of(target);
}

}  // namespace

bool output_file::open(const char* path) {
  discard();
  refused_ = false;
  if (path == nullptr) {
    stream_ = stdout;
    return true;
  }
  std::string target;
  struct stat st {};
  bool exists = false;
  switch (find_target(path, target, st, exists)) {
    case target_kind::other:
    case target_kind::unknown: stream_ = std::fopen(path, "wb"); return stream_ != nullptr;
    case target_kind::not_renamed:
      refused_ = true;
      errno = EPERM;
      return false;
    case target_kind::file: break;
  }
  if (exists) {
    // The file must be writable as it is, as for a direct open, though it is not opened.
    const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (probe < 0) return false;
    close(probe);
  }
  int slot = -1;
  const int fd = create_temporary(target, slot, lock_fd_);
  if (fd < 0) {
    // No temporary file beside it (a folder the user can't write to, say): an existing file is
    // not written directly, where a failed run would leave it cut short.
    refused_ = exists;
    return false;
  }
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
  release_lock();
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
  release_lock();
  target_.clear();
}

void output_file::release_lock() {
  if (lock_fd_ >= 0) close(lock_fd_);
  lock_fd_ = -1;
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
