// NavigationHistory: the folders a window has shown, for Back and Forward. Two stacks of folder
// keys, each holding the newest 50: the back stack, whose top is the folder shown now, and the
// forward stack. Opening a folder pushes it onto the back stack (never twice in a row) and leaves
// the forward stack alone; only Back fills the forward stack and only Forward empties it.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "catalog/record_key.h"

namespace volumist::browse {

class NavigationHistory {
 public:
  static constexpr size_t kCapacity = 50;

  // The folder `key` is shown: pushed onto the back stack unless it is on top already. A full stack
  // drops its oldest entry.
  void Opened(RecordKey key);

  // Back: nothing with fewer than two entries. Otherwise the folder shown now moves onto the forward
  // stack and the one before it is returned, to be opened (which pushes it again).
  std::optional<RecordKey> Back();
  // Forward: the top of the forward stack, removed, to be opened; nothing when it is empty.
  std::optional<RecordKey> Forward();

  bool CanGoBack() const { return back_.size() >= 2; }
  bool CanGoForward() const { return !forward_.empty(); }
  std::optional<RecordKey> Current() const;
  void Clear();

  // Oldest first.
  const std::deque<RecordKey>& BackStack() const { return back_; }
  const std::deque<RecordKey>& ForwardStack() const { return forward_; }

 private:
  static void Push(std::deque<RecordKey>& stack, RecordKey key);

  std::deque<RecordKey> back_;
  std::deque<RecordKey> forward_;
};

}  // namespace volumist::browse
