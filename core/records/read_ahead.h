// Reads the next block of a regular file on a thread of its own while the caller decodes the
// current one, so the read system call's copy runs beside the decoding instead of before it.
//
// Two buffers change hands: the thread fills one while the caller reads the other. The thread
// makes exactly the reads the caller would have made, in the same order, so what is read (and
// where a read error or the end falls) does not change; it is at most one block ahead.
//
// WebAssembly under WASI has no threads: there the class never starts one (suits() is false),
// and the reader reads every block on the caller's thread, as it does for pipes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A second stream on the same regular file as input, read-only, for a reading of its own (its
// position is its own); nullptr where there is none (not a regular file, no /proc, WASI).
FILE* open_again(FILE* input);

#if defined(__wasi__)

class read_ahead {
 public:
  static bool suits(FILE*) { return false; }
  bool start(FILE*, std::uint8_t*, std::size_t) { return false; }
  bool running() const { return false; }
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

  // Starts the thread reading input into spare (block_size bytes, the thread's until stop).
  // False if no thread could be started; the caller then reads on its own.
  bool start(FILE* input, std::uint8_t* spare, std::size_t block_size);

  bool running() const { return thread_.joinable(); }

  // Hands back done (a buffer the caller has finished with) and returns the block read ahead,
  // with its size (0 at the end of the input) and whether the reading failed there.
  std::uint8_t* exchange(std::uint8_t* done, std::size_t& size, bool& read_error);

  // Ends the thread; a block it read ahead and nobody took is left unread.
  void stop();

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
  bool stopping_ = false;
};

#endif
