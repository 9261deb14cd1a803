#pragma once

#include <deque>
#include <functional>
#include <utility>

// Runs calls one at a time: a call made while another is running (its
// handler let the event loop turn) is queued and runs right after it, in the
// order the calls were made, never inside it.
template <typename Item>
class OneAtATime {
public:
  using Run = std::function<void(const Item &)>;

  explicit OneAtATime(Run run) : run_(std::move(run)) {}

  // Runs item now, or after the call in progress when there is one.
  void call(Item item) {
    add(std::move(item));
    run_waiting();
  }

  // Queues item behind every call made so far, without running anything:
  // items that came together are queued together, then run_waiting runs them.
  void add(Item item) { waiting_.push_back(std::move(item)); }

  // Runs what waits, in order, unless a call is in progress (that call takes
  // them up when it is done).
  void run_waiting() {
    if (busy_)
      return;
    // A handler that throws must not leave every later call queued for ever.
    struct Busy {
      bool &flag;
      explicit Busy(bool &f) : flag(f) { flag = true; }
      ~Busy() { flag = false; }
    } busy(busy_);
    while (!waiting_.empty()) {
      const Item next = std::move(waiting_.front());
      waiting_.pop_front();
      run_(next);
    }
  }

  bool busy() const { return busy_; }

private:
  Run run_;
  std::deque<Item> waiting_;
  bool busy_ = false;
};
