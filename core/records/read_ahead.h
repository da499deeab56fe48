// Reads the next block of a regular file on a thread of its own while the caller decodes the
// current one, so the read system call's copy runs beside the decoding instead of before it.
//
// Three buffers change hands: the caller reads one while the thread fills another, and the
// third waits, read, for the caller or, free, for the thread. So a caller that frames faster than
// the file is read finds each block ready or nearly so, and the thread never waits for the
// caller to wake up. The thread makes exactly the reads the caller would have made, in the same
// order, so what is read (and where a read error or the end falls) does not change; it is at
// most two blocks ahead.
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
  static constexpr int spares = 2;
  bool start(FILE*, std::uint8_t* const (&)[spares], std::size_t, block_worker* = nullptr) { return false; }
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

  // Buffers beside the caller's own.
  static constexpr int spares = 2;

  // Starts the thread reading input into the spare buffers (block_size bytes each, the thread's
  // until stop), and giving each block to worker first when there is one. False if no thread
  // could be started; the caller then reads on its own.
  bool start(FILE* input, std::uint8_t* const (&spare)[spares], std::size_t block_size,
             block_worker* worker = nullptr);

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
  // Buffers for the thread to fill: given at the start or given back by the caller.
  std::uint8_t* to_fill_[spares] = {};
  int to_fill_count_ = 0;
  // Blocks read and not yet taken, oldest first: each with its size and whether the read failed.
  struct filled_block {
    std::uint8_t* data;
    std::size_t size;
    bool read_error;
  };
  filled_block filled_[spares] = {};
  int filled_count_ = 0;
  block_worker* worker_ = nullptr;
  // The thread's: the block the worker has, not handed over yet (nullptr once it is).
  std::uint8_t* unhanded_ = nullptr;
  std::size_t unhanded_size_ = 0;
  bool unhanded_error_ = false;
  bool stopping_ = false;
};

#endif
