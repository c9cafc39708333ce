// The command line's prompter: messages go to stderr; questions are asked on the terminal, or
// answered by --yes, or answered No when there is no terminal to ask.
#pragma once

#include <iosfwd>

#include "catalog/prompter.h"

namespace volumist::cli {

class ConsolePrompter final : public Prompter {
 public:
  ConsolePrompter(std::istream& in, std::ostream& err, bool interactive) : in_(in), err_(err), interactive_(interactive) {}

  void ShowError(std::string_view text) override;
  void ShowInfo(std::string_view text) override;
  bool AskYesNo(std::string_view text) override;

 private:
  std::istream& in_;
  std::ostream& err_;
  bool interactive_;
};

// Passes messages on to another prompter and answers every question Yes, saying so there; for
// commands given --yes.
class AssumeYesPrompter final : public Prompter {
 public:
  explicit AssumeYesPrompter(Prompter& base) : base_(base) {}

  void ShowError(std::string_view text) override { base_.ShowError(text); }
  void ShowInfo(std::string_view text) override { base_.ShowInfo(text); }
  bool AskYesNo(std::string_view text) override;

 private:
  Prompter& base_;
};

}  // namespace volumist::cli
