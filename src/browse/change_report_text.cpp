#include "browse/change_report_text.h"

namespace volumist::browse {
namespace {

std::string Plural(size_t count, const char* one, const char* many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::string Shown(const ItemChange& item, const std::string& path) {
  return item.kind == ItemKind::kFolder ? path + "/" : path;
}

std::string What(uint8_t changes) {
  std::string words;
  auto add = [&](uint8_t bit, const char* word) {
    if ((changes & bit) == 0) return;
    if (!words.empty()) words += ", ";
    words += word;
  };
  add(kChangedSize, "size");
  add(kChangedTime, "time");
  add(kChangedContent, "content");
  return words;
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

}  // namespace

std::string ChangeSummary(const ChangeReport& report) {
  const ChangeCounts added = report.Added();
  const ChangeCounts removed = report.Removed();
  std::string text = std::to_string(added.Total()) + " added (" + Plural(added.folders, "folder", "folders") + ", " +
                     Plural(added.files, "file", "files") + "), " + std::to_string(removed.Total()) + " removed (" +
                     Plural(removed.folders, "folder", "folders") + ", " + Plural(removed.files, "file", "files") +
                     "), " + std::to_string(report.Changed()) + " changed, " + std::to_string(report.Moved()) +
                     " moved; " + Plural(report.carriedDescriptions, "description", "descriptions") + " kept, " +
                     std::to_string(report.lostDescriptions.size()) + " lost";
  return text;
}

std::vector<std::string> ChangeLines(const ChangeReport& report) {
  std::vector<std::string> lines;
  for (const SourceChanges& source : report.sources) {
    lines.push_back("Source " + source.name + " (" + source.path + "): " + FateWord(source.fate));
    for (const ItemChange& item : source.added) lines.push_back("Added " + Shown(item, item.path));
    for (const ItemChange& item : source.removed) lines.push_back("Removed " + Shown(item, item.path));
    for (const ItemChange& item : source.changed) {
      lines.push_back("Changed " + Shown(item, item.path) + " (" + What(item.changes) + ")");
    }
    for (const ItemChange& item : source.moved) {
      lines.push_back("Moved " + Shown(item, item.oldPath) + " -> " + Shown(item, item.path));
    }
  }
  for (const LostDescription& lost : report.lostDescriptions) {
    lines.push_back("Description lost: " + (lost.path.empty() ? std::string("(no item)") : lost.path) + ": " +
                    OneLine(lost.text));
  }
  if (!report.lostDescriptionsFile.empty()) {
    lines.push_back("Lost descriptions kept in " + report.lostDescriptionsFile);
  }
  return lines;
}

}  // namespace volumist::browse
