#include "interchange/read_ahead.h"

#include <cstring>
#include <system_error>
#include <utility>

namespace kelvasta {

ReadAhead::ReadAhead(ByteSource source) : source_(std::move(source)) {
  for (Slot& slot : slots_) {
    slot.bytes.resize(kSlotBytes);
  }
  try {
    thread_ = std::thread([this] { Produce(); });
    threaded_ = true;
  } catch (const std::system_error&) {
    threaded_ = false;
  }
}

ReadAhead::~ReadAhead() {
  if (threaded_) {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
}

void ReadAhead::Produce() {
  for (;;) {
    std::size_t index = 0;
    {
      std::unique_lock lock(mutex_);
      // A full ring waits until the reader has emptied half of it, so that
      // this thread wakes once for several slots rather than for each.
      if (produced_ - consumed_ == kSlots) {
        changed_.wait(lock, [this] { return stop_ || produced_ - consumed_ <= kSlots / 2; });
      }
      if (stop_) {
        return;
      }
      index = produced_ % kSlots;
    }
    // The slot is this thread's alone until it is published below.
    Slot& slot = slots_[index];
    slot.size = 0;
    slot.end = false;
    slot.failed = false;
    while (slot.size < slot.bytes.size()) {
      std::int64_t got = source_(slot.bytes.data() + slot.size, slot.bytes.size() - slot.size);
      if (got <= 0) {
        (got == 0 ? slot.end : slot.failed) = true;
        break;
      }
      slot.size += static_cast<std::size_t>(got);
    }
    bool last = slot.end || slot.failed;
    {
      std::lock_guard lock(mutex_);
      ++produced_;
    }
    changed_.notify_all();
    if (last) {
      return;
    }
  }
}

std::int64_t ReadAhead::Read(char* buffer, std::size_t size) {
  if (!threaded_) {
    return source_(buffer, size);
  }
  for (;;) {
    if (!holding_) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return produced_ > consumed_; });
      holding_ = true;
      at_ = 0;
    }
    Slot& slot = slots_[consumed_ % kSlots];
    if (at_ < slot.size) {
      std::size_t take = std::min(size, slot.size - at_);
      std::memcpy(buffer, slot.bytes.data() + at_, take);
      at_ += take;
      return static_cast<std::int64_t>(take);
    }
    if (slot.end) {
      return 0;
    }
    if (slot.failed) {
      return -1;
    }
    bool wake = false;
    {
      std::lock_guard lock(mutex_);
      ++consumed_;
      holding_ = false;
      wake = produced_ - consumed_ == kSlots / 2;  // what a waiting writer waits for
    }
    if (wake) {
      changed_.notify_all();
    }
  }
}

}  // namespace kelvasta
