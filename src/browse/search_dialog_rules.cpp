#include "browse/search_dialog_rules.h"

#include <limits>

#include "analysis/messages.h"
#include "catalog/messages.h"
#include "platform/file_system.h"

namespace volumist::browse {
namespace {

constexpr std::array<uint32_t, kBitrateCount> kBitrates = {0, 8, 16, 32, 48, 64, 96, 112, 128, 144, 160, 192, 224, 256, 320, 448};
constexpr std::array<uint64_t, 4> kUnitBytes = {1, 1024, 1048576, 1073741824};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The decimal number `text` holds, or nothing when it holds anything but digits; a value past 64
// bits reads as the largest one.
std::optional<uint64_t> Digits(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::numeric_limits<uint64_t>::max();
    value = value * 10 + digit;
  }
  return value;
}

// An edit's text sets its flag when it is not empty.
void TakeText(const std::string& text, bool& enabled, std::string& field) {
  enabled = !text.empty();
  field = text;
}

constexpr std::string_view kMaskTip[] = {"Here you must enter search mask.",
                                         "    Search using wildcards for comparing filenames:",
                                         "    * - zero or more characters;", "    ? - single character in a name;"};
constexpr std::string_view kJumpTip[] = {"Jump on the same file in the volume.", "    You can also jump, if you will",
                                         "    <Double click> on file in the list."};
constexpr std::string_view kSearchTip[] = {"Start search."};
constexpr std::string_view kStopTip[] = {"Immidiate stop search."};
constexpr std::string_view kClearTip[] = {"Clean current list of files."};
constexpr std::string_view kAllVolumesTip[] = {"Allow to do search in all volumes from the list."};
constexpr std::string_view kResetAllTip[] = {"Reset all search options."};
constexpr std::string_view kCloseTip[] = {"Close search dialog."};
constexpr std::string_view kMaximumTip[] = {"Stop searching when found maximum ... items."};
constexpr std::string_view kViewModesTip[] = {"View mode selector.",
                                              "    If it is possible, here you can select Main, Music,",
                                              "    Video, Signatures modes for file list."};

}  // namespace

std::string BitrateText(int index) {
  if (index <= 0 || index >= kBitrateCount) return "None";
  return std::to_string(kBitrates[static_cast<size_t>(index)]) + "  Kbit/sec";
}

SearchForm FormFromCriteria(const SearchCriteria& c, CatalogTime now) {
  SearchForm form;
  form.mask = c.mask;
  form.options = {c.caseSensitive, c.lookInArchives, c.onlyInArchives, c.inSubfolders, c.findFolders, c.getDescriptions};
  form.allVolumes = c.allVolumes;
  form.maximum = std::to_string(c.maximum);
  form.resultView = c.resultViewMode <= 3 ? static_cast<int>(c.resultViewMode) : 0;
  form.size = c.sizeEnabled ? std::to_string(c.sizeValue) : std::string();
  form.sizeCompare = c.sizeCompare;
  form.sizeUnit = c.sizeUnit;
  form.fromChecked = c.fromEnabled;
  form.fromTime = c.fromEnabled ? c.fromTime : now;
  form.toChecked = c.toEnabled;
  form.toTime = c.toEnabled ? c.toTime : now;
  form.description = c.descriptionEnabled ? c.descriptionText : std::string();
  form.title = c.titleEnabled ? c.titleText : std::string();
  form.artist = c.artistEnabled ? c.artistText : std::string();
  form.album = c.albumEnabled ? c.albumText : std::string();
  form.comment = c.commentEnabled ? c.commentText : std::string();
  form.trySequences = c.trySequencesInNames;
  form.bitrateCompare = c.bitrateCompare;
  form.bitrateIndex = c.bitrateIndex < static_cast<uint32_t>(kBitrateCount) ? static_cast<int>(c.bitrateIndex) : 0;
  form.crc32 = c.crc32Enabled ? c.crc32Text : std::string();
  form.md4 = c.md4Enabled ? c.md4Text : std::string();
  form.md5 = c.md5Enabled ? c.md5Text : std::string();
  return form;
}

MaximumCheck CheckMaximum(std::string_view text) {
  const uint64_t value = Digits(Trimmed(text)).value_or(0);
  if (value < kMinimumSearchMaximum) return {kMinimumSearchMaximum, search_text::kMaximumIsTooSmall};
  if (value > kMaximumSearchMaximum) return {kMaximumSearchMaximum, search_text::kMaximumIsTooLarge};
  return {static_cast<uint32_t>(value), std::nullopt};
}

