#include "cli/help_text.h"

#include <algorithm>
#include <cctype>

namespace volumist::cli {
namespace {

size_t IndentOf(std::string_view line) {
  size_t indent = line.find_first_not_of(' ');
  return indent == std::string_view::npos ? line.size() : indent;
}

std::string_view TrimRight(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string_view Trim(std::string_view text) {
  text = TrimRight(text);
  return text.substr(std::min(IndentOf(text), text.size()));
}

// "  -R ..." or "  --name ...": two blanks, then a dash or two and a name.
bool IsOptionLine(std::string_view line) {
  if (!line.starts_with("  -")) return false;
  size_t name = line.starts_with("  --") ? 4 : 3;
  return name < line.size() && std::isalnum(static_cast<unsigned char>(line[name]));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The options of one term: "--from DATE, --to DATE" gives --from and --to with DATE each.
std::vector<OptionSpec> OptionsOfTerm(std::string_view term, std::string_view description) {
  std::vector<OptionSpec> options;
  while (!term.empty()) {
    size_t comma = term.find(", ");
    std::string_view piece = Trim(term.substr(0, comma));
    term = comma == std::string_view::npos ? std::string_view() : term.substr(comma + 2);
    if (piece.ends_with(',')) piece.remove_suffix(1);
    if (!piece.starts_with('-')) continue;
    size_t blank = piece.find(' ');
    std::string_view name = piece.substr(0, blank);
    OptionSpec option;
    if (size_t bracket = name.find("[="); bracket != std::string_view::npos && name.ends_with(']')) {
      option.argument = std::string(name.substr(bracket + 2, name.size() - bracket - 3));
      option.valueAttached = true;
      name = name.substr(0, bracket);
    } else if (blank != std::string_view::npos) {
      option.argument = std::string(Trim(piece.substr(blank + 1)));
    }
    option.name = std::string(name);
    option.description = std::string(description);
    options.push_back(std::move(option));
  }
  return options;
}

void Merge(std::vector<OptionSpec>& options, OptionSpec option) {
  auto known = std::find_if(options.begin(), options.end(), [&](const OptionSpec& o) { return o.name == option.name; });
  if (known == options.end()) {
    options.push_back(std::move(option));
    return;
  }
  if (known->argument.empty()) {
    known->argument = std::move(option.argument);
    known->valueAttached = option.valueAttached;
  }
  if (known->description.empty()) known->description = std::move(option.description);
}

struct UsageToken {
  std::string text;
  int group;  // tokens inside one pair of brackets, or one alternative of a "|", share a group
};

std::vector<UsageToken> ReadUsage(std::string_view usage) {
  std::vector<UsageToken> tokens;
  int group = 0;
  int nextGroup = 1;
  std::string word;
  auto flush = [&] {
    if (!word.empty()) tokens.push_back({word, group});
    word.clear();
  };
  int depth = 0;
  for (char c : usage) {
    if (c == '[' || c == '(') {
      flush();
      ++depth;
      group = nextGroup++;
    } else if (c == ']' || c == ')' || c == '|') {
      flush();
      if (c != '|' && depth > 0) --depth;
      group = depth == 0 && c != '|' ? 0 : nextGroup++;
    } else if (c == ' ') {
      flush();
    } else {
      word += c;
    }
  }
  flush();
  return tokens;
}

}  // namespace

std::vector<HelpBlock> ReadHelpText(std::string_view text) {
  std::vector<HelpBlock> blocks;
  bool separated = true;  // the next line starts a block of its own
  for (std::string_view line : SplitLines(text)) {
    if (Trim(line).empty()) {
      separated = true;
      continue;
    }
    HelpBlock* last = separated || blocks.empty() ? nullptr : &blocks.back();
    separated = false;
    size_t indent = IndentOf(line);
    if (IsOptionLine(line)) {
      std::string_view content = line.substr(2);
      size_t gap = content.find("  ");
      std::string_view term = TrimRight(content.substr(0, gap));
      std::string_view description = gap == std::string_view::npos ? std::string_view() : Trim(content.substr(gap));
      if (last != nullptr && last->kind == HelpBlock::Kind::kOption && last->lines.empty() && last->term.ends_with(',')) {
        last->term += ' ';
        last->term += term;
      } else {
        blocks.push_back({HelpBlock::Kind::kOption, std::string(term), {}});
        last = &blocks.back();
      }
      if (!description.empty()) last->lines.emplace_back(description);
    } else if (indent >= 4 && last != nullptr && last->kind == HelpBlock::Kind::kOption) {
      last->lines.emplace_back(Trim(line));
    } else if (indent >= 2) {
      if (last == nullptr || last->kind != HelpBlock::Kind::kLiteral) {
        blocks.push_back({HelpBlock::Kind::kLiteral, {}, {}});
        last = &blocks.back();
      }
      last->lines.emplace_back(TrimRight(line.substr(2)));
    } else {
      if (last == nullptr || last->kind != HelpBlock::Kind::kProse) {
        blocks.push_back({HelpBlock::Kind::kProse, {}, {}});
        last = &blocks.back();
      }
      last->lines.emplace_back(TrimRight(line));
    }
  }
  return blocks;
}

ArgumentKind KindOfArgument(std::string_view placeholder) {
  if (placeholder.find('|') != std::string_view::npos) return ArgumentKind::kChoice;
  if (placeholder == "FILE" || placeholder == "FILE.vkt") return ArgumentKind::kVolumeFile;
  if (placeholder == "DIR" || placeholder == "SOURCE") return ArgumentKind::kDirectory;
  if (placeholder == "OUT") return ArgumentKind::kFile;
  return ArgumentKind::kNone;
}

std::vector<OptionSpec> CommandOptions(const Command& command) {
  std::vector<OptionSpec> options;
  std::vector<UsageToken> usage = ReadUsage(command.usage);
  for (size_t i = 0; i < usage.size(); ++i) {
    if (!usage[i].text.starts_with('-')) continue;
    std::string term = usage[i].text;
    if (i + 1 < usage.size() && usage[i + 1].group == usage[i].group && !usage[i + 1].text.starts_with('-') &&
        usage[i + 1].text != "options") {
      term += ' ' + usage[++i].text;
    }
    for (OptionSpec& option : OptionsOfTerm(term, "")) Merge(options, std::move(option));
  }
  for (const HelpBlock& block : ReadHelpText(command.help)) {
    if (block.kind != HelpBlock::Kind::kOption) continue;
    for (OptionSpec& option : OptionsOfTerm(block.term, block.lines.empty() ? "" : block.lines.front())) {
      Merge(options, std::move(option));
    }
  }
  // "-d (--item)": the long spelling of a short option, named in the prose.
  std::string help = command.help;
  std::replace(help.begin(), help.end(), '\n', ' ');
  for (size_t at = help.find(" (--"); at != std::string::npos; at = help.find(" (--", at + 1)) {
    size_t shortStart = help.rfind(' ', at - 1);
    shortStart = shortStart == std::string::npos ? 0 : shortStart + 1;
    std::string shortName = help.substr(shortStart, at - shortStart);
    size_t close = help.find(')', at);
    if (close == std::string::npos || shortName.size() != 2 || shortName[0] != '-') continue;
    std::string longName = help.substr(at + 2, close - at - 2);
    if (longName.find_first_of(" ,=") != std::string::npos) continue;
    auto known = std::find_if(options.begin(), options.end(), [&](const OptionSpec& o) { return o.name == shortName; });
    if (known == options.end()) continue;
    OptionSpec alias = *known;
    alias.name = longName;
    Merge(options, std::move(alias));
  }
  Merge(options, {"--help", "", false, "describe the command"});
  return options;
}

PositionalSpec CommandPositionals(const Command& command) {
  PositionalSpec positionals;
  std::vector<UsageToken> usage = ReadUsage(command.usage);
  for (size_t i = 0; i < usage.size(); ++i) {
    const std::string& text = usage[i].text;
    if (text.starts_with('-')) {
      // Its value, when it takes one, is no operand.
      if (i + 1 < usage.size() && usage[i + 1].group == usage[i].group && !usage[i + 1].text.starts_with('-')) ++i;
      continue;
    }
    if (text == "options") continue;
    if (text.ends_with("...")) {
      positionals.names.push_back(text.substr(0, text.size() - 3));
      positionals.lastRepeats = true;
    } else {
      positionals.names.push_back(text);
    }
  }
  return positionals;
}

}  // namespace volumist::cli
