#include "cli/change_report_output.h"

#include <ostream>

namespace volumist::cli {

std::string ChangeWords(uint8_t changes) {
  std::string words;
  auto add = [&](uint8_t bit, const char* word) {
    if ((changes & bit) == 0) return;
    if (!words.empty()) words += ',';
    words += word;
  };
  add(kChangedSize, "size");
  add(kChangedTime, "time");
  add(kChangedContent, "content");
  return words;
}

std::string CountsText(const ChangeCounts& counts) {
  return std::to_string(counts.folders) + " folder(s), " + std::to_string(counts.files) + " file(s)";
}

void PrintChangeItems(std::ostream& out, const SourceChanges& source) {
  for (const ItemChange& item : source.added) out << "added\t" << KindWord(item.kind) << '\t' << item.path << '\n';
  for (const ItemChange& item : source.removed) out << "removed\t" << KindWord(item.kind) << '\t' << item.path << '\n';
  for (const ItemChange& item : source.changed) {
    out << "changed\t" << KindWord(item.kind) << '\t' << item.path << '\t' << ChangeWords(item.changes) << '\n';
  }
  for (const ItemChange& item : source.moved) {
    out << "moved\t" << KindWord(item.kind) << '\t' << item.oldPath << '\t' << item.path << '\n';
  }
}

void PrintChangeCounts(std::ostream& out, const ChangeReport& report) {
  out << "added: " << CountsText(report.Added()) << '\n'
      << "removed: " << CountsText(report.Removed()) << '\n'
      << "changed: " << report.Changed() << '\n'
      << "moved: " << report.Moved() << '\n';
}

}  // namespace volumist::cli
