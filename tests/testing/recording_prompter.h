// A prompter for tests: records every message in order and answers questions from a queue. A
// question that the test did not queue an answer for fails the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "catalog/prompter.h"

namespace volumist::testing {

class RecordingPrompter final : public Prompter {
 public:
  struct Entry {
    enum Kind { kError, kInfo, kQuestion } kind;
    std::string text;
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  void ShowError(std::string_view text) override { entries.push_back({Entry::kError, std::string(text)}); }
  void ShowInfo(std::string_view text) override { entries.push_back({Entry::kInfo, std::string(text)}); }
  bool AskYesNo(std::string_view text) override {
    entries.push_back({Entry::kQuestion, std::string(text)});
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return false;
    }
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // The texts of all errors shown, in order.
  std::vector<std::string> Errors() const {
    std::vector<std::string> texts;
    for (const Entry& entry : entries) {
      if (entry.kind == Entry::kError) texts.push_back(entry.text);
    }
    return texts;
  }

  std::vector<Entry> entries;
  std::deque<bool> answers;
};

}  // namespace volumist::testing
