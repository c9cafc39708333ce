#include "browse/verify_text.h"

#include <algorithm>
#include <cstdio>

#include "catalog/value_format.h"

namespace volumist::browse {
namespace {

std::string Clock(double seconds) {
  const auto whole = static_cast<long>(std::max(0.0, seconds) + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

std::string Shown(const VerifyDifference& d) { return d.kind == ItemKind::kFolder ? d.path + "/" : d.path; }

std::string Digests(DigestChoice digests) {
  std::string words;
  auto add = [&](bool on, const char* word) {
    if (!on) return;
    if (!words.empty()) words += ", ";
    words += word;
  };
  add(digests.crc32, "CRC-32");
  add(digests.md4, "eDonkey");
  add(digests.md5, "MD5");
  return words;
}

std::string Details(const VerifyDifference& d) {
  std::string text;
  auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  if ((d.changes & kChangedSize) != 0) add("size " + FormatSizeGrouped(d.oldSize) + " -> " + FormatSizeGrouped(d.newSize));
  if ((d.changes & kChangedTime) != 0) add("time");
  if ((d.changes & kChangedContent) != 0) add(Digests(d.differing));
  switch (d.problem) {
    case ReadProblem::kNone: break;
    case ReadProblem::kCannotList: add("the folder cannot be listed"); break;
    case ReadProblem::kCannotOpen: add("cannot be opened"); break;
    case ReadProblem::kReadError: add("read error at offset " + std::to_string(d.offset)); break;
    case ReadProblem::kShorter: add("ended before its size was read"); break;
  }
  return text.empty() ? "" : " (" + text + ")";
}

}  // namespace

std::string VerifyProgressText(const VerifyProgress& progress) {
  if (progress.bytesTotal == 0) {
    return "Comparing " + std::to_string(progress.itemsChecked) + " of " + std::to_string(progress.itemsTotal) +
           " items";
  }
  char rate[48];
  std::snprintf(rate, sizeof rate, " at %.1f MB/s", progress.bytesPerSecond / 1048576.0);
  std::string text = "Read " + FormatSizeShort(progress.bytesDigested) + " of " + FormatSizeShort(progress.bytesTotal) +
                     rate;
  if (progress.secondsLeft) text += ", " + Clock(*progress.secondsLeft) + " left";
  return text;
}

std::string VerifyReadText(const VerifyReport& report) {
  if (report.filesDigested == 0) return "Nothing was read.";
  return "Read " + FormatSizeShort(report.bytesDigested) + " from " + std::to_string(report.filesDigested) +
         (report.filesDigested == 1 ? " file." : " files.");
}

int VerifyProgressPermille(const VerifyProgress& progress) {
  auto permille = [](uint64_t done, uint64_t total) {
    if (total == 0) return 0;
    return static_cast<int>(std::min<uint64_t>(done, total) * 1000 / total);
  };
  if (progress.bytesTotal > 0) return permille(progress.bytesDigested, progress.bytesTotal);
  return permille(progress.itemsChecked, progress.itemsTotal);
}

std::string VerifySummary(const VerifyReport& report) {
  const VerifyCounts counts = report.Counts();
  std::string text = report.stopped ? "Stopped: " : "";
  if (report.AllMatch()) {
    return text + "Everything matches: " + std::to_string(counts.same) + " items compared, " +
           std::to_string(report.filesDigested) + " files read.";
  }
  text += std::to_string(counts.changed) + " changed, " + std::to_string(counts.contentChanged) +
          " content changed, " + std::to_string(counts.missing) + " missing, " + std::to_string(counts.unreadable) +
          " unreadable, " + std::to_string(counts.added) + " new; " + std::to_string(counts.same) + " the same.";
  return text;
}

std::vector<std::string> VerifyLines(const VerifyReport& report) {
  std::vector<std::string> lines;
  for (const VerifiedSource& source : report.sources) {
    if (source.state == SourceState::kAbsent) {
      lines.push_back("Source " + source.name + " (" + source.path + ") is absent: nothing of it was compared");
    } else if (source.state == SourceState::kOtherMedium) {
      lines.push_back("Source " + source.name + " (" + source.path + ") is on another disk");
    }
  }
  for (const VerifyDifference& d : report.differences) {
    const char* word = "";
    switch (d.finding) {
      case VerifyFinding::kChanged: word = "Changed "; break;
      case VerifyFinding::kContentChanged: word = "Content changed "; break;
      case VerifyFinding::kMissing: word = "Missing "; break;
      case VerifyFinding::kUnreadable: word = "Unreadable "; break;
      case VerifyFinding::kNew: word = "New "; break;
    }
    lines.push_back(word + Shown(d) + Details(d));
  }
  return lines;
}

std::string VerifyWhereIsSourcePrompt(const std::string& name, const std::string& recordedPath) {
  return "Where is source " + name + " now? (recorded at " + recordedPath + ")";
}

}  // namespace volumist::browse
