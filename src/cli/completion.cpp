#include "cli/completion.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "catalog/prompter.h"
#include "catalog/volume_list.h"
#include "cli/help_text.h"
#include "platform/file_system.h"

namespace volumist::cli {
namespace {

constexpr char kDirectoryOption[] = "--dir";

struct Candidate {
  std::string word;
  std::string description;
};

// A word or description that would break the line protocol (a tab or a line end) is left out or
// shortened; names with control characters are not offered at all.
bool HasControl(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void Print(std::ostream& out, std::string_view directive, const std::vector<Candidate>& candidates,
           const std::string& prefix) {
  out << directive << '\n';
  for (const Candidate& candidate : candidates) {
    if (!candidate.word.starts_with(prefix) || HasControl(candidate.word)) continue;
    std::string description = candidate.description;
    std::replace_if(description.begin(), description.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    out << candidate.word << '\t' << description << '\n';
  }
}

std::vector<Candidate> VolumeFiles(const std::string& directory) {
  std::vector<Candidate> files;
  if (directory.empty()) return files;
  SilentPrompter prompter;
  NoVolumeHost host;
  VolumeList list(platform::FileSystem::Default(), prompter, host);
  list.SetDirectory(directory);
  if (!list.RefreshVolumeList(false)) return files;
  for (const VolumeListEntry& entry : list.Entries()) files.push_back({entry.fileName, entry.volumeName});
  return files;
}

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, std::string_view word) {
  std::string_view name = word.substr(0, word.find('='));
  auto found = std::find_if(options.begin(), options.end(), [&](const OptionSpec& o) { return o.name == name; });
  return found == options.end() ? nullptr : &*found;
}

bool TakesNextWord(const OptionSpec& option) { return !option.argument.empty() && !option.valueAttached; }

// What fits a placeholder: the shell's own kind of completion and words of ours.
struct Completion {
  std::string_view directive = "-";
  std::vector<Candidate> candidates;
};

Completion CompleteArgument(std::string_view placeholder, const std::string& current, const std::string& directory,
                            const std::function<std::string()>& configuredDirectory) {
  Completion completion;
  switch (KindOfArgument(placeholder)) {
    case ArgumentKind::kNone: break;
    case ArgumentKind::kDirectory: completion.directive = "directories"; break;
    case ArgumentKind::kFile: completion.directive = "files"; break;
    case ArgumentKind::kVolumeFile:
      completion.directive = "volume-files";
      // A path being typed names a file itself; a plain name may be one of the volume directory.
      if (current.find('/') == std::string::npos) {
        completion.candidates = VolumeFiles(directory.empty() ? configuredDirectory() : directory);
      }
      break;
    case ArgumentKind::kChoice: {
      std::string_view choices = placeholder;
      while (!choices.empty()) {
        size_t bar = choices.find('|');
        completion.candidates.push_back({std::string(choices.substr(0, bar)), ""});
        choices = bar == std::string_view::npos ? std::string_view() : choices.substr(bar + 1);
      }
      break;
    }
  }
  return completion;
}

}  // namespace

int Complete(std::ostream& out, std::span<const Command* const> commands, std::vector<std::string> words,
             const std::function<std::string()>& configuredDirectory) {
  std::string current = words.empty() ? std::string() : words.back();
  if (!words.empty()) words.pop_back();
  // bash hands "--name=value" over as "--name", "=", "value"; the "=" goes, the value stays the
  // option's. A current word of "=" itself has nothing to complete yet.
  if (current == "=") {
    Print(out, "-", {}, "");
    return kExitOk;
  }
  bool valueAfterEquals = !words.empty() && words.back() == "=";
  std::erase(words, std::string("="));

  // The options before the command.
  std::string directory;
  size_t i = 0;
  while (i < words.size()) {
    if (words[i] == kDirectoryOption) {
      if (i + 1 == words.size()) {
        Print(out, "directories", {}, "");
        return kExitOk;
      }
      directory = words[i + 1];
      i += 2;
    } else if (words[i].starts_with(std::string(kDirectoryOption) + "=")) {
      directory = words[i].substr(std::char_traits<char>::length(kDirectoryOption) + 1);
      ++i;
    } else {
      break;
    }
  }
  if (i == words.size()) {
    if (current.starts_with("-")) {
      Print(out, "-",
            {{kDirectoryOption, "the volume directory"}, {"--help", "print the overview"}, {"--version", "print the version"}},
            current);
    } else {
      std::vector<Candidate> names;
      for (const Command* command : commands) names.push_back({command->name, command->summary});
      names.push_back({"help", "describe a command"});
      Print(out, "-", names, current);
    }
    return kExitOk;
  }

  const std::string& name = words[i];
  if (name == "help") {
    std::vector<Candidate> names;
    if (i + 1 == words.size()) {
      for (const Command* command : commands) names.push_back({command->name, command->summary});
      names.push_back({"--man", "print the manual page"});
    }
    Print(out, "-", names, current);
    return kExitOk;
  }
  auto command = std::find_if(commands.begin(), commands.end(), [&](const Command* c) { return name == c->name; });
  if (command == commands.end()) {
    Print(out, "-", {}, "");
    return kExitOk;
  }
  std::vector<OptionSpec> options = CommandOptions(**command);
  PositionalSpec positionals = CommandPositionals(**command);

  // The words between the command and the current one: options, their values and operands.
  const OptionSpec* awaiting = nullptr;
  size_t operands = 0;
  for (size_t j = i + 1; j < words.size(); ++j) {
    const std::string& word = words[j];
    if (awaiting != nullptr) {
      awaiting = nullptr;
      continue;
    }
    if (word.size() > 1 && word[0] == '-') {
      const OptionSpec* option = FindOption(options, word);
      if (option != nullptr && TakesNextWord(*option) && word.find('=') == std::string::npos) awaiting = option;
      continue;
    }
    ++operands;
  }
  // After "--name=" in bash the option is the last word and its value the current one.
  if (valueAfterEquals && awaiting == nullptr && i + 1 < words.size()) {
    const OptionSpec* option = FindOption(options, words.back());
    if (option != nullptr && !option->argument.empty()) awaiting = option;
  }

  if (awaiting != nullptr) {
    Completion value = CompleteArgument(awaiting->argument, current, directory, configuredDirectory);
    Print(out, value.directive, value.candidates, current);
    return kExitOk;
  }
  if (current.size() > 0 && current[0] == '-') {
    size_t equals = current.find('=');
    if (equals != std::string::npos) {
      // "--form=el": the value in the same word, offered with its option (zsh and fish).
      const OptionSpec* option = FindOption(options, current);
      std::vector<Candidate> values;
      if (option != nullptr && KindOfArgument(option->argument) == ArgumentKind::kChoice) {
        for (Candidate& candidate : CompleteArgument(option->argument, "", "", configuredDirectory).candidates) {
          values.push_back({current.substr(0, equals + 1) + candidate.word, ""});
        }
      }
      Print(out, "-", values, current);
      return kExitOk;
    }
    std::vector<Candidate> names;
    for (const OptionSpec& option : options) names.push_back({option.name, option.description});
    Print(out, "-", names, current);
    return kExitOk;
  }
  std::optional<std::string> placeholder;
  if (operands < positionals.names.size()) {
    placeholder = positionals.names[operands];
  } else if (positionals.lastRepeats && !positionals.names.empty()) {
    placeholder = positionals.names.back();
  }
  Completion operand = placeholder ? CompleteArgument(*placeholder, current, directory, configuredDirectory) : Completion{};
  Print(out, operand.directive, operand.candidates, current);
  return kExitOk;
}

}  // namespace volumist::cli
