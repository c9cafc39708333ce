#include "browse/command_strip.h"

namespace volumist::browse {
namespace {

using C = Command;
using B = StripButton;

constexpr Command kVolumesMenu[] = {C::kRenameVolume,   C::kDeleteVolume,    C::kVerifyVolume,
                                    C::kFindDuplicates, C::kChangeDirectory, C::kRefreshVolumes};
constexpr Command kNewMenu[] = {C::kNewSingle, C::kNewMultiple, C::kNewFromVolumeSources};
constexpr Command kAddMenu[] = {C::kAddSingle, C::kAddMultiple};
constexpr Command kUpdateMenu[] = {C::kUpdateVolume, C::kRescanVolume};
constexpr Command kSearchMenu[] = {C::kSearchDialog, C::kSearchAllVolumes, C::kSearchCurrentFolder, C::kFindSelected,
                                   C::kFindCopy};
constexpr Command kExportMenu[] = {C::kExportVolume, C::kExportFolder, C::kExportFolderTree, C::kExportFileList};
constexpr Command kHelpMenu[] = {C::kHelpPage, C::kAbout};

const std::array<StripButtonLayout, kStripButtonCount> kButtons = {{
    {B::kVolumes, "Volumes", 9, 57, C::kVolumes, true, true, kVolumesMenu},
    {B::kApply, "Apply", 73, 39, C::kApply, false, false, {}},
    {B::kUndo, "Undo", 112, 39, C::kUndo, false, false, {}},
    {B::kNew, "New...", 158, 57, C::kNewVolume, true, false, kNewMenu},
    {B::kAdd, "Add...", 216, 57, C::kAddToVolume, true, false, kAddMenu},
    {B::kUpdate, "Update", 274, 57, C::kUpdate, true, true, kUpdateMenu},
    {B::kSearch, "Search", 338, 57, C::kSearch, true, false, kSearchMenu},
    {B::kExport, "Export", 396, 57, C::kExport, true, false, kExportMenu},
    {B::kOptions, "Options", 454, 57, C::kOptions, false, false, {}},
    {B::kHelp, "Help", 512, 57, C::kHelp, true, false, kHelpMenu},
    {B::kStop, "Stop", 158, 57, C::kStop, false, false, {}},
}};

constexpr std::string_view kVolumesTip[] = {
    "Volumes management.  <F2>",
    "    There you can rename and delete volumes from",
    "    the list, change current active directory.",
};
constexpr std::string_view kApplyTip[] = {
    "Apply all changes.  <F3>",
    "    You should apply manually any all changes you have",
    "    done with current loaded volume.",
    "    (Editing descriptions and other changes)",
};
constexpr std::string_view kUndoTip[] = {
    "Undo all changes.  <F4>",
    "    Undo description changes.",
};
constexpr std::string_view kNewTip[] = {
    "Scan & Save new volumes.  <F5>",
    "    If you press this button you will see",
    "    scanning dialog, where you can choose any disk or",
    "    folder (in single mode) or several sources ",
    "    (in multiple mode), set options and start",
    "    creating a new volume.",
};
constexpr std::string_view kAddTip[] = {
    "Add files or folders to the volume.  <F6>",
    "    Add files or folders to the currently loaded",
    "    volume.",
};
constexpr std::string_view kUpdateTip[] = {
    "Update volume.  <F7>",
    "    Scan the loaded volume's sources again, or add",
    "    and remove sources first; descriptions are kept",
    "    with their files, and a report shows what changed.",
};
constexpr std::string_view kSearchTip[] = {
    "Search.  <F8>",
    "    Here you can find any file or folder you need.",
    "    You can search in currently loaded volume or in",
    "    all volumes from the list. Find files by name, size",
    "    time, description or MP3 tags (title, album...).",
};
constexpr std::string_view kExportTip[] = {
    "Export.  <F9>",
    "    There you can export volume content to different file formats.",
    "    Now support: XML format.",
};
constexpr std::string_view kOptionsTip[] = {
    "Options.  <F10>",
    "    There you can set configuration options of Volumist.",
};
constexpr std::string_view kHelpTip[] = {
    "Help and additional info.  <F1>",
    "    Help and about Volumist.",
};
// "Stop" has no tooltip of its own.

bool Inside(const StripButtonLayout& layout, int x, int y) {
  return y >= kStripTop && y < kStripBottom && x >= layout.left && x < layout.left + layout.width;
}

}  // namespace

std::span<const StripButtonLayout> StripButtons() { return kButtons; }

const StripButtonLayout& LayoutOf(StripButton button) { return kButtons[static_cast<size_t>(button)]; }

bool IsButtonShown(StripButton button, bool scanning) {
  if (button == B::kNew) return !scanning;
  if (button == B::kStop) return scanning;
  return true;
}

int ButtonAt(int x, int y, bool scanning) {
  for (const StripButtonLayout& layout : kButtons) {
    if (IsButtonShown(layout.button, scanning) && Inside(layout, x, y)) return static_cast<int>(layout.button);
  }
  return -1;
}

StripHit HitTest(int x, int y, const StripState& state) {
  int index = ButtonAt(x, y, state.scanning);
  if (index < 0 || !state.enabled[static_cast<size_t>(index)]) return {};
  const StripButtonLayout& layout = kButtons[static_cast<size_t>(index)];
  bool inDropDown = layout.hasDropDown && x >= layout.left + layout.width - kDropDownWidth;
  if (layout.opensMenuOnly || inDropDown) return {StripHit::Kind::kMenu, index, layout.command};
  return {StripHit::Kind::kCommand, index, layout.command};
}

int HoverButton(int x, int y, const StripState& state) {
  int index = ButtonAt(x, y, state.scanning);
  return index >= 0 && state.enabled[static_cast<size_t>(index)] ? index : -1;
}

StripPoint MenuPosition(StripButton button) { return {LayoutOf(button).left, kStripBottom}; }

std::span<const std::string_view> ToolTipLines(StripButton button) {
  switch (button) {
    case B::kVolumes: return kVolumesTip;
    case B::kApply: return kApplyTip;
    case B::kUndo: return kUndoTip;
    case B::kNew: return kNewTip;
    case B::kAdd: return kAddTip;
    case B::kUpdate: return kUpdateTip;
    case B::kSearch: return kSearchTip;
    case B::kExport: return kExportTip;
    case B::kOptions: return kOptionsTip;
    case B::kHelp: return kHelpTip;
    case B::kStop: return {};
  }
  return {};
}

std::string JoinToolTip(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

}  // namespace volumist::browse