SizeReading ReadSizeText(std::string_view text, SizeUnit unit) {
  text = Trimmed(text);
  if (text.empty()) return {};
  std::optional<uint64_t> value = Digits(text);
  if (!value) return {false, 0, search_text::kSizeNotANumber};
  const uint64_t unitBytes = kUnitBytes[std::min<size_t>(static_cast<size_t>(unit), kUnitBytes.size() - 1)];
  // The largest value Digits gives stands for every longer number too.
  if (*value == std::numeric_limits<uint64_t>::max() || *value > std::numeric_limits<uint64_t>::max() / unitBytes) {
    return {false, 0, search_text::kSizeTooLarge};
  }
  return {true, *value, std::nullopt};
}

FormReading ReadSearchForm(const SearchForm& form, SearchCriteria& c) {
  FormReading reading;
  const MaximumCheck maximum = CheckMaximum(form.maximum);
  reading.maximum = maximum.value;
  reading.maximumMessage = maximum.message;
  const SizeReading size = ReadSizeText(form.size, form.sizeUnit);
  if (size.message) {
    reading.sizeMessage = size.message;
    return reading;
  }
  c.mask = form.mask.substr(0, kSearchMaskMaxLength);
  c.caseSensitive = form.options[static_cast<size_t>(SearchOption::kCaseSensitive)];
  c.lookInArchives = form.options[static_cast<size_t>(SearchOption::kLookInArchives)];
  c.onlyInArchives = form.options[static_cast<size_t>(SearchOption::kOnlyInArchives)];
  c.inSubfolders = form.options[static_cast<size_t>(SearchOption::kInSubfolders)];
  c.findFolders = form.options[static_cast<size_t>(SearchOption::kFindFolders)];
  c.getDescriptions = form.options[static_cast<size_t>(SearchOption::kGetDescriptions)];
  c.allVolumes = form.allVolumes;
  // The folder scope is a folder of the loaded volume: it means nothing in the other volumes.
  if (c.allVolumes) c.inFolder = false;
  c.maximum = maximum.value;
  c.resultViewMode = form.resultView >= 0 && form.resultView <= 3 ? static_cast<uint32_t>(form.resultView) : 0;

  c.sizeEnabled = size.enabled;
  c.sizeValue = size.value;
  c.sizeCompare = form.sizeCompare;
  c.sizeUnit = form.sizeUnit;
  c.fromEnabled = form.fromChecked;
  c.fromTime = form.fromTime;
  c.toEnabled = form.toChecked;
  c.toTime = form.toTime;
  TakeText(form.description.substr(0, kSearchDescriptionMaxLength), c.descriptionEnabled, c.descriptionText);

  TakeText(form.title, c.titleEnabled, c.titleText);
  TakeText(form.artist, c.artistEnabled, c.artistText);
  TakeText(form.album, c.albumEnabled, c.albumText);
  TakeText(form.comment, c.commentEnabled, c.commentText);
  c.trySequencesInNames = form.trySequences;
  c.bitrateIndex = form.bitrateIndex > 0 && form.bitrateIndex < kBitrateCount ? static_cast<uint32_t>(form.bitrateIndex) : 0;
  c.bitrateCompare = form.bitrateCompare;
  c.audioEnabled = c.titleEnabled || c.artistEnabled || c.albumEnabled || c.commentEnabled || c.bitrateIndex != 0;

  TakeText(form.crc32, c.crc32Enabled, c.crc32Text);
  TakeText(form.md4, c.md4Enabled, c.md4Text);
  TakeText(form.md5, c.md5Enabled, c.md5Text);
  c.signaturesEnabled = c.crc32Enabled || c.md4Enabled || c.md5Enabled;
  return reading;
}

void ResetSearchPage(SearchForm& form, SearchPage page) {
  switch (page) {
    case SearchPage::kSizeTimeDescription:
      form.size.clear();
      form.fromChecked = form.toChecked = false;
      form.description.clear();
      break;
    case SearchPage::kAudio:
      form.title.clear();
      form.artist.clear();
      form.album.clear();
      form.comment.clear();
      form.bitrateIndex = 0;
      break;
    case SearchPage::kSignatures:
      form.crc32.clear();
      form.md4.clear();
      form.md5.clear();
      break;
  }
}

