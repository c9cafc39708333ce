// The search dialog's rules that need no toolkit: its texts, the form of its controls and how it is
// read into the criteria (the maximum clamped, the size text checked), the resets, the presets of
// the window's search entries, the caption, the buttons of each state, the timers, the tooltips,
// and how a result is found again when the user jumps to it. The dialog's widgets show a
// SearchForm and forward the user's actions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "browse/command.h"
#include "browse/item_row.h"
#include "catalog/catalog_time.h"
#include "catalog/search_criteria.h"
#include "catalog/volume_list.h"

namespace volumist::browse {

namespace search_text {
inline constexpr char kSearchCaption[] = "Search";
inline constexpr char kInVolume[] = "   in volume: ";
inline constexpr char kInFolder[] = "   in folder: ";
inline constexpr char kMaskLabel[] =
    " All or part of the file name:    (mask: * - zero or more characters, ? - single character in a name)";
inline constexpr char kOptionsLabel[] = " Options:";
inline constexpr char kAllVolumesBox[] = "Look in all volumes";
inline constexpr char kStopWhenFoundLabel[] = " Stop searching when found:";
inline constexpr char kMaximumLabel[] = "Maximum: ";
inline constexpr char kItemsLabel[] = " items";
inline constexpr char kSizeTimePage[] = "By Size, Time, Description";
inline constexpr char kAudioPage[] = "By Audio";
inline constexpr char kSignaturesPage[] = "By Signatures";
inline constexpr char kSizeLabel[] = "Size:";
inline constexpr char kDateLabel[] = "Date:";
inline constexpr char kChangedFrom[] = "Changed from:";
inline constexpr char kChangedTo[] = "Changed to:";
inline constexpr char kDescriptionLabel[] = "Descr-on:";
inline constexpr char kDescriptionNote[] = "(Must be enabled Get descriptions)";
inline constexpr char kTitleLabel[] = "Title:";
inline constexpr char kArtistLabel[] = "Artist:";
inline constexpr char kAlbumLabel[] = "Album:";
inline constexpr char kCommentLabel[] = "Comment:";
inline constexpr char kTrySequences[] = "Try find sequences in filenames.";
inline constexpr char kBitrateLabel[] = "Bitrate:";
inline constexpr char kCrc32Label[] = "CRC-32:";
inline constexpr char kMd4Label[] = "MD4:";
inline constexpr char kMd5Label[] = "MD5:";
inline constexpr char kSignaturesNote[] = "You can seach by signatures only if they are scanned in the volume.";
inline constexpr char kResetButton[] = "Reset";
inline constexpr char kSearchButton[] = "Search";
inline constexpr char kStopButton[] = "Stop";
inline constexpr char kJumpButton[] = "Jump";
inline constexpr char kClearButton[] = "Clear";
inline constexpr char kResetAllButton[] = "Reset All";
inline constexpr char kCloseButton[] = "Close";

// The maximum's corrections.
inline constexpr char kMaximumIsTooLarge[] = "100000 is maximum.";
inline constexpr char kMaximumIsTooSmall[] = "10 is minimum.";
// A size text that is not a whole number, and one that is too large in its unit; the dialog stays
// open and searches nothing.
inline constexpr char kSizeNotANumber[] = "The size must be a whole number, written with the digits 0 to 9 only.";
inline constexpr char kSizeTooLarge[] =
    "The size is too large for the unit chosen: at most 18446744073709551615 bytes can be compared.";
// "Jump" to a result whose volume file is no longer in the volume list, and to one whose volume
// changed since the search so that the item is not where it was found.
inline constexpr char kJumpVolumeGone[] = "The volume of this item is no longer in the volume list.";
inline constexpr char kJumpItemGone[] =
    "This item is no longer where the search found it: its volume has changed since. Please, search again.";
}  // namespace search_text

// The items of the option list, in its order.
enum class SearchOption : int {
  kCaseSensitive = 0,
  kLookInArchives,
  kOnlyInArchives,
  kInSubfolders,
  kFindFolders,
  kGetDescriptions,
};
inline constexpr int kSearchOptionCount = 6;
inline constexpr std::array<std::string_view, kSearchOptionCount> kSearchOptionTexts = {
    "Case sensitive",       "Look in archives",   "Look only in archives",
    "Search in subfolders", "Search for folders", "Get descriptions (slower)"};

// The comparison list ("<=", "<", "=", ">", ">=", "not equal"), the units and the bitrate list.
inline constexpr std::array<std::string_view, 6> kComparisonTexts = {"<=", "<", "=", ">", ">=", "not equal"};
inline constexpr std::array<std::string_view, 4> kSizeUnitTexts = {"Bytes", "KBytes", "MBytes", "GBytes"};
inline constexpr int kBitrateCount = 16;
// "None" for entry 0, else the kbit/s and "  Kbit/sec" ("8  Kbit/sec").
std::string BitrateText(int index);

// The criteria pages.
enum class SearchPage : int { kSizeTimeDescription = 0, kAudio = 1, kSignatures = 2 };
inline constexpr std::array<std::string_view, 3> kSearchPageTitles = {search_text::kSizeTimePage, search_text::kAudioPage,
                                                                      search_text::kSignaturesPage};

// The dialog's controls as plain values: what each edit holds as text, what each box and list shows.
struct SearchForm {
  std::string mask;
  std::array<bool, kSearchOptionCount> options{};
  bool allVolumes = false;
  std::string maximum;  // the maximum edit's text
  int resultView = 0;   // the results list's view mode, 0 to 3

