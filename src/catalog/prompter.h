// How the core speaks to the user. The core never prints and never uses a toolkit: every message
// goes through a Prompter that the front end injects (message boxes in the window, stderr and the
// terminal in the command-line tool, a recording one in tests).
#pragma once

#include <string_view>

namespace volumist {

class Prompter {
 public:
  virtual ~Prompter() = default;
  // An error the user must see (error icon).
  virtual void ShowError(std::string_view text) = 0;
  // A notice (information icon).
  virtual void ShowInfo(std::string_view text) = 0;
  // A Yes/No question (question icon); true only when the answer is Yes.
  virtual bool AskYesNo(std::string_view text) = 0;
};

// Says nothing and answers No; for callers that must stay quiet.
class SilentPrompter final : public Prompter {
 public:
  void ShowError(std::string_view) override {}
  void ShowInfo(std::string_view) override {}
  bool AskYesNo(std::string_view) override { return false; }
};

}  // namespace volumist
