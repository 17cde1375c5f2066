#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kelvasta {

// Runs slow work on one worker thread, always only the newest task: a task
// submitted while another runs sets that one's cancel flag, and a task still
// waiting when a newer one arrives is dropped unrun. The thread starts with
// the first task; destruction cancels the running task and waits for it.
class LatestJobRunner {
 public:
  using Task = std::function<void(const std::atomic<bool>& cancel)>;

  LatestJobRunner() = default;
  LatestJobRunner(const LatestJobRunner&) = delete;
  LatestJobRunner& operator=(const LatestJobRunner&) = delete;
  ~LatestJobRunner();

  void submit(Task task);
  // Cancels the running task and drops the waiting one.
  void cancel();

 private:
  void loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Task> waiting_;
  std::shared_ptr<std::atomic<bool>> runningCancel_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace kelvasta