  // "By Size, Time, Description".
  std::string size;  // at most kSizeTextMaxLength characters
  Comparison sizeCompare = Comparison::kLessOrEqual;
  SizeUnit sizeUnit = SizeUnit::kBytes;
  bool fromChecked = false;
  CatalogTime fromTime;  // the picker's time, shown also while its box is unchecked
  bool toChecked = false;
  CatalogTime toTime;
  std::string description;

  // "By Audio".
  std::string title, artist, album, comment;
  bool trySequences = false;
  Comparison bitrateCompare = Comparison::kLessOrEqual;
  int bitrateIndex = 0;

  // "By Signatures".
  std::string crc32, md4, md5;

  friend bool operator==(const SearchForm&, const SearchForm&) = default;
};
inline constexpr int kSizeTextMaxLength = 49;

// What the dialog shows on opening: the criteria as they were left. Pickers whose bound is not set
// show `now`.
SearchForm FormFromCriteria(const SearchCriteria& criteria, CatalogTime now);

// The maximum edit's text, read as the search reads it, whenever the criteria are read and when the
// edit loses the focus: anything but digits reads as 0; below 10 it becomes 10 with "10 is minimum.",
// above 100000 it becomes 100000 with "100000 is maximum.".
struct MaximumCheck {
  uint32_t value = kMinimumSearchMaximum;
  std::optional<std::string_view> message;
};
MaximumCheck CheckMaximum(std::string_view text);

// The size edit's text in `unit`: empty (blanks aside) turns the criterion off; otherwise it must be
// digits alone whose value times the unit fits 64 bits.
struct SizeReading {
  bool enabled = false;
  uint64_t value = 0;
  std::optional<std::string_view> message;  // kSizeNotANumber or kSizeTooLarge
};
SizeReading ReadSizeText(std::string_view text, SizeUnit unit);

// Reads the whole form into `criteria`, as "Search" and "Jump" do. The maximum is always checked (its
// message comes first; `maximum` is what the edit shows afterwards). When the size text cannot be
// read, `sizeMessage` says why and the criteria are left as they were (the dialog stays open);
// otherwise every field is set: texts and flags from non-empty edits, audioEnabled and
// signaturesEnabled from their pages. A search of all volumes ignores the folder scope.
struct FormReading {
  std::optional<std::string_view> maximumMessage;
  uint32_t maximum = kDefaultSearchMaximum;
  std::optional<std::string_view> sizeMessage;
  bool Complete() const { return !sizeMessage; }
};
FormReading ReadSearchForm(const SearchForm& form, SearchCriteria& criteria);

// A page's "Reset": the size, the two dates and the description; the four tags and the bitrate
// ("None"); the three signatures. The comparison and unit lists keep their choice.
void ResetSearchPage(SearchForm& form, SearchPage page);
// "Reset All": the mask becomes "*.*" and the first two pages are reset; the signatures, the lists
// and the options keep their state. `criteria.allVolumes` is cleared while the box keeps its state.
void ResetAllSearch(SearchForm& form, SearchCriteria& criteria);

// What opening the dialog from `command` does to the criteria. Every entry but "Search in current
// folder" searches without a folder scope; "Search..." clears "Look in all volumes", "Search in all
// volumes..." sets it, the "Search" button (F8) keeps it. "Search in current folder" scopes the
// loaded volume's folder `currentFolder` (the whole volume at its root) and clears "Look in all
// volumes". The find entries set the mask to the row's name, "Search for folders" for a folder, and
// the size "=" its bytes for a copy (a plain find clears the size criterion): they need a `selected`
// row ("Can not proceed. Please, select some folder or file first."), and the up entry does nothing.
struct SearchPresetOutcome {
  bool open = true;
  std::optional<std::string_view> message;  // shown instead of opening
};
SearchPresetOutcome ApplySearchPreset(Command command, SearchCriteria& criteria, bool volumeLoaded,
                                      const ItemRow* selected, RecordKey currentFolder);
// Whether `command` opens the search dialog.
bool IsSearchCommand(Command command);

// "Search", then "   in volume: " and the loaded volume's name, then "   in folder: " and the
// folder's path (FolderPathText) while the search is limited to it.
std::string SearchDialogCaption(const std::optional<std::string>& volumeName,
                                const std::optional<std::string>& folderPath);

// The buttons and the mask edit in each state: while searching only "Stop" is on.
struct SearchControls {
  bool search = true;
  bool stop = false;
  bool jump = true;
  bool clear = true;
  bool close = true;
  bool mask = true;
  friend bool operator==(const SearchControls&, const SearchControls&) = default;
};
SearchControls SearchControlsFor(bool searching);

// The three timers: the results list is refreshed first after 1000 ms and then every 2500 ms, the
// progress bar (0 to 30) advances every 50 ms, the count is shown every 500 ms.
inline constexpr int kFirstRefreshMs = 1000;
inline constexpr int kRefreshMs = 2500;
inline constexpr int kProgressMs = 50;
inline constexpr int kCountMs = 500;
inline constexpr int kProgressSteps = 30;
constexpr int NextProgressStep(int step) { return step + 1 >= kProgressSteps || step < 0 ? 0 : step + 1; }
// "Total found: %ld files".
std::string TotalFoundText(uint64_t count);

// The tooltips of the dialog's controls; further lines begin with four blanks.
enum class SearchTip { kMask, kJump, kSearch, kStop, kClear, kAllVolumes, kResetAll, kClose, kMaximum, kViewModes };
std::span<const std::string_view> SearchToolTipLines(SearchTip control);

// Where "Jump" leads: the volume file of the result, the folder or archive that lists it, and the
// row in there. Names play no part, so a folder named "a\b" is found like any other.
struct JumpTarget {
  std::string volumePath;
  RecordKey containerKey = 0;
  RecordKey key = 0;
  RowKind kind = RowKind::kFile;
  std::string name;  // to tell that the row found at the key is still the item found
};
std::optional<JumpTarget> JumpTargetOf(const ItemRow& row);
// The index of the entry of `entries` whose file is `path` (both normalised), or nothing.
std::optional<size_t> FindVolumeEntry(const std::vector<VolumeListEntry>& entries, const std::string& path);
// Whether `row` (read from the folder the target names) is the item the search found.
bool IsJumpTargetRow(const JumpTarget& target, const ItemRow& row);

}  // namespace volumist::browse
