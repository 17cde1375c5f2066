#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "interchange/worksheet_scanner.h"

namespace kelvasta {

// Reads a source ahead on a thread of its own (for a zip entry: inflates
// it) into a small ring of buffers, while the thread that calls Read()
// scans what is already there. The source is only ever called from that
// other thread, and not at all once this is destroyed. Where no thread can
// be started the source is read directly.
class ReadAhead {
 public:
  explicit ReadAhead(ByteSource source);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // As a ByteSource: up to `size` bytes, 0 at the end, -1 after a read error.
  std::int64_t Read(char* buffer, std::size_t size);

 private:
  // Small slots: a slot is still in cache when the reader copies it out,
  // which costs the reader less than fetching a larger one from memory.
  static constexpr std::size_t kSlots = 8;
  static constexpr std::size_t kSlotBytes = std::size_t{1} << 17;

  struct Slot {
    std::vector<char> bytes;
    std::size_t size = 0;
    bool end = false;    // the source ended after these bytes
    bool failed = false; // the source failed after these bytes
  };

  void Produce();

  ByteSource source_;
  std::array<Slot, kSlots> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t produced_ = 0;  // slots filled so far
  std::size_t consumed_ = 0;  // slots handed back by the reader
  bool stop_ = false;
  std::size_t at_ = 0;        // read position in the slot being read
  bool holding_ = false;      // the reader holds slot consumed_ % kSlots
  std::thread thread_;
  bool threaded_ = false;
};

}  // namespace kelvasta
