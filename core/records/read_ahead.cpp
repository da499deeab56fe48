#include "records/read_ahead.h"

#if !defined(__wasi__)

#include <sys/stat.h>

#include <system_error>

FILE* open_again(FILE* input) {
  if (!read_ahead::suits(input)) return nullptr;
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fileno(input));
  return std::fopen(path, "rb");
}

bool read_ahead::suits(FILE* input) {
  if (input == nullptr) return false;
  const int fd = fileno(input);
  struct stat st;
  return fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool read_ahead::start(FILE* input, std::uint8_t* const (&spare)[spares], std::size_t block_size,
                       block_worker* worker) {
  stop();
  input_ = input;
  worker_ = worker;
  block_size_ = block_size;
  // Filled from the last: the first spare is read first.
  for (int i = 0; i < spares; ++i) to_fill_[i] = spare[spares - 1 - i];
  to_fill_count_ = spares;
  filled_count_ = 0;
  stopping_ = false;
  try {
    thread_ = std::thread(&read_ahead::run, this);
  } catch (const std::system_error&) {
    to_fill_count_ = 0;
    return false;
  }
  return true;
}

void read_ahead::run() {
  for (;;) {
    std::uint8_t* buffer;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || to_fill_count_ > 0; });
      if (stopping_) return;
      buffer = to_fill_[--to_fill_count_];
    }
    const std::size_t size = std::fread(buffer, 1, block_size_, input_);
    unhanded_ = buffer;
    unhanded_size_ = size;
    unhanded_error_ = size == 0 && std::ferror(input_) != 0;
    if (worker_ != nullptr) worker_->take_block(buffer, size, *this);
    hand_over();
    if (size == 0) return;  // the end of the input or a read error: nothing more will come
  }
}

void read_ahead::hand_over() {
  if (unhanded_ == nullptr) return;
  {
    std::lock_guard lock(mutex_);
    filled_[filled_count_++] = {unhanded_, unhanded_size_, unhanded_error_};
  }
  unhanded_ = nullptr;
  changed_.notify_all();
}

std::uint8_t* read_ahead::exchange(std::uint8_t* done, std::size_t& size, bool& read_error) {
  std::uint8_t* block;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return filled_count_ > 0; });
    block = filled_[0].data;
    size = filled_[0].size;
    read_error = filled_[0].read_error;
    for (int i = 1; i < filled_count_; ++i) filled_[i - 1] = filled_[i];
    --filled_count_;
    to_fill_[to_fill_count_++] = done;
  }
  changed_.notify_all();
  return block;
}

void read_ahead::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_ != nullptr) worker_->stop_waiting();
  thread_.join();
  if (worker_ != nullptr) worker_->stopped();
  worker_ = nullptr;
}

#else

FILE* open_again(FILE*) { return nullptr; }

#endif
