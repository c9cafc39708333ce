// The settings dialog of a scan ("Supported formats and addons:"): its five pages, the entries of
// each page's check list and the scan option each one sets, the page's further switches and its
// heading. The dialog shows the entries, and OK stores every page into the scan dialog's job copy.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "browse/scan_dialog_rules.h"
#include "catalog/scan_options.h"

namespace volumist::browse {

// One entry of a page's check list, or one further switch of a page: its text and the option it
// sets (a switch without an option is shown but sets nothing).
struct SettingsEntry {
  std::string_view text;
  bool* (*field)(ScanOptions& options);
};

struct SettingsPageForm {
  SettingsPage page;
  std::string_view tab;                      // the tab's text
  std::string_view heading;                  // the heading's first, bold line
  std::span<const std::string_view> lines;   // the heading's explanatory lines
  std::span<const SettingsEntry> entries;    // the check list, in order
  std::span<const SettingsEntry> switches;   // check boxes below the list
};

// The pages in tab order: "Archives", "Audio", "Video", "Graphics", "Signatures".
std::span<const SettingsPageForm> SettingsPages();
const SettingsPageForm& LayoutOf(SettingsPage page);

// OK stores the pages in this order: audio, video, graphics, signatures, archives.
inline constexpr std::array<SettingsPage, kSettingsPageCount> kSettingsStoreOrder = {
    SettingsPage::kAudio, SettingsPage::kVideo, SettingsPage::kGraphics, SettingsPage::kSignatures,
    SettingsPage::kArchives};

// The checked state of every entry of a list (or every switch), as `options` have them. Switches that
// set nothing read as unchecked.
std::vector<bool> ReadEntries(const ScanOptions& options, std::span<const SettingsEntry> entries);
// Stores the checked states (one per entry, in order) into `options`. Switches that set nothing are
// skipped; missing states leave their options alone.
void StoreEntries(ScanOptions& options, std::span<const SettingsEntry> entries, const std::vector<bool>& checked);

namespace text {
inline constexpr char kSettingsDialog[] = "Supported formats and addons:";
inline constexpr char kAllButton[] = "All";
inline constexpr char kNoneButton[] = "None";
}  // namespace text

}  // namespace volumist::browse
