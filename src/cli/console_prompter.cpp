#include "cli/console_prompter.h"

#include <iostream>
#include <string>

namespace volumist::cli {

void ConsolePrompter::ShowError(std::string_view text) { err_ << "error: " << text << '\n'; }

void ConsolePrompter::ShowInfo(std::string_view text) { err_ << text << '\n'; }

bool ConsolePrompter::AskYesNo(std::string_view text) {
  if (!interactive_) {
    err_ << text << " [y/N] no (not a terminal; --yes answers yes)\n";
    return false;
  }
  err_ << text << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(in_, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

bool AssumeYesPrompter::AskYesNo(std::string_view text) {
  base_.ShowInfo(std::string(text) + " [y/N] yes (--yes)");
  return true;
}

}  // namespace volumist::cli
