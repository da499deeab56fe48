// Reads the next block of a regular file on a thread of its own while the caller decodes the
// current one, so the read system call's copy runs beside the decoding instead of before it.
//
// Two buffers change hands: the thread fills one while the caller reads the other. The thread
// makes exactly the reads the caller would have made, in the same order, so what is read (and
// where a read error or the end falls) does not change; it is at most one block ahead.
//
// A block_worker may go through each block on the thread before the caller gets it (see below).
//
// WebAssembly under WASI has no threads: there the class never starts one (suits() is false),
// and the reader reads every block on the caller's thread, as it does for pipes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class read_ahead;

// Work on the reading thread: every block read, in order, before the caller gets it, and then
// the end. The worker may hand the block to the caller before it is done with it (hand_over()),
// so that it can wait for the caller without the caller waiting for it; the block stays as it
// is until the worker returns. It shares nothing else with the caller but what it hands over
// under a lock of its own.
class block_worker {
 public:
  // A block read (size 0: the end of the input or a read error, after which nothing comes).
  virtual void take_block(const std::uint8_t* block, std::size_t size, read_ahead& reading) = 0;
  // The caller stops the reading (before the end, or after it): the worker stops waiting for
  // the caller at once. Called on the caller's thread while the reading thread may run on.
  virtual void stop_waiting() = 0;
  // Then, once the reading thread has ended, on the caller's thread: the worker gets no more.
  virtual void stopped() = 0;

 protected:
  ~block_worker() = default;
};

// A second stream on the same regular file as input, read-only, for a reading of its own (its
// position is its own); nullptr where there is none (not a regular file, no /proc, WASI).
FILE* open_again(FILE* input);

#if defined(__wasi__)

class read_ahead {
 public:
  static bool suits(FILE*) { return false; }
  bool start(FILE*, std::uint8_t*, std::size_t, block_worker* = nullptr) { return false; }
  void hand_over() {}
  bool running() const { return false; }
  bool working_with(const block_worker*) const { return false; }
  std::uint8_t* exchange(std::uint8_t* done, std::size_t& size, bool& read_error) {
    size = 0;
    read_error = false;
    return done;
  }
  void stop() {}
};

#else

#include <condition_variable>
#include <mutex>
#include <thread>

class read_ahead {
 public:
  read_ahead() = default;
  read_ahead(const read_ahead&) = delete;
  read_ahead& operator=(const read_ahead&) = delete;
  ~read_ahead() { stop(); }

  // Whether input is worth reading ahead: a regular file (reads that never wait on a writer).
  static bool suits(FILE* input);

  // Starts the thread reading input into spare (block_size bytes, the thread's until stop), and
  // giving each block to worker first when there is one. False if no thread could be started;
  // the caller then reads on its own.
  bool start(FILE* input, std::uint8_t* spare, std::size_t block_size, block_worker* worker = nullptr);

  bool running() const { return thread_.joinable(); }
  // Whether the thread runs and gives its blocks to worker.
  bool working_with(const block_worker* worker) const { return running() && worker_ == worker; }

  // Hands back done (a buffer the caller has finished with) and returns the block read ahead,
  // with its size (0 at the end of the input) and whether the reading failed there.
  std::uint8_t* exchange(std::uint8_t* done, std::size_t& size, bool& read_error);

  // Ends the thread; a block it read ahead and nobody took is left unread.
  void stop();

  // The worker's, inside take_block(): the caller may have the block now.
  void hand_over();

 private:
  void run();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  FILE* input_ = nullptr;
  std::size_t block_size_ = 0;
  std::uint8_t* to_fill_ = nullptr;  // the thread's next buffer, once the caller gave it back
  std::uint8_t* filled_ = nullptr;   // read, not yet taken
  std::size_t filled_size_ = 0;
  bool read_error_ = false;
  block_worker* worker_ = nullptr;
  // The thread's: the block the worker has, not handed over yet (nullptr once it is).
  std::uint8_t* unhanded_ = nullptr;
  std::size_t unhanded_size_ = 0;
  bool unhanded_error_ = false;
  bool stopping_ = false;
};

#endif
