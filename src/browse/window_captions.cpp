#include "browse/window_captions.h"

#include <algorithm>
#include <cstdio>

#include "catalog/value_format.h"

namespace volumist::browse {
namespace {

constexpr std::string_view kBackTip[] = {"Back..."};
constexpr std::string_view kForwardTip[] = {"Forward..."};
constexpr std::string_view kPropertiesTip[] = {"Show volume and file properties."};
constexpr std::string_view kRootTip[] = {"Up to the Root directory."};
constexpr std::string_view kUpTip[] = {"Up to one directory level."};
constexpr std::string_view kExplorerTip[] = {
    "Explorer Mode switch.",
    "    If checked - <Enter> or <Double Click>",
    "    will execute the file, otherwise - you",
    "    will see the properties of file or folder.",
};
constexpr std::string_view kDescriptionTip[] = {
    "Editing of description.",
    "    Write here any text you want and then just",
    "    <Click> to another file or folder.",
    "    After all changes press <Apply> to save them.",
};
constexpr std::string_view kActiveDirectoryTip[] = {
    "Change current path for volume list.",
    "    By default it is a current progam path, but",
    "    you can specify where to save new volumes and then",
    "    load them from this path.",
};
constexpr std::string_view kStatisticsTip[] = {
    "Statistics bar.",
    "    Here you can see all what program does (current",
    "    status) and some currently loaded volume data.",
};
constexpr std::string_view kViewModesTip[] = {
    "View mode selector.",
    "    If it is possible, here you can select Main, Music,",
    "    Video, Signatures modes for file list.",
};
constexpr std::string_view kArrangeTip[] = {
    "Arrange volumes list.",
    "    By Name (Ascending or descending)",
    "    By Size (Ascending or descending)",
    "    By Time (Creation or modification)",
};
constexpr std::string_view kClearDescriptionTip[] = {"Clear description."};

}  // namespace

std::string WindowTitle() {
  char title[64];
  std::snprintf(title, sizeof title, "Zarn Volumist %d.%d %s %s", kVersionMajor, kVersionMinor, kReleaseKind, "");
  return title;
}

std::string FormatElapsed(std::string_view status, int64_t elapsedSeconds) {
  if (elapsedSeconds < 0) elapsedSeconds = 0;
  char text[256];
  std::snprintf(text, sizeof text, "%.*s (%02d:%02d)", static_cast<int>(std::min<size_t>(status.size(), 200)),
                status.data(), static_cast<int>(elapsedSeconds / 60 % 100000), static_cast<int>(elapsedSeconds % 60));
  return text;
}

std::span<const std::string_view> ToolTipLines(ControlTip control) {
  switch (control) {
    case ControlTip::kBack: return kBackTip;
    case ControlTip::kForward: return kForwardTip;
    case ControlTip::kProperties: return kPropertiesTip;
    case ControlTip::kRoot: return kRootTip;
    case ControlTip::kUp: return kUpTip;
    case ControlTip::kExplorerMode: return kExplorerTip;
    case ControlTip::kDescriptionPane: return kDescriptionTip;
    case ControlTip::kActiveDirectory: return kActiveDirectoryTip;
    case ControlTip::kStatisticsBar: return kStatisticsTip;
    case ControlTip::kViewModes: return kViewModesTip;
    case ControlTip::kArrange: return kArrangeTip;
    case ControlTip::kClearDescription: return kClearDescriptionTip;
  }
  return {};
}

StatisticsTexts MakeStatisticsTexts(const StatisticsFigures& figures) {
  StatisticsTexts texts;
  texts.status = figures.busy ? FormatElapsed(figures.status, figures.elapsedSeconds) : figures.status;
  if (figures.counters) {
    texts.folders = std::to_string(figures.counters->folderCount);
    texts.files = std::to_string(figures.counters->fileCount);
    texts.archives = std::to_string(figures.counters->archiveCount);
  }
  if (figures.fileSize) texts.fileSize = FormatSizeShort(*figures.fileSize);
  if (figures.date) texts.date = FormatDateTime(*figures.date);
  if (figures.totalSize) texts.total = FormatSizeShort(*figures.totalSize);
  return texts;
}

}  // namespace volumist::browse
