// A command's usage and help text read as parts, for the manual page and for completion, so that
// both say what `volumist-cli help COMMAND` says. The help texts keep one layout:
//
//   Prose lines start at the margin.
//     --name NAME         an option line: the term, two or more blanks, the description,
//                         which may go on in lines indented further
//     --a, --b,           a term that ends in a comma goes on in the next option line
//     KIND  SIZE  PATH    any other line indented by two blanks is shown as it is
//
// and usages such as "(--all | --volume FILE) [options] MASK" or "FILE.vkt [PATH] [-R]".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"

namespace volumist::cli {

struct HelpBlock {
  enum class Kind { kProse, kOption, kLiteral };
  Kind kind = Kind::kProse;
  // kOption: the term, such as "--name NAME" or "--from DATE, --to DATE".
  std::string term;
  // kProse: the lines as written; kOption: the description's lines without their indent (none when
  // the term stands alone); kLiteral: the lines without the first two blanks.
  std::vector<std::string> lines;
};

// The help text in blocks, in order; consecutive lines of one kind form one block.
std::vector<HelpBlock> ReadHelpText(std::string_view text);

// What a placeholder of a usage or an option names, for completion.
enum class ArgumentKind {
  kNone,        // a text, a number, a path inside a volume: nothing to offer
  kVolumeFile,  // FILE, FILE.vkt: a volume file, by path or by its name in the volume directory
  kDirectory,   // DIR, SOURCE
  kFile,        // OUT: any file
  kChoice,      // "attributes|elements": one of the words
};
ArgumentKind KindOfArgument(std::string_view placeholder);

struct OptionSpec {
  std::string name;      // "--name", "-R"
  std::string argument;  // the placeholder of its value ("NAME"); empty when it takes none
  // "--signatures[=crc32,md4,md5]": a value only in the same word, after "=".
  bool valueAttached = false;
  std::string description;  // the first line of its description; empty when it has none
};

// The options of `command`: those of its usage and its option lines, and a long spelling named in
// parentheses after a short one ("-d (--item)"), each once, in the order met; then --help.
std::vector<OptionSpec> CommandOptions(const Command& command);

struct PositionalSpec {
  std::vector<std::string> names;  // the placeholders of the operands in order: "FILE.vkt", "PATH"
  bool lastRepeats = false;        // "SOURCE...": the last one may be given any number of times
};
PositionalSpec CommandPositionals(const Command& command);

}  // namespace volumist::cli
