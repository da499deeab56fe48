// Work handed to a thread of its own in blocks: the caller fills a command in place (next(),
// then commit()), and the thread runs the commands in the order they were committed while the
// caller goes on. A block is handed over when it is full, and the last one by finish(), which
// waits until every command has run. The blocks are fixed (block_commands commands each, four
// of them), so the memory does not grow with the work: the caller waits when the thread is four
// blocks behind.
//
// An exception thrown by the work is kept, the commands after it are dropped, and finish()
// throws it on the caller's thread.
//
// Where no thread can be started (WebAssembly under WASI has none, or the system refuses one),
// running() is false and nothing is handed over: the caller runs its commands itself.
#pragma once

#include <cstddef>
#include <memory>

#if defined(__wasi__)

template <typename Command>
class work_ahead {
 public:
  template <typename Run>
  bool start(Run&&) { return false; }
  bool running() const { return false; }
  Command& next() { return spare_; }
  void commit() {}
  void finish() {}

 private:
  Command spare_{};
};

#else

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

template <typename Command>
class work_ahead {
 public:
  static constexpr std::size_t block_commands = 1024;
  static constexpr std::size_t blocks = 4;

  work_ahead() = default;
  work_ahead(const work_ahead&) = delete;
  work_ahead& operator=(const work_ahead&) = delete;
  ~work_ahead() { stop(); }

  // Starts the thread that runs each command with run. False when no thread could be started.
  template <typename Run>
  bool start(Run&& run) {
    run_ = std::forward<Run>(run);
    storage_ = std::make_unique<Command[]>(blocks * block_commands);
    try {
      thread_ = std::thread(&work_ahead::serve, this);
    } catch (const std::system_error&) {
      storage_.reset();
      return false;
    }
    return true;
  }

  bool running() const { return thread_.joinable(); }

  // The next command's place, to be filled and then committed.
  Command& next() {
    if (filled_ == 0) wait_for_room();
    return storage_[(handed_ % blocks) * block_commands + filled_];
  }
  void commit() {
    if (++filled_ == block_commands) hand_over();
  }

  // Hands over what is left, waits until every command has run and ends the thread; throws
  // what the work threw.
  void finish() {
    if (!running()) return;
    if (filled_ > 0) hand_over();
    stop();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  void wait_for_room() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return handed_ - done_ < blocks; });
  }

  void hand_over() {
    {
      std::lock_guard lock(mutex_);
      counts_[handed_ % blocks] = filled_;
      ++handed_;
    }
    filled_ = 0;
    changed_.notify_all();
  }

  void serve() {
    for (;;) {
      std::size_t block;
      std::size_t count;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopping_ || handed_ > done_; });
        if (handed_ == done_) return;  // stopping, and every block has run
        block = done_ % blocks;
        count = counts_[block];
      }
      const Command* first = &storage_[block * block_commands];
      if (!failure_) {
        try {
          for (std::size_t i = 0; i < count; ++i) run_(first[i]);
        } catch (...) {
          failure_ = std::current_exception();
        }
      }
      {
        std::lock_guard lock(mutex_);
        ++done_;
      }
      changed_.notify_all();
    }
  }

  void stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  std::function<void(const Command&)> run_;
  std::unique_ptr<Command[]> storage_;
  std::size_t counts_[blocks] = {};
  std::uint64_t handed_ = 0;  // blocks handed over
  std::uint64_t done_ = 0;    // ... and run
  std::size_t filled_ = 0;    // commands in the block being filled
  std::exception_ptr failure_;
  bool stopping_ = false;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

#endif
