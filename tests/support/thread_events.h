#pragma once
// Waiting for what another thread does, by the event itself: a hook on the
// calculation or optimizer thread counts or holds, the test waits for the
// count or opens the gate. The time limits only keep a fault from hanging
// the suite; no test waits them out.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sonvex::testing {

// Counts events announced from any thread.
class EventCount {
 public:
  void Notify() {
    {
      std::lock_guard lock(mutex_);
      ++count_;
    }
    changed_.notify_all();
  }
  int Count() const {
    std::lock_guard lock(mutex_);
    return count_;
  }
  // Blocks until at least `n` events came (false: the limit passed first).
  bool WaitFor(int n, std::chrono::milliseconds limit = std::chrono::minutes(5)) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return count_ >= n; });
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  int count_ = 0;  // guarded by mutex_
};

// Holds the threads that wait at it until it is opened; open, it lets every
// thread pass.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  // Blocks until the gate is open (false: the limit passed first).
  bool Wait(std::chrono::milliseconds limit = std::chrono::minutes(5)) {
    std::unique_lock lock(mutex_);
    return opened_.wait_for(lock, limit, [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;  // guarded by mutex_
};

}  // namespace sonvex::testing
