#include "app/details/latest_job_runner.h"

namespace kelvasta {

LatestJobRunner::~LatestJobRunner() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.reset();
    if (runningCancel_) runningCancel_->store(true);
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void LatestJobRunner::submit(Task task) {
  {
    const std::lock_guard lock(mutex_);
    if (runningCancel_) runningCancel_->store(true);
    waiting_ = std::move(task);
    if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
  }
  wake_.notify_all();
}

void LatestJobRunner::cancel() {
  const std::lock_guard lock(mutex_);
  waiting_.reset();
  if (runningCancel_) runningCancel_->store(true);
}

void LatestJobRunner::loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
    if (stopping_) return;
    Task task = std::move(*waiting_);
    waiting_.reset();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    runningCancel_ = cancel;
    lock.unlock();
    task(*cancel);
    lock.lock();
    runningCancel_.reset();
  }
}

}  // namespace kelvasta
