// Items handed from one thread to another in blocks, in order: the producer fills an item in
// place (next(), then commit()) and the consumer reads them in the order they were committed
// (peek(), then pop()). A block goes over when it is full, and the last one when the producer
// closes the channel. The blocks are fixed (block_items items each, blocks of them: 1024 and four
// unless said), so memory does not grow with the work: the producer waits while the consumer is
// every block behind, and the consumer waits for the next block.
//
// flush() hands over what is filled so far, for a consumer that needs it before the block fills.
// Either side may give up: the consumer's cancel() makes the producer's next() give nullptr,
// the producer's close() makes the consumer's peek() give nullptr once it has read every item.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

template <typename T, std::size_t BlockItems = 1024, std::size_t Blocks = 4>
class alignas(64) block_channel {
 public:
  static constexpr std::size_t block_items = BlockItems;
  static constexpr std::size_t blocks = Blocks;
  static constexpr std::size_t cache_line = 64;

  // The items are the producer's to fill: a trivial T is left as it is, not zeroed first.
  block_channel() : storage_(std::make_unique_for_overwrite<T[]>(blocks * block_items)) {}
  block_channel(const block_channel&) = delete;
  block_channel& operator=(const block_channel&) = delete;

  // ---- the producer ----

  // The next item's place, to be filled and then committed; nullptr once the consumer cancelled
  // or the producer is told to stop.
  T* next() {
    if (filled_ == 0) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return cancelled_ || stop_producing_ || handed_ - read_ < blocks; });
      if (cancelled_ || stop_producing_) return nullptr;
    }
    return &storage_[(handed_ % blocks) * block_items + filled_];
  }
  // As next(), but nullptr at once where next() would wait for the consumer.
  T* next_without_waiting() {
    if (filled_ == 0) {
      std::lock_guard lock(mutex_);
      if (cancelled_ || stop_producing_ || handed_ - read_ >= blocks) return nullptr;
    }
    return &storage_[(handed_ % blocks) * block_items + filled_];
  }
  // From any thread: the producer's next() gives nullptr from now on (also where it waits); what
  // it committed stays for the consumer, once the producer (or its owner, after it) closes.
  void stop_producing() {
    {
      std::lock_guard lock(mutex_);
      stop_producing_ = true;
    }
    changed_.notify_all();
  }
  void commit() {
    if (++filled_ == block_items) hand_over(false);
  }
  // What is filled goes over now, before its block is full (nothing when nothing is filled).
  void flush() {
    if (filled_ > 0) hand_over(false);
  }
  // No more items: what is filled goes over. Once only.
  void close() {
    if (!closed_by_producer_) hand_over(true);
    closed_by_producer_ = true;
  }

  // ---- the consumer ----

  // The next item, once it is handed over; nullptr when the channel is closed and every item
  // has been read (or the consumer cancelled).
  const T* peek() {
    if (taken_ == taken_count_) {
      if (taken_count_ > 0) release();
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return cancelled_ || handed_ > read_ || closed_; });
      if (cancelled_ || handed_ == read_) return nullptr;
      taken_block_ = read_ % blocks;
      taken_count_ = counts_[taken_block_];
      taken_ = 0;
    }
    return &storage_[taken_block_ * block_items + taken_];
  }
  void pop() { ++taken_; }
  // The consumer wants no more: the producer stops at its next next().
  void cancel() {
    {
      std::lock_guard lock(mutex_);
      cancelled_ = true;
    }
    changed_.notify_all();
  }

 private:
  // Only a block with items goes over: closing a channel whose blocks are all handed and unread
  // must not take one of theirs for an empty last block.
  void hand_over(bool last) {
    {
      std::lock_guard lock(mutex_);
      if (filled_ > 0) {
        counts_[handed_ % blocks] = filled_;
        ++handed_;
      }
      closed_ = closed_ || last;
    }
    filled_ = 0;
    changed_.notify_all();
  }

  void release() {
    {
      std::lock_guard lock(mutex_);
      ++read_;
    }
    taken_count_ = taken_ = 0;
    changed_.notify_all();
  }

  std::unique_ptr<T[]> storage_;
  std::size_t counts_[blocks] = {};
  std::uint64_t handed_ = 0;  // blocks handed over
  std::uint64_t read_ = 0;    // ... and read to the end
  bool closed_ = false;
  bool cancelled_ = false;
  bool stop_producing_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  // The producer's: items in the block being filled, and whether it closed the channel. Each
  // side's own counts lie on cache lines of their own: they change with every item, and a line
  // both sides write would go back and forth between their processors every time.
  alignas(cache_line) std::size_t filled_ = 0;
  bool closed_by_producer_ = false;
  // The consumer's: the block being read, its items, and how many are read.
  alignas(cache_line) std::size_t taken_block_ = 0;
  std::size_t taken_count_ = 0;
  std::size_t taken_ = 0;
};
