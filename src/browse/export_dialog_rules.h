// The export dialog's rules that need no toolkit: its texts, the form of its controls filled from and
// read into the export options (the column list with its moves and reset, the ROOT rule), the choice
// each export command presets, and where the export starts once the file is named.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browse/command.h"
#include "catalog/export_options.h"
#include "catalog/record_key.h"

namespace volumist::browse {

namespace export_text {
inline constexpr char kExportCaption[] = "Export generator v1.1";
inline constexpr char kExportFromLabel[] = " Export from:";
inline constexpr char kFromVolumeLabel[] = "Directly from volume (unsorted):";
inline constexpr char kFromFileListLabel[] = "Directly from files list (sort as in list):";
inline constexpr char kFromSearchListLabel[] = "Directly from search list (sort as in list):";
inline constexpr char kFullVolumeRadio[] = "Full volume content";
inline constexpr char kCurrentFolderRadio[] = "Current folder";
inline constexpr char kFolderAndSubfoldersRadio[] = "Current folder + subfolders";
inline constexpr char kSearchResultsRadio[] = "Search results";
inline constexpr char kColumnsLabel[] = " Columns:";
inline constexpr char kMoveColumnUpTip[] = "Move column up";
inline constexpr char kMoveColumnDownTip[] = "Move column down";
inline constexpr char kResetColumnsTip[] = "Reset columns";
inline constexpr char kExportOptionsLabel[] = " Options:";
inline constexpr char kExportToLabel[] = " Export to... (choose the format for export):";
inline constexpr char kXmlTab[] = "XML";
// The button's text with its "&&", which a toolkit that marks keys with "&" shows as one "&".
inline constexpr char kExportButton[] = "Set Filename && Export";
inline constexpr char kExportButtonTip[] = "Save options, select name for new file and proceed export.";
inline constexpr char kXmlPageCaption[] = "XML (Extensible Markup Language)";
inline constexpr char kRootBox[] = " is <ROOT> tag";
inline constexpr char kVolumeBox[] = " is <VOLUME ...> tag";
inline constexpr char kContentBox[] = " is <CONTENT> tag";
inline constexpr char kAttributesRadio[] = "Info by Attributes (<ITEM NAME=\"...\")";
inline constexpr char kTagsRadio[] = "Info by Tags  (<NAME>...</NAME>)";
// The save chooser: XML files, or any file; a name typed without an extension gets ".xml".
inline constexpr char kXmlFileFilter[] = "XML Files (*.xml);;All Files (*)";
inline constexpr char kXmlDefaultSuffix[] = "xml";
}  // namespace export_text

// The option list, in its order.
enum class ExportOption : int { kArchiveContent = 0, kVolumeInfo, kTotals, kSignatures, kMedia };
inline constexpr int kExportOptionCount = 5;
inline constexpr std::array<std::string_view, kExportOptionCount> kExportOptionTexts = {
    "Save arhives content", "Save volume information", "Save totals", "Save signatures (CRC32, MD4, MD5)",
    "Save media (Music, Video)"};

// One row of the column list: the column's id (1 to 9) and whether it is checked.
struct ExportColumnRow {
  int id = 1;
  bool checked = false;
  friend bool operator==(const ExportColumnRow&, const ExportColumnRow&) = default;
};

// The dialog's controls as plain values.
struct ExportForm {
  ExportFrom exportFrom = ExportFrom::kFullVolume;
  bool searchResultsAvailable = false;  // "Search results" is offered only then
  std::vector<ExportColumnRow> columns;  // all nine, in the list's order
  std::array<bool, kExportOptionCount> options{};
  bool writeRoot = true;
  bool writeVolume = true;
  bool writeContent = true;
  bool attributeForm = false;
  friend bool operator==(const ExportForm&, const ExportForm&) = default;
};

// The form of `options`: one row per column of the stored order (ids that name no column and
// repeated ones left out, missing ones added at the end in id order, so all nine are there),
// checked by the column's switch. A stored "Search results" choice becomes "Full volume content"
// unless search results are available.
ExportForm ExportFormFromOptions(const ExportOptions& options, bool searchResultsAvailable = false);

// "Move column up" and "Move column down": swaps row `row` with its neighbour and returns the row
// that is selected afterwards (the moved one; `row` itself at the top or bottom, where nothing
// moves, and for no row).
int MoveExportColumn(ExportForm& form, int row, bool up);
// "Reset columns": the rows in id order 1 to 9, each keeping its check.
void ResetExportColumns(ExportForm& form);

// Reads the form into `options`, as confirming does. When the wrappers chosen would give the
// document more than one top-level element (NeedsRootElement), ROOT is switched on and the result is
// true: the dialog shows "Only one top level element is allowed in an XML document. <ROOT> tag will
// be enabled." first.
bool ReadExportForm(const ExportForm& form, ExportOptions& options);

// The "Export from" choice the dialog opens with from `command`: the three menu entries preset
// theirs, the "Export" button (F9) keeps the last one.
ExportFrom ExportFromForCommand(Command command, ExportFrom last);
bool IsExportCommand(Command command);

// Where the export starts once the file is named: the whole volume, or the folder the file list
// shows (`currentFolder`, 0 at the top of the volume) with or without its subfolders. The start's
// path is made by the exporter from the folder's names.
void PrepareExportStart(ExportOptions& options, RecordKey currentFolder);

// The file name the save chooser proposes for a volume named `volumeName`: the name with ".xml",
// its "/" (and control characters) made "_"; "volume.xml" for an empty name.
std::string ExportFileName(std::string_view volumeName);

// The chosen output path with ".xml" added when its file name has no extension (a chooser that
// does not add one itself).
std::string WithXmlExtension(const std::string& path);
// The question before replacing an existing file whose name got its ".xml" after the chooser had
// asked about the name typed.
std::string ReplaceFileQuestion(const std::string& path);

}  // namespace volumist::browse
