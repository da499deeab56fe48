// Work handed to a thread of its own: the caller fills a command in place (next(), then
// commit()), and the thread runs the commands in the order they were committed while the caller
// goes on. They go over in blocks (block_channel.h), so memory does not grow with the work;
// finish() waits until every command has run.
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

#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <utility>

#include "decode/block_channel.h"

template <typename Command>
class work_ahead {
 public:
  work_ahead() = default;
  work_ahead(const work_ahead&) = delete;
  work_ahead& operator=(const work_ahead&) = delete;
  ~work_ahead() {
    if (!thread_.joinable()) return;
    channel_->close();
    thread_.join();
  }

  // Starts the thread that runs each command with run. False when no thread could be started.
  template <typename Run>
  bool start(Run&& run) {
    run_ = std::forward<Run>(run);
    channel_ = std::make_unique<block_channel<Command>>();
    try {
      thread_ = std::thread(&work_ahead::serve, this);
    } catch (const std::system_error&) {
      channel_.reset();
      return false;
    }
    return true;
  }

  bool running() const { return thread_.joinable(); }

  // The next command's place, to be filled and then committed.
  Command& next() { return *channel_->next(); }  // the thread never cancels
  void commit() { channel_->commit(); }

  // Hands over what is left, waits until every command has run and ends the thread; throws
  // what the work threw.
  void finish() {
    if (!running()) return;
    channel_->close();
    thread_.join();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  void serve() {
    while (const Command* c = channel_->peek()) {
      if (!failure_) {
        try {
          run_(*c);
        } catch (...) {
          failure_ = std::current_exception();
        }
      }
      channel_->pop();
    }
  }

  std::function<void(const Command&)> run_;
  std::unique_ptr<block_channel<Command>> channel_;
  std::exception_ptr failure_;
  std::thread thread_;
};

#endif
