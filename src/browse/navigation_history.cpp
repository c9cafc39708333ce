#include "browse/navigation_history.h"

namespace volumist::browse {

void NavigationHistory::Push(std::deque<RecordKey>& stack, RecordKey key) {
  if (stack.size() >= kCapacity) stack.pop_front();
  stack.push_back(key);
}

void NavigationHistory::Opened(RecordKey key) {
  if (!back_.empty() && back_.back() == key) return;
  Push(back_, key);
}

std::optional<RecordKey> NavigationHistory::Back() {
  if (back_.size() < 2) return std::nullopt;
  Push(forward_, back_.back());
  back_.pop_back();
  RecordKey previous = back_.back();
  back_.pop_back();
  return previous;
}

std::optional<RecordKey> NavigationHistory::Forward() {
  if (forward_.empty()) return std::nullopt;
  RecordKey next = forward_.back();
  forward_.pop_back();
  return next;
}

std::optional<RecordKey> NavigationHistory::Current() const {
  if (back_.empty()) return std::nullopt;
  return back_.back();
}

void NavigationHistory::Clear() {
  back_.clear();
  forward_.clear();
}

}  // namespace volumist::browse