void ResetAllSearch(SearchForm& form, SearchCriteria& criteria) {
  form.mask = kDefaultSearchMask;
  ResetSearchPage(form, SearchPage::kSizeTimeDescription);
  ResetSearchPage(form, SearchPage::kAudio);
  criteria.allVolumes = false;
}

bool IsSearchCommand(Command command) {
  switch (command) {
    case Command::kSearch:
    case Command::kSearchDialog:
    case Command::kSearchAllVolumes:
    case Command::kSearchCurrentFolder:
    case Command::kFindSelected:
    case Command::kFindCopy:
    case Command::kFindThisItem:
    case Command::kFindCopyOfItem: return true;
    default: return false;
  }
}

SearchPresetOutcome ApplySearchPreset(Command command, SearchCriteria& criteria, bool volumeLoaded,
                                      const ItemRow* selected, RecordKey currentFolder) {
  const bool find = command == Command::kFindSelected || command == Command::kFindThisItem;
  const bool copy = command == Command::kFindCopy || command == Command::kFindCopyOfItem;
  if (find || copy) {
    if (selected == nullptr || selected->kind == RowKind::kNone) return {false, messages::kSelectItemFirst};
    if (selected->kind == RowKind::kUp) return {false, std::nullopt};
  }
  if (command == Command::kSearchCurrentFolder && !volumeLoaded) return {false, messages::kLoadSomeVolumeFirst};

  criteria.inFolder = false;
  switch (command) {
    case Command::kSearchDialog: criteria.allVolumes = false; break;
    case Command::kSearchAllVolumes: criteria.allVolumes = true; break;
    case Command::kSearchCurrentFolder:
      criteria.allVolumes = false;
      criteria.inFolder = currentFolder != 0;
      criteria.scopeFolder = currentFolder;
      break;
    default: break;
  }
  if (find || copy) {
    criteria.mask = selected->name.substr(0, kSearchMaskMaxLength);
    if (selected->IsFolderLike()) criteria.findFolders = true;
    criteria.sizeEnabled = copy;
    if (copy) {
      criteria.sizeValue = selected->size;
      criteria.sizeCompare = Comparison::kEqual;
      criteria.sizeUnit = SizeUnit::kBytes;
    }
  }
  return {};
}

std::string SearchDialogCaption(const std::optional<std::string>& volumeName,
                                const std::optional<std::string>& folderPath) {
  std::string caption = search_text::kSearchCaption;
  if (volumeName) caption += search_text::kInVolume + *volumeName;
  if (folderPath) caption += search_text::kInFolder + *folderPath;
  return caption;
}

SearchControls SearchControlsFor(bool searching) {
  if (!searching) return {};
  return {false, true, false, false, false, false};
}

std::string TotalFoundText(uint64_t count) { return "Total found: " + std::to_string(count) + " files"; }

std::span<const std::string_view> SearchToolTipLines(SearchTip control) {
  switch (control) {
    case SearchTip::kMask: return kMaskTip;
    case SearchTip::kJump: return kJumpTip;
    case SearchTip::kSearch: return kSearchTip;
    case SearchTip::kStop: return kStopTip;
    case SearchTip::kClear: return kClearTip;
    case SearchTip::kAllVolumes: return kAllVolumesTip;
    case SearchTip::kResetAll: return kResetAllTip;
    case SearchTip::kClose: return kCloseTip;
    case SearchTip::kMaximum: return kMaximumTip;
    case SearchTip::kViewModes: return kViewModesTip;
  }
  return {};
}

std::optional<JumpTarget> JumpTargetOf(const ItemRow& row) {
  if (!row.volume || row.kind == RowKind::kUp || row.kind == RowKind::kNone) return std::nullopt;
  return JumpTarget{row.volume->path, row.containerKey, row.key, row.kind, row.name};
}

std::optional<size_t> FindVolumeEntry(const std::vector<VolumeListEntry>& entries, const std::string& path) {
  const std::string wanted = platform::NormalizePath(path);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (platform::NormalizePath(entries[i].filePath) == wanted) return i;
  }
  return std::nullopt;
}

bool IsJumpTargetRow(const JumpTarget& target, const ItemRow& row) {
  // A folder source's root is listed as such at the top, and found by the search as a folder.
  auto folderLike = [](RowKind kind) { return kind == RowKind::kFolder || kind == RowKind::kSourceRoot; };
  const bool sameKind = row.kind == target.kind || (folderLike(row.kind) && folderLike(target.kind));
  return row.key == target.key && sameKind && row.name == target.name;
}

}  // namespace volumist::browse
