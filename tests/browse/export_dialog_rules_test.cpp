// The export dialog's rules: the form of the options, the column list's moves and reset, the ROOT
// rule, the choice each command presets, and where the export starts.
#include <gtest/gtest.h>

#include "browse/export_dialog_rules.h"
#include "export/xml_exporter.h"

namespace volumist::browse {
namespace {

std::vector<int> Ids(const ExportForm& form) {
  std::vector<int> ids;
  for (const ExportColumnRow& row : form.columns) ids.push_back(row.id);
  return ids;
}

TEST(ExportDialogRulesTest, FormOfTheDefaults) {
  ExportForm form = ExportFormFromOptions(ExportOptions{});
  EXPECT_EQ(Ids(form), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (const ExportColumnRow& row : form.columns) EXPECT_EQ(row.checked, row.id <= 6) << row.id;
  // Archives off; volume information, totals, signatures and media on.
  EXPECT_EQ(form.options, (std::array<bool, kExportOptionCount>{false, true, true, true, true}));
  EXPECT_TRUE(form.writeRoot && form.writeVolume && form.writeContent);
  EXPECT_FALSE(form.attributeForm);
  EXPECT_EQ(form.exportFrom, ExportFrom::kFullVolume);
  // Reading it back changes nothing.
  ExportOptions options;
  EXPECT_FALSE(ReadExportForm(form, options));
  EXPECT_EQ(options, ExportOptions{});
}

TEST(ExportDialogRulesTest, StoredOrderWithHolesAndRepeatsGivesAllNineColumns) {
  ExportOptions options;
  options.columnOrder = {6, 0, 2, 6, 12, 9, 1, 1, 3};
  ExportForm form = ExportFormFromOptions(options);
  EXPECT_EQ(Ids(form), (std::vector<int>{6, 2, 9, 1, 3, 4, 5, 7, 8}));
  ExportOptions read;
  ASSERT_FALSE(ReadExportForm(form, read));
  EXPECT_EQ(read.columnOrder, (std::array<uint8_t, kExportColumnCount>{6, 2, 9, 1, 3, 4, 5, 7, 8}));
  // A stored "Search results" choice is not offered.
  options.exportFrom = ExportFrom::kSearchResults;
  EXPECT_EQ(ExportFormFromOptions(options).exportFrom, ExportFrom::kFullVolume);
  EXPECT_EQ(ExportFormFromOptions(options, true).exportFrom, ExportFrom::kSearchResults);
}

TEST(ExportDialogRulesTest, ColumnMovesAndReset) {
  struct Case {
    const char* name;
    int row;
    bool up;
    int selected;
    std::vector<int> order;
  } cases[] = {
      {"up at the top", 0, true, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"down at the bottom", 8, false, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"down from the top", 0, false, 1, {2, 1, 3, 4, 5, 6, 7, 8, 9}},
      {"up from the bottom", 8, true, 7, {1, 2, 3, 4, 5, 6, 7, 9, 8}},
      {"up in the middle", 5, true, 4, {1, 2, 3, 4, 6, 5, 7, 8, 9}},
      {"no row", -1, true, -1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"past the end", 9, false, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportForm form = ExportFormFromOptions(ExportOptions{});
    EXPECT_EQ(MoveExportColumn(form, c.row, c.up), c.selected);
    EXPECT_EQ(Ids(form), c.order);
  }
  // "Full path" to the top, "Label" checked, "Type" unchecked; reset: the order back, the checks kept.
  ExportForm form = ExportFormFromOptions(ExportOptions{});
  int row = 5;
  while (row > 0) row = MoveExportColumn(form, row, true);
  EXPECT_EQ(Ids(form), (std::vector<int>{6, 1, 2, 3, 4, 5, 7, 8, 9}));
  form.columns[6].checked = true;   // Label
  form.columns[1].checked = false;  // Type
  ResetExportColumns(form);
  EXPECT_EQ(Ids(form), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(form.columns[0].checked);
  EXPECT_TRUE(form.columns[5].checked);
  EXPECT_TRUE(form.columns[6].checked);
  EXPECT_FALSE(form.columns[7].checked);
}

TEST(ExportDialogRulesTest, RootWheneverTheDocumentWouldHaveSeveralTopElements) {
  struct Case {
    bool root, volume, content, totals;
    bool message;
  } cases[] = {
      {true, true, true, true, false},
      {false, false, false, false, true},   // the items side by side
      {false, false, false, true, true},
      {false, false, true, true, true},     // CONTENT and TOTALS side by side
      {false, false, true, false, false},   // CONTENT alone
      {false, true, false, true, false},    // VOLUME holds everything
      {false, true, true, true, false},
      {true, false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.root << c.volume << c.content << c.totals);
    ExportForm form = ExportFormFromOptions(ExportOptions{});
    form.writeRoot = c.root;
    form.writeVolume = c.volume;
    form.writeContent = c.content;
    form.options[static_cast<size_t>(ExportOption::kTotals)] = c.totals;
    ExportOptions options;
    EXPECT_EQ(ReadExportForm(form, options), c.message);
    EXPECT_EQ(options.writeRoot, c.root || c.message);
    EXPECT_EQ(options.saveTotals, c.totals);
    EXPECT_FALSE(NeedsRootElement(options));
  }
}

TEST(ExportDialogRulesTest, CommandsPresetTheirChoiceAndTheStart) {
  using C = Command;
  struct Case {
    Command command;
    ExportFrom from;
    RecordKey start;
    bool subfolders;
  } cases[] = {
      {C::kExport, ExportFrom::kCurrentFolder, 40, false},  // the button keeps the last choice
      {C::kExportVolume, ExportFrom::kFullVolume, 0, true},
      {C::kExportFolder, ExportFrom::kCurrentFolder, 40, false},
      {C::kExportFolderTree, ExportFrom::kCurrentFolderAndSubfolders, 40, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    EXPECT_TRUE(IsExportCommand(c.command));
    ExportOptions options;
    options.exportFrom = ExportFromForCommand(c.command, ExportFrom::kCurrentFolder);
    EXPECT_EQ(options.exportFrom, c.from);
    options.startPath = "stale";
    PrepareExportStart(options, 40);
    EXPECT_EQ(options.startPosition, c.start);
    EXPECT_EQ(options.includeSubfolders, c.subfolders);
    EXPECT_EQ(options.startPath, "");
  }
  EXPECT_FALSE(IsExportCommand(C::kExportFileList));
  // The current folder at the top of the volume is the whole volume, without descending.
  ExportOptions top;
  top.exportFrom = ExportFrom::kCurrentFolder;
  PrepareExportStart(top, 0);
  EXPECT_EQ(top.startPosition, 0u);
  EXPECT_FALSE(top.includeSubfolders);
}

// The name the save chooser proposes is one file name in the chosen folder, whatever the volume's
// name holds.
TEST(ExportDialogRulesTest, ProposedFileNameIsOneNameWithXml) {
  const struct {
    std::string_view volumeName;
    std::string_view fileName;
  } cases[] = {
      {"Backup 2024", "Backup 2024.xml"},
      {"music/old", "music_old.xml"},
      {std::string_view("a\nb\tc", 5), "a_b_c.xml"},
      {"", "volume.xml"},
      {"..", "volume.xml"},
      {"a\\b", "a\\b.xml"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.volumeName));
    EXPECT_EQ(ExportFileName(c.volumeName), c.fileName);
  }
}

// A name typed without an extension gets ".xml"; any other name is kept as chosen.
TEST(ExportDialogRulesTest, OutputGetsXmlWhenItHasNoExtension) {
  const struct {
    std::string chosen;
    std::string written;
  } cases[] = {
      {"/home/u/list", "/home/u/list.xml"},
      {"/home/u/list.xml", "/home/u/list.xml"},
      {"/home/u/list.txt", "/home/u/list.txt"},
      {"/home/u.d/list", "/home/u.d/list.xml"},
      {"/home/u/.list", "/home/u/.list.xml"},
      {"list", "list.xml"},
      {"/home/u/", "/home/u/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    EXPECT_EQ(WithXmlExtension(c.chosen), c.written);
  }
}

}  // namespace
}  // namespace volumist::browse
