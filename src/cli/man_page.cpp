#include "cli/man_page.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>

#include "cli/help_text.h"
#include "cli/overview.h"

namespace volumist::cli {
namespace {

// `text` for roff: backslashes and minus signs escaped (a "-" prints as a hyphen otherwise, and
// options copied from the page would not work), and a leading "." or "'" kept from starting a
// request.
std::string RoffText(std::string_view text) {
  std::string roff;
  if (text.starts_with('.') || text.starts_with('\'')) roff = "\\&";
  for (char c : text) {
    if (c == '\\') {
      roff += "\\e";
    } else if (c == '-') {
      roff += "\\-";
    } else {
      roff += c;
    }
  }
  return roff;
}

// An argument of a request such as .SS, in double quotes.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : RoffText(text)) {
    if (c == '"') {
      quoted += "\\(dq";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

// An option's term: the options in bold, their values in italics ("--name NAME").
std::string TermText(std::string_view term) {
  std::string roff;
  while (!term.empty()) {
    size_t blank = term.find(' ');
    std::string_view word = term.substr(0, blank);
    term = blank == std::string_view::npos ? std::string_view() : term.substr(blank + 1);
    std::string_view comma = word.ends_with(',') ? "," : "";
    word.remove_suffix(comma.size());
    if (!roff.empty()) roff += ' ';
    roff += (word.starts_with('-') ? "\\fB" : "\\fI") + RoffText(word) + "\\fR" + std::string(comma);
  }
  return roff;
}

void WriteBlock(std::ostream& out, const HelpBlock& block) {
  switch (block.kind) {
    case HelpBlock::Kind::kProse:
      out << ".PP\n";
      for (const std::string& line : block.lines) out << RoffText(line) << '\n';
      break;
    case HelpBlock::Kind::kOption:
      out << ".TP\n" << TermText(block.term) << '\n';
      for (const std::string& line : block.lines) out << RoffText(line) << '\n';
      break;
    case HelpBlock::Kind::kLiteral:
      // Formats and tables keep their lines and columns.
      out << ".PP\n.RS 2\n.nf\n";
      for (const std::string& line : block.lines) out << RoffText(line) << '\n';
      out << ".fi\n.RE\n";
      break;
  }
}

void WriteBlocks(std::ostream& out, std::string_view text) {
  for (const HelpBlock& block : ReadHelpText(text)) WriteBlock(out, block);
}

std::string Heading(std::string_view text) {
  std::string heading(text);
  for (char& c : heading) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return Quoted(heading);
}

std::string Sentence(std::string_view summary) {
  std::string sentence(summary);
  if (!sentence.empty()) sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
  if (!sentence.ends_with('.')) sentence += '.';
  return sentence;
}

// Words are never broken at a line end: an option name split in two could not be copied from the
// page.
constexpr char kNoHyphenation[] = ".nh\n";

// A summary as the NAME line's text: "Catalogues disks." gives "catalogues disks".
std::string NameText(std::string_view summary) {
  std::string name(summary);
  if (!name.empty()) name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  if (name.ends_with('.')) name.pop_back();
  return name;
}

}  // namespace

void WriteManPage(std::ostream& out, std::span<const Command* const> commands, std::string_view version) {
  std::string name = NameText(kSummary);
  out << ".\\\" The manual of volumist-cli, made by 'volumist-cli help --man' from its own help texts.\n"
      << ".TH VOLUMIST\\-CLI 1 \"\" " << Quoted("Zarn Volumist " + std::string(version)) << " \"User Commands\"\n"
      << kNoHyphenation << ".SH NAME\nvolumist\\-cli \\- " << RoffText(name) << '\n';
  out << ".SH SYNOPSIS\n.nf\n";
  for (const char* line : kSynopsis) {
    std::string_view rest = std::string_view(line).substr(std::string_view("volumist-cli").size());
    out << "\\fBvolumist\\-cli\\fR" << RoffText(rest) << '\n';
  }
  out << ".fi\n.SH DESCRIPTION\n";
  WriteBlocks(out, std::string(kSummary) + "\n\n" + kConfigurationText + "\n" + kManText);
  out << ".SH OPTIONS\n";
  WriteBlocks(out, kGlobalOptions);
  out << ".SH COMMANDS\n";
  for (const Command* command : commands) {
    out << ".SS " << Quoted(std::string(command->name) + " " + command->usage) << '\n';
    WriteBlocks(out, Sentence(command->summary) + "\n\n" + command->help);
  }
  out << ".SH " << Heading(kPathsHeading) << '\n';
  WriteBlocks(out, kPathsText);
  out << ".SH " << Heading(kExitStatusHeading) << '\n';
  WriteBlocks(out, kExitStatusText);
  out << ".SH \"SEE ALSO\"\n.BR volumist (1)\n";
}


void WriteManPageOfHelp(std::ostream& out, std::string_view program, std::string_view helpText,
                        std::string_view version, std::string_view seeAlso) {
  std::string_view usage = helpText.substr(0, helpText.find('\n'));
  std::string_view rest = helpText.substr(std::min(helpText.size(), usage.size() + 1));
  std::string_view summary = rest.substr(0, rest.find('\n'));
  rest = rest.substr(std::min(rest.size(), summary.size() + 1));
  constexpr std::string_view kUsageLead = "Usage: ";
  if (usage.starts_with(kUsageLead)) usage.remove_prefix(kUsageLead.size());
  if (usage.starts_with(program)) usage.remove_prefix(program.size());

  std::string upper(program);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  out << ".\\\" The manual of " << program << ", made from '" << program << " --help'.\n"
      << ".TH " << RoffText(upper) << " 1 \"\" " << Quoted("Zarn Volumist " + std::string(version))
      << " \"User Commands\"\n"
      << kNoHyphenation << ".SH NAME\n" << RoffText(program) << " \\- " << RoffText(NameText(summary)) << '\n'
      << ".SH SYNOPSIS\n\\fB" << RoffText(program) << "\\fR" << RoffText(usage) << '\n'
      << ".SH DESCRIPTION\n";
  for (const HelpBlock& block : ReadHelpText(rest)) {
    // A line of its own that ends in ":" ("Options:") heads a section.
    if (block.kind == HelpBlock::Kind::kProse && block.lines.size() == 1 && block.lines[0].ends_with(':')) {
      out << ".SH " << Heading(std::string_view(block.lines[0]).substr(0, block.lines[0].size() - 1)) << '\n';
    } else {
      WriteBlock(out, block);
    }
  }
  if (!seeAlso.empty()) out << ".SH \"SEE ALSO\"\n.BR " << RoffText(seeAlso) << " (1)\n";
}

}  // namespace volumist::cli
