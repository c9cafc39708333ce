// The scan dialog, its pages, the tree dialog and the settings dialog, driven through their widgets.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <functional>

#include "browse/scan_dialog_rules.h"
#include "browse/scan_settings_pages.h"
#include "scan/messages.h"
#include "testing/tree_builder.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/scan_drives_dialog.h"
#include "ui/dialogs/scan_settings_dialog.h"
#include "ui/dialogs/scan_tree_dialog.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::SettingsPage;
using volumist::ui::testing::ScriptedDialogs;
using volumist::ui::testing::ScriptedFolders;
using volumist::ui::testing::UiRecordingPrompter;

namespace {

// The dialog's surroundings: a temporary volume directory, a recording prompter, scripted dialogs
// and folder chooser, and three drives, one of them a real folder that the tree dialog can open.
struct Surroundings {
  Surroundings() {
    volumes = dir.File("volumes");
    std::filesystem::create_directories(volumes);
    disc = dir.File("disc");
    std::filesystem::create_directories(disc);
    drives = {
        {"/", "Local Disk", "System", kDriveFixed},
        {disc, "CD Drive", "Holiday CD", kDriveCdRom},
        {"/media/u/STICK", "Removable", "STICK", kDriveRemovable},
    };
  }

  ScanDialogServices Services() {
    ScanDialogServices services;
    services.fileSystem = &platform::FileSystem::Default();
    services.prompter = &prompter;
    services.folderChooser = &folders;
    services.dialogs = &dialogs;
    services.listDrives = [this](uint32_t mask) {
      ++driveListings;
      std::vector<DriveRow> listed;
      for (const DriveRow& drive : drives) {
        if (DriveFilterBit(drive.driveType) & mask) listed.push_back(drive);
      }
      return listed;
    };
    services.volumeDirectory = volumes;
    return services;
  }

  ::volumist::testing::TempDir dir;
  std::string volumes;
  std::string disc;
  std::vector<DriveRow> drives;
  UiRecordingPrompter prompter;
  ScriptedDialogs dialogs;
  ScriptedFolders folders;
  int driveListings = 0;
};

ScanJob NewJob(ScanMode mode = ScanMode::kNewVolume) {
  ScanJob job;
  job.mode = mode;
  job.volumeCounter = 3;
  return job;
}

// Types `text` into `field` (replacing what it holds) and leaves it, as a person would.
void TypeInto(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, text);
  emit field->editingFinished();
}

QString Text(QLineEdit* field) { return field->text(); }

// Shows a dialog as its modal run would, so that clicks and keys reach it as they reach a person's.
bool Shown(QWidget& dialog) {
  dialog.show();
  return QTest::qWaitForWindowExposed(&dialog);
}

std::vector<std::string> Names(const std::vector<ScanSource>& sources) {
  std::vector<std::string> names;
  for (const ScanSource& source : sources) names.push_back(source.sourceName);
  return names;
}

// Every switch off, so a stored entry shows which option it reached.
ScanOptions AllOff() {
  ScanOptions options;
  for (bool* b : {&options.includeHiddenSystem, &options.ejectAfterScan, &options.saveAttributes,
                  &options.scanSubfolders, &options.usedMultipleSources, &options.analyzeArchives,
                  &options.quickResize, &options.accurateCompressing, &options.videoAvi, &options.videoMpeg,
                  &options.audioMp3}) {
    *b = false;
  }
  options.archiveKinds.fill(false);
  options.imageTypes.fill(false);
  return options;
}

}  // namespace

class ScanDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void opensWithDefaultNamesAndTheChosenPage();
  void modelsPassTheModelTester();
  void namesFollowAsTheUserTypes();
  void drivesAndBrowseFillTheSingleSource();
  void driveFiltersHideKinds();
  void eachSetupOpensItsPage();
  void okStoresEveryPageAndCancelNothing();
  void resetKeepsTheAnalyzers();
  void confirmingReadsTheControlsAndValidates();
  void unusableFileNamesAreRefusedBeforeScanning();
  void cancelStoresNothing();
  void modeThreeListsTheVolumesSourcesAndHidesButtons();
  void addModeShowsTheLoadedVolume();
  void deletingSourcesSelectsTheNextOrNothing();
  void clearAsksFirst();
  void sourcesAreRenamedInPlace();
  void treeDialogAddsFoldersOnce();
  void treeDialogRemovesAndClears();
  void toolTipsFollowTheSetting();
};

void ScanDialogTest::opensWithDefaultNamesAndTheChosenPage() {
  Surroundings around;
  ScanJob job = NewJob();
  job.sources = {{-1, "old", "/old", true}};
  for (ScanPage page : {ScanPage::kSingleSource, ScanPage::kMultipleSources}) {
    CScanDrivesDialog dialog(job, page, around.Services());
    QCOMPARE(dialog.CurrentPage(), page);
    QCOMPARE(dialog.windowTitle(), page == ScanPage::kSingleSource ? QStringLiteral("New... - Single source")
                                                                   : QStringLiteral("New... - Multiple sources"));
    QCOMPARE(Text(dialog.VolumeNameField()), QStringLiteral("Volume3"));
    QCOMPARE(Text(dialog.FileNameField()), QStringLiteral("Volume3.vkt"));
    QCOMPARE(dialog.VolumeNameField()->selectedText(), QStringLiteral("Volume3"));
    // The list starts empty in a new volume, whatever the job held.
    QCOMPARE(dialog.AdvancedPage()->SourceModel()->rowCount(), 0);
    QVERIFY(dialog.SinglePage() != nullptr);
    QCOMPARE(dialog.SinglePage()->DriveModel()->rowCount(), 3);
    QCOMPARE(dialog.DriveFilterMask(), kDriveFilterAll);
    QVERIFY(dialog.SinglePage()->CdDrivesBox()->isChecked());
    QVERIFY(dialog.SinglePage()->LocalDrivesBox()->isChecked());
    QVERIFY(dialog.SinglePage()->RemovableBox()->isChecked());
    QVERIFY(dialog.SinglePage()->EjectBox()->isChecked());
    QVERIFY(dialog.ScanButton()->isEnabled());
    QVERIFY(dialog.ScanNextButton()->isEnabled());
    QVERIFY(!dialog.DocumentsBox()->isEnabled());
    QVERIFY(!dialog.DocumentsBox()->isChecked());
    QVERIFY(!dialog.DocumentsSetupButton()->isEnabled());
    QCOMPARE(dialog.IncludeOnly()->count(), 14);
    QCOMPARE(dialog.IncludeOnly()->itemText(13), QStringLiteral("- Video files"));
    // Selecting the other tab shows that page and names it in the caption.
    dialog.Pages()->setCurrentIndex(1 - dialog.Pages()->currentIndex());
    QCOMPARE(dialog.windowTitle(), page == ScanPage::kSingleSource ? QStringLiteral("New... - Multiple sources")
                                                                   : QStringLiteral("New... - Single source"));
    QVERIFY(dialog.CurrentPage() != page);
  }
  QCOMPARE(around.dialogs.runs, 0);
  QVERIFY(around.prompter.entries.empty());
}

void ScanDialogTest::modelsPassTheModelTester() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kSingleSource, around.Services());
  QAbstractItemModelTester drives(dialog.SinglePage()->DriveModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QAbstractItemModelTester sources(dialog.AdvancedPage()->SourceModel(),
                                   QAbstractItemModelTester::FailureReportingMode::QtTest);
  dialog.SinglePage()->CdDrivesBox()->setChecked(false);
  dialog.SinglePage()->CdDrivesBox()->setChecked(true);
  ScanSourceModel* model = dialog.AdvancedPage()->SourceModel();
  model->SetSources({{-1, "a", "/a", true}, {-1, "b", "/b", true}, {-1, "c", "/c", true}});
  model->Append({-1, "d", "/d", true});
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("renamed"), Qt::EditRole));
  std::vector<int> rows = {1, 3};
  QCOMPARE(model->Remove(rows), std::optional<int>(1));
  model->Clear();
  QCOMPARE(model->rowCount(), 0);

  // The folder tree: listed on demand.
  ::volumist::testing::TreeBuilder(around.disc).Folder("a/b").Folder("c").File("c/file.txt", 3);
  DiskFolderModel tree(platform::FileSystem::Default(), around.drives);
  QModelIndex disc = tree.index(1, 0);
  QCOMPARE(tree.PathOf(disc), around.disc);
  QVERIFY(tree.IsDriveRoot(disc));
  QVERIFY(tree.hasChildren(disc));
  QCOMPARE(tree.rowCount(disc), 0);
  QVERIFY(tree.canFetchMore(disc));
  tree.fetchMore(disc);
  QCOMPARE(tree.rowCount(disc), 2);
  QModelIndex a = tree.index(0, 0, disc);
  QModelIndex c = tree.index(1, 0, disc);
  QCOMPARE(tree.data(a, Qt::DisplayRole).toString(), QStringLiteral("a"));
  QVERIFY(!tree.IsDriveRoot(a));
  QVERIFY(tree.hasChildren(a));
  // A folder that holds only a file has nothing to expand in a tree of folders.
  QVERIFY(!tree.hasChildren(c));
  tree.fetchMore(a);
  QCOMPARE(tree.rowCount(a), 1);
  QCOMPARE(tree.PathOf(tree.index(0, 0, a)), around.disc + "/a/b");
  // The tester walks (and so lists) the whole tree; folders that cannot be read are empty.
  QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
  DiskFolderModel fresh(platform::FileSystem::Default(), {{around.disc, "CD Drive", "Disc", kDriveCdRom}});
  QAbstractItemModelTester freshTester(&fresh, QAbstractItemModelTester::FailureReportingMode::QtTest);
  QCOMPARE(fresh.rowCount(fresh.index(0, 0)), 2);
}

void ScanDialogTest::namesFollowAsTheUserTypes() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kSingleSource, around.Services());
  QVERIFY(Shown(dialog));
  TypeInto(dialog.VolumeNameField(), QStringLiteral("My CD"));
  QCOMPARE(Text(dialog.FileNameField()), QStringLiteral("My CD.vkt"));
  // Passing through the file name does not stop it following.
  dialog.FileNameField()->setFocus();
  emit dialog.FileNameField()->editingFinished();
  QVERIFY(!dialog.Names().FileNameEdited());
  TypeInto(dialog.VolumeNameField(), QStringLiteral("My: CD"));
  QCOMPARE(Text(dialog.FileNameField()), QStringLiteral("My  CD.vkt"));
  // A file name of the user's own stops it, made usable without an extension added.
  TypeInto(dialog.FileNameField(), QStringLiteral("disc?one"));
  QCOMPARE(Text(dialog.FileNameField()), QStringLiteral("disc one"));
  TypeInto(dialog.VolumeNameField(), QStringLiteral("Other"));
  QCOMPARE(Text(dialog.FileNameField()), QStringLiteral("disc one"));
  QVERIFY(dialog.ScanButton()->isEnabled());
  // An empty name turns both start buttons off.
  TypeInto(dialog.VolumeNameField(), QString());
  QVERIFY(!dialog.ScanButton()->isEnabled());
  QVERIFY(!dialog.ScanNextButton()->isEnabled());
  TypeInto(dialog.VolumeNameField(), QStringLiteral("x"));
  QVERIFY(dialog.ScanButton()->isEnabled());
  TypeInto(dialog.FileNameField(), QString());
  QVERIFY(!dialog.ScanNextButton()->isEnabled());
}

void ScanDialogTest::drivesAndBrowseFillTheSingleSource() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kSingleSource, around.Services());
  QVERIFY(Shown(dialog));
  CPage_Scan_Single* page = dialog.SinglePage();
  QTreeView* list = page->DriveList();
  auto clickRow = [&](int row) {
    QRect rect = list->visualRect(page->DriveModel()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  };
  clickRow(1);
  QCOMPARE(page->PathField()->text(), ToQString(around.disc));
  QCOMPARE(page->SourceNameField()->text(), QStringLiteral("Holiday CD"));
  // Keys choose a drive too.
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(page->PathField()->text(), QStringLiteral("/media/u/STICK"));
  QCOMPARE(page->SourceNameField()->text(), QStringLiteral("STICK"));
  // A source name of the user's own stays when another drive is clicked.
  TypeInto(page->SourceNameField(), QStringLiteral("Mine"));
  clickRow(0);
  QCOMPARE(page->PathField()->text(), QStringLiteral("/"));
  QCOMPARE(page->SourceNameField()->text(), QStringLiteral("Mine"));
  // Emptied, it follows again.
  TypeInto(page->SourceNameField(), QString());
  around.folders.answers = {std::string("/media/u/Photos/")};
  QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
  QCOMPARE(page->PathField()->text(), QStringLiteral("/media/u/Photos/"));
  QCOMPARE(page->SourceNameField()->text(), QStringLiteral("Photos"));
  QVERIFY(list->selectionModel()->selectedRows().isEmpty());
  QCOMPARE(around.folders.lastInitial, std::string("/"));
  // Browsing to "/" names the source after its drive; a cancelled chooser changes nothing.
  around.folders.answers = {std::string("/"), std::nullopt};
  QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
  QCOMPARE(page->SourceNameField()->text(), QStringLiteral("System"));
  QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
  QCOMPARE(page->PathField()->text(), QStringLiteral("/"));
  // A typed path is the path.
  TypeInto(page->PathField(), QStringLiteral("/srv/data"));
  QCOMPARE(dialog.Names().Path(), std::string("/srv/data"));
}

void ScanDialogTest::driveFiltersHideKinds() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kSingleSource, around.Services());
  CPage_Scan_Single* page = dialog.SinglePage();
  struct Case {
    QCheckBox* box;
    uint32_t bit;
    int rows;
  } cases[] = {
      {page->CdDrivesBox(), kDriveFilterCdRom, 2},
      {page->LocalDrivesBox(), kDriveFilterFixed, 2},
      {page->RemovableBox(), kDriveFilterRemovable, 2},
  };
  for (const Case& c : cases) {
    c.box->setChecked(false);
    QCOMPARE(dialog.DriveFilterMask(), kDriveFilterAll & ~c.bit);
    QCOMPARE(page->DriveModel()->rowCount(), c.rows);
    c.box->setChecked(true);
    QCOMPARE(dialog.DriveFilterMask(), kDriveFilterAll);
    QCOMPARE(page->DriveModel()->rowCount(), 3);
  }
}

void ScanDialogTest::eachSetupOpensItsPage() {
  Surroundings around;
  ScanJob job = NewJob();
  CScanDrivesDialog dialog(job, ScanPage::kSingleSource, around.Services());
  QVERIFY(Shown(dialog));
  for (const browse::AnalyzerBox& box : browse::AnalyzerBoxes()) {
    SettingsPage shown = SettingsPage::kSignatures;
    bool onlyOneVisible = false;
    around.dialogs.scripts.push_back([&](QDialog& d) {
      auto& settings = dynamic_cast<CDialog_Scan_SAll&>(d);
      shown = settings.CurrentPage();
      QCOMPARE(settings.windowTitle(), QStringLiteral("Supported formats and addons:"));
      // Another tab hides the current page and shows the chosen one.
      settings.Tabs()->setCurrentIndex(static_cast<int>(SettingsPage::kAudio));
      int visible = 0;
      for (int i = 0; i < browse::kSettingsPageCount; ++i) {
        visible += settings.Page(static_cast<SettingsPage>(i))->isVisibleTo(&settings);
      }
      onlyOneVisible = visible == 1 && settings.Page(SettingsPage::kAudio)->isVisibleTo(&settings);
    });
    QTest::mouseClick(dialog.SetupButton(box.page), Qt::LeftButton);
    QCOMPARE(shown, box.page);
    QVERIFY(onlyOneVisible);
  }
  QCOMPARE(around.dialogs.unexpected, 0);
  // Rejected each time: the copy is unchanged.
  QCOMPARE(dialog.Job().Options(), job.Options());
}

void ScanDialogTest::okStoresEveryPageAndCancelNothing() {
  Surroundings around;
  // Each entry, checked alone on its page, turns on exactly its option.
  using Field = std::function<bool&(ScanOptions&)>;
  auto archive = [](int kind) { return Field([kind](ScanOptions& o) -> bool& { return o.archiveKinds[kind - 1]; }); };
  auto image = [](int type) { return Field([type](ScanOptions& o) -> bool& { return o.imageTypes[type - 5]; }); };
  struct Case {
    SettingsPage page;
    int row;
    Field field;
  } cases[] = {
      {SettingsPage::kArchives, 0, archive(1)},  {SettingsPage::kArchives, 1, archive(2)},
      {SettingsPage::kArchives, 2, archive(4)},  {SettingsPage::kArchives, 3, archive(5)},
      {SettingsPage::kArchives, 4, archive(3)},  {SettingsPage::kArchives, 5, archive(6)},
      {SettingsPage::kArchives, 6, archive(7)},  {SettingsPage::kArchives, 7, archive(8)},
      {SettingsPage::kArchives, 8, archive(9)},  {SettingsPage::kArchives, 9, archive(11)},
      {SettingsPage::kAudio, 0, [](ScanOptions& o) -> bool& { return o.audioMp3; }},
      {SettingsPage::kVideo, 0, [](ScanOptions& o) -> bool& { return o.videoAvi; }},
      {SettingsPage::kVideo, 1, [](ScanOptions& o) -> bool& { return o.videoMpeg; }},
      {SettingsPage::kGraphics, 0, image(6)},    {SettingsPage::kGraphics, 1, image(5)},
      {SettingsPage::kGraphics, 2, image(7)},    {SettingsPage::kGraphics, 3, image(11)},
      {SettingsPage::kGraphics, 4, image(8)},    {SettingsPage::kGraphics, 5, image(9)},
      {SettingsPage::kGraphics, 6, image(10)},   {SettingsPage::kGraphics, 7, image(12)},
      {SettingsPage::kGraphics, 8, image(13)},   {SettingsPage::kGraphics, 9, image(16)},
      {SettingsPage::kSignatures, 0, [](ScanOptions& o) -> bool& { return o.signatureCrc32; }},
      {SettingsPage::kSignatures, 1, [](ScanOptions& o) -> bool& { return o.signatureMd4; }},
      {SettingsPage::kSignatures, 2, [](ScanOptions& o) -> bool& { return o.signatureMd5; }},
  };
  for (const Case& c : cases) {
    ScanOptions options = AllOff();
    around.dialogs.scripts.push_back([&](QDialog& d) {
      auto& settings = dynamic_cast<CDialog_Scan_SAll&>(d);
      // The page opened is another one: OK stores every page, not only the shown one.
      QListWidget* list = settings.Page(c.page)->List();
      list->item(c.row)->setCheckState(Qt::Checked);
      d.accept();
    });
    QVERIFY(CDialog_Scan_SAll::Edit(options, SettingsPage::kArchives == c.page ? SettingsPage::kSignatures
                                                                                : SettingsPage::kArchives,
                                    nullptr, around.dialogs));
    ScanOptions want = AllOff();
    c.field(want) = true;
    QVERIFY2(options == want, qPrintable(QStringLiteral("page %1 row %2").arg(static_cast<int>(c.page)).arg(c.row)));
  }
  // "All" on every page and the archives' switches; GZ, with no entry, keeps its off state.
  ScanOptions all = AllOff();
  around.dialogs.scripts.push_back([](QDialog& d) {
    auto& settings = dynamic_cast<CDialog_Scan_SAll&>(d);
    QVERIFY(Shown(d));
    for (int i = 0; i < browse::kSettingsPageCount; ++i) {
      settings.Tabs()->setCurrentIndex(i);
      QTest::mouseClick(settings.Page(static_cast<SettingsPage>(i))->AllButton(), Qt::LeftButton);
    }
    CPage_Scan_Settings* archives = settings.Page(SettingsPage::kArchives);
    QCOMPARE(archives->Switches().size(), size_t{2});
    archives->Switches()[0]->setChecked(true);
    // The CRC32 switch promises what no option stores: it cannot be turned on.
    QVERIFY(!archives->Switches()[1]->isEnabled());
    d.accept();
  });
  QVERIFY(CDialog_Scan_SAll::Edit(all, SettingsPage::kVideo, nullptr, around.dialogs));
  ScanOptions want = AllOff();
  for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11}) want.archiveKinds[static_cast<size_t>(kind - 1)] = true;
  for (int type : {5, 6, 7, 8, 9, 10, 11, 12, 13, 16}) want.imageTypes[static_cast<size_t>(type - 5)] = true;
  want.archiveKindByContent = want.audioMp3 = want.videoAvi = want.videoMpeg = true;
  want.signatureCrc32 = want.signatureMd4 = want.signatureMd5 = true;
  QVERIFY(all == want);
  // "None" then Cancel: nothing is stored.
  ScanOptions kept = want;
  around.dialogs.scripts.push_back([](QDialog& d) {
    auto& settings = dynamic_cast<CDialog_Scan_SAll&>(d);
    QVERIFY(Shown(d));
    for (int i = 0; i < browse::kSettingsPageCount; ++i) {
      settings.Tabs()->setCurrentIndex(i);
      QTest::mouseClick(settings.Page(static_cast<SettingsPage>(i))->NoneButton(), Qt::LeftButton);
      for (int row = 0; row < settings.Page(static_cast<SettingsPage>(i))->List()->count(); ++row) {
        QCOMPARE(settings.Page(static_cast<SettingsPage>(i))->List()->item(row)->checkState(), Qt::Unchecked);
      }
    }
    d.reject();
  });
  QVERIFY(!CDialog_Scan_SAll::Edit(kept, SettingsPage::kAudio, nullptr, around.dialogs));
  QVERIFY(kept == want);
  QCOMPARE(around.dialogs.unexpected, 0);
}

void ScanDialogTest::resetKeepsTheAnalyzers() {
  Surroundings around;
  ScanJob job = NewJob();
  job.scanSubfolders = false;
  job.includeHiddenSystem = false;
  job.saveAttributes = false;
  job.dropEmptyFolders = true;
  job.fileTypeGroup = 10;
  job.analyzeArchives = false;
  job.analyzeAudio = job.analyzeVideo = job.analyzeImages = job.computeSignatures = true;
  job.archiveKinds[1] = false;
  job.imageTypes[0] = false;
  job.signatureMd5 = true;
  CScanDrivesDialog dialog(job, ScanPage::kSingleSource, around.Services());
  QVERIFY(Shown(dialog));
  QCOMPARE(dialog.IncludeOnly()->currentIndex(), 10);
  QCOMPARE(dialog.ScanChecks()->item(3)->checkState(), Qt::Checked);
  QTest::mouseClick(dialog.ResetButton(), Qt::LeftButton);
  for (int row = 0; row < 3; ++row) QCOMPARE(dialog.ScanChecks()->item(row)->checkState(), Qt::Checked);
  QCOMPARE(dialog.ScanChecks()->item(3)->checkState(), Qt::Unchecked);
  QCOMPARE(dialog.IncludeOnly()->currentIndex(), 0);
  QVERIFY(!dialog.AnalyzerBox(SettingsPage::kArchives)->isChecked());
  for (SettingsPage page : {SettingsPage::kAudio, SettingsPage::kVideo, SettingsPage::kGraphics, SettingsPage::kSignatures}) {
    QVERIFY(dialog.AnalyzerBox(page)->isChecked());
  }
  // Confirmed, the settings pages' choices are those of before.
  TypeInto(dialog.VolumeNameField(), QStringLiteral("Reset"));
  dialog.Pages()->setCurrentWidget(dialog.AdvancedPage());
  dialog.AdvancedPage()->SourceModel()->Append({-1, "d", around.disc, true});
  QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QVERIFY(!dialog.Job().archiveKinds[1]);
  QVERIFY(!dialog.Job().imageTypes[0]);
  QVERIFY(dialog.Job().signatureMd5);
  QVERIFY(dialog.Job().scanSubfolders && dialog.Job().includeHiddenSystem && dialog.Job().saveAttributes);
  QVERIFY(!dialog.Job().dropEmptyFolders);
  QCOMPARE(dialog.Job().fileTypeGroup, 0u);
  QVERIFY(!dialog.Job().analyzeArchives);
  QVERIFY(dialog.Job().analyzeAudio && dialog.Job().computeSignatures);
}

void ScanDialogTest::confirmingReadsTheControlsAndValidates() {
  Surroundings around;
  ScanJob job = NewJob();
  job.descriptionPrompt = true;
  CScanDrivesDialog dialog(job, ScanPage::kSingleSource, around.Services());
  QVERIFY(Shown(dialog));
  // Without a source name and path the dialog stays open with the first message.
  QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(around.prompter.Errors(), std::vector<std::string>{messages::kFolderNameNotDefined});
  TypeInto(dialog.SinglePage()->SourceNameField(), QStringLiteral("Disc"));
  QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
  QCOMPARE(around.prompter.Errors().back(), std::string(messages::kScanPathNotDefined));
  TypeInto(dialog.SinglePage()->PathField(), ToQString(around.disc));
  dialog.ScanChecks()->item(0)->setCheckState(Qt::Unchecked);
  dialog.IncludeOnly()->setCurrentIndex(7);
  dialog.AnalyzerBox(SettingsPage::kVideo)->setChecked(true);
  dialog.SinglePage()->EjectBox()->setChecked(false);
  QTest::mouseClick(dialog.ScanNextButton(), Qt::LeftButton);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  const ScanJob& confirmed = dialog.Job();
  QVERIFY(confirmed.scanAgain);
  QVERIFY(!confirmed.scanSubfolders);
  QCOMPARE(confirmed.fileTypeGroup, 7u);
  QVERIFY(confirmed.analyzeVideo);
  QVERIFY(!confirmed.ejectAfterScan);
  QVERIFY(!confirmed.descriptionPrompt);
  QVERIFY(confirmed.usedSingleSource);
  QCOMPARE(confirmed.sources.size(), size_t{1});
  QCOMPARE(confirmed.sources[0], (ScanSource{-1, "Disc", around.disc, true}));
  QCOMPARE(confirmed.volumeName, std::string("Volume3"));
  QCOMPARE(confirmed.volumeFileName, std::string("Volume3.vkt"));
  QCOMPARE(confirmed.volumeCounter, 4u);
  QCOMPARE(around.prompter.Errors().size(), size_t{2});
}

void ScanDialogTest::unusableFileNamesAreRefusedBeforeScanning() {
  Surroundings around;
  for (const QString& name : {QStringLiteral(".."), QString(256, QLatin1Char('f'))}) {
    ScanJob job = NewJob();
    ScanJob original = job;
    around.dialogs.scripts.push_back([&](QDialog& d) {
      auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
      QVERIFY(Shown(dialog));
      TypeInto(dialog.SinglePage()->PathField(), ToQString(around.disc));
      TypeInto(dialog.SinglePage()->SourceNameField(), QStringLiteral("Disc"));
      TypeInto(dialog.FileNameField(), name);
      QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
    });
    QVERIFY(!CScanDrivesDialog::Edit(job, ScanPage::kSingleSource, around.Services(), nullptr));
    QCOMPARE(around.prompter.Errors().back(), std::string(messages::kVolumeFileNameUnusable));
    QVERIFY(job == original);
  }
  QCOMPARE(around.dialogs.unexpected, 0);
}

void ScanDialogTest::cancelStoresNothing() {
  Surroundings around;
  ScanJob job = NewJob();
  ScanJob original = job;
  around.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
    QVERIFY(Shown(dialog));
    TypeInto(dialog.VolumeNameField(), QStringLiteral("Changed"));
    dialog.ScanChecks()->item(1)->setCheckState(Qt::Unchecked);
    dialog.AnalyzerBox(SettingsPage::kAudio)->setChecked(true);
    // The settings dialog confirmed inside: its choices go with the cancelled copy.
    around.dialogs.scripts.push_back([](QDialog& inner) {
      dynamic_cast<CDialog_Scan_SAll&>(inner).Page(SettingsPage::kAudio)->List()->item(0)->setCheckState(Qt::Unchecked);
      inner.accept();
    });
    QTest::mouseClick(dialog.SetupButton(SettingsPage::kAudio), Qt::LeftButton);
    QVERIFY(!dialog.Job().audioMp3);
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
  });
  QVERIFY(!CScanDrivesDialog::Edit(job, ScanPage::kSingleSource, around.Services(), nullptr));
  QVERIFY(job == original);
  QCOMPARE(around.dialogs.runs, 2);
  QVERIFY(around.prompter.entries.empty());
}

void ScanDialogTest::modeThreeListsTheVolumesSourcesAndHidesButtons() {
  Surroundings around;
  ScanJob job = NewJob(ScanMode::kNewFromVolumeSources);
  job.multipleSources = true;
  job.sources = {{-1, "Photos", around.disc, true}, {-1, "Whole disc", "/", false}};
  CScanDrivesDialog dialog(job, ScanPage::kMultipleSources, around.Services());
  QVERIFY(Shown(dialog));
  QVERIFY(dialog.SinglePage() == nullptr);
  QCOMPARE(dialog.Pages()->count(), 1);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("New by current volume sources - Multiple sources"));
  QCOMPARE(Names(dialog.AdvancedPage()->SourceModel()->Sources()), (std::vector<std::string>{"Photos", "Whole disc"}));
  QVERIFY(dialog.AdvancedPage()->BuildButton()->isHidden());
  QVERIFY(dialog.AdvancedPage()->ClearButton()->isHidden());
  QCOMPARE(Text(dialog.VolumeNameField()), QStringLiteral("Volume3"));
  QCOMPARE(around.driveListings, 0);
  // The sources keep their recorded flags when confirmed.
  QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.Job().sources.size(), size_t{2});
  QVERIFY(dialog.Job().sources[0].isFolderSource);
  QVERIFY(!dialog.Job().sources[1].isFolderSource);
  QVERIFY(dialog.Job().usedMultipleSources);
}

void ScanDialogTest::addModeShowsTheLoadedVolume() {
  Surroundings around;
  ScanJob job = NewJob(ScanMode::kAddToVolume);
  job.volumeName = "Holiday";
  job.volumeFileName = around.volumes + "/holiday.vkt";
  CScanDrivesDialog dialog(job, ScanPage::kSingleSource, around.Services());
  QVERIFY(Shown(dialog));
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Add... - Single source"));
  QCOMPARE(Text(dialog.VolumeNameField()), QStringLiteral("Holiday"));
  QCOMPARE(Text(dialog.FileNameField()), ToQString(job.volumeFileName));
  QVERIFY(!dialog.VolumeNameField()->isEnabled());
  QVERIFY(!dialog.FileNameField()->isEnabled());
  QVERIFY(!dialog.AdvancedPage()->BuildButton()->isHidden());
  dialog.Pages()->setCurrentWidget(dialog.AdvancedPage());
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Add... - Multiple sources"));
  // Adding asks nothing about the existing file and keeps the counter.
  dialog.AdvancedPage()->SourceModel()->Append({-1, "Next disc", around.disc, false});
  QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.Job().volumeCounter, 3u);
  QVERIFY(dialog.Job().sources[0].isFolderSource);
  QVERIFY(around.prompter.entries.empty());
}

void ScanDialogTest::deletingSourcesSelectsTheNextOrNothing() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kMultipleSources, around.Services());
  QVERIFY(Shown(dialog));
  QTreeView* list = dialog.AdvancedPage()->SourceList();
  ScanSourceModel* model = dialog.AdvancedPage()->SourceModel();
  model->SetSources({{-1, "a", "/a", true}, {-1, "b", "/b", true}, {-1, "c", "/c", true}});
  auto select = [&](std::vector<int> rows) {
    list->selectionModel()->clear();
    for (int row : rows) {
      list->selectionModel()->setCurrentIndex(model->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    list->setFocus();
  };
  auto selectedRows = [&] {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) rows.push_back(index.row());
    return rows;
  };
  // The last one: the new last is selected.
  select({2});
  QTest::keyClick(list, Qt::Key_Delete);
  QCOMPARE(Names(model->Sources()), (std::vector<std::string>{"a", "b"}));
  QCOMPARE(selectedRows(), std::vector<int>{1});
  QCOMPARE(list->currentIndex().row(), 1);
  // Every source: nothing is selected, nothing is current.
  model->Append({-1, "c", "/c", true});
  select({0, 1, 2});
  QTest::keyClick(list, Qt::Key_Delete);
  QCOMPARE(model->rowCount(), 0);
  QVERIFY(selectedRows().empty());
  QVERIFY(!list->currentIndex().isValid());
  // The last remaining source, alone.
  model->Append({-1, "only", "/only", true});
  select({0});
  QTest::keyClick(list, Qt::Key_Delete);
  QCOMPARE(model->rowCount(), 0);
  QVERIFY(!list->currentIndex().isValid());
  // Del on an empty list does nothing.
  QTest::keyClick(list, Qt::Key_Delete);
  QCOMPARE(model->rowCount(), 0);
}

void ScanDialogTest::clearAsksFirst() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kMultipleSources, around.Services());
  ScanSourceModel* model = dialog.AdvancedPage()->SourceModel();
  model->SetSources({{-1, "a", "/a", true}, {-1, "b", "/b", true}});
  QVERIFY(Shown(dialog));
  around.prompter.answers = {false, true};
  QTest::mouseClick(dialog.AdvancedPage()->ClearButton(), Qt::LeftButton);
  QCOMPARE(model->rowCount(), 2);
  QTest::mouseClick(dialog.AdvancedPage()->ClearButton(), Qt::LeftButton);
  QCOMPARE(model->rowCount(), 0);
  QCOMPARE(around.prompter.Questions(), (std::vector<std::string>{"Clear all sources?", "Clear all sources?"}));
}

void ScanDialogTest::sourcesAreRenamedInPlace() {
  Surroundings around;
  CScanDrivesDialog dialog(NewJob(), ScanPage::kMultipleSources, around.Services());
  QVERIFY(Shown(dialog));
  QTreeView* list = dialog.AdvancedPage()->SourceList();
  ScanSourceModel* model = dialog.AdvancedPage()->SourceModel();
  const std::string broken = "caf\xff";
  model->SetSources({{-1, "a", "/a", true}, {-1, broken, "/b", true}});
  // A click on the selected name opens its editor; the typed name replaces it.
  QRect rect = list->visualRect(model->index(0, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  // The editor opens once a double click can no longer come.
  QTRY_VERIFY(list->viewport()->findChild<QLineEdit*>() != nullptr);
  auto* editor = list->viewport()->findChild<QLineEdit*>();
  QCOMPARE(editor->text(), QStringLiteral("a"));
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("Photos"));
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(model->Sources()[0].sourceName, std::string("Photos"));
  // Return ended the editing; it started no scan.
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QVERIFY(around.prompter.entries.empty());
  // An empty name is refused; a name left as shown keeps its bytes.
  QVERIFY(!model->setData(model->index(0, 0), QString(), Qt::EditRole));
  QVERIFY(!model->setData(model->index(0, 0), QString(256, QLatin1Char('n')), Qt::EditRole));
  QVERIFY(model->setData(model->index(1, 0), model->data(model->index(1, 0), Qt::EditRole), Qt::EditRole));
  QCOMPARE(model->Sources()[1].sourceName, broken);
  QCOMPARE(model->Sources()[0].sourceName, std::string("Photos"));
  QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
}

void ScanDialogTest::treeDialogAddsFoldersOnce() {
  Surroundings around;
  ::volumist::testing::TreeBuilder(around.disc).Folder("abc").Folder("ABC").Folder("photos/2003");
  std::vector<ScanSource> sources = {{-1, "old", around.disc + "/photos/", true}};
  ScanDialogServices services = around.Services();
  CScanDrivesDialog dialog(NewJob(), ScanPage::kMultipleSources, services);
  dialog.AdvancedPage()->SourceModel()->SetSources(sources);
  QVERIFY(Shown(dialog));
  around.dialogs.scripts.push_back([&](QDialog& d) {
    auto& tree = dynamic_cast<CDialog_Scan_Tree&>(d);
    QVERIFY(Shown(tree));
    QCOMPARE(tree.windowTitle(), QStringLiteral("Advanced Scan"));
    QCOMPARE(tree.minimumSize(), QSize(670, 350));
    QCOMPARE(tree.List()->header()->sectionSize(0), 125);
    QCOMPARE(tree.List()->header()->sectionSize(1), 500);
    QAbstractItemModelTester tester(tree.TreeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    DiskFolderModel* model = tree.TreeModel();
    QModelIndex disc = model->index(1, 0);
    auto choose = [&](const QModelIndex& index) {
      tree.Tree()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
      QTest::mouseClick(tree.PlusButton(), Qt::LeftButton);
    };
    // Nothing selected: nothing happens.
    QTest::mouseClick(tree.PlusButton(), Qt::LeftButton);
    QCOMPARE(tree.ListModel()->rowCount(), 1);
    // A drive root is named after the drive.
    choose(disc);
    tree.Tree()->expand(disc);
    QTRY_COMPARE(model->rowCount(disc), 3);
    // "ABC" and "abc" are two folders here; both are added.
    choose(model->index(0, 0, disc));
    choose(model->index(1, 0, disc));
    // "photos" is in the list already (written with a trailing separator).
    choose(model->index(2, 0, disc));
    QCOMPARE(around.prompter.entries.size(), size_t{1});
    QCOMPARE(around.prompter.entries.back().text, std::string("This path is in list already"));
    // The same folder twice is refused the second time, also by the Ins key.
    choose(model->index(0, 0, disc));
    QCOMPARE(around.prompter.entries.size(), size_t{2});
    tree.Tree()->setFocus();
    QTest::keyClick(tree.Tree(), Qt::Key_Insert);
    QCOMPARE(around.prompter.entries.size(), size_t{3});
    // "-" collapses the tree's folder; it removes nothing from the list.
    tree.Tree()->selectionModel()->setCurrentIndex(disc, QItemSelectionModel::ClearAndSelect);
    QVERIFY(tree.Tree()->isExpanded(disc));
    QTest::keyClick(tree.Tree(), Qt::Key_Minus);
    QVERIFY(!tree.Tree()->isExpanded(disc));
    QCOMPARE(tree.ListModel()->rowCount(), 4);
    d.accept();
  });
  QTest::mouseClick(dialog.AdvancedPage()->BuildButton(), Qt::LeftButton);
  const std::vector<ScanSource>& after = dialog.AdvancedPage()->SourceModel()->Sources();
  QCOMPARE(Names(after), (std::vector<std::string>{"old", "Holiday CD", "ABC", "abc"}));
  QCOMPARE(after[1].path, around.disc);
  QCOMPARE(after[2].path, around.disc + "/ABC");
  for (const ScanSource& source : after) QVERIFY(source.isFolderSource);
  QCOMPARE(around.dialogs.unexpected, 0);
  // Cancel leaves the page's list alone.
  around.dialogs.scripts.push_back([](QDialog& d) {
    dynamic_cast<CDialog_Scan_Tree&>(d).ListModel()->Clear();
    d.reject();
  });
  QTest::mouseClick(dialog.AdvancedPage()->BuildButton(), Qt::LeftButton);
  QCOMPARE(dialog.AdvancedPage()->SourceModel()->rowCount(), 4);
}

void ScanDialogTest::treeDialogRemovesAndClears() {
  Surroundings around;
  std::vector<ScanSource> sources = {{-1, "a", "/a", true}, {-1, "b", "/b", true}, {-1, "c", "/c", true}};
  CDialog_Scan_Tree tree(sources, around.drives, platform::FileSystem::Default(), around.prompter, true);
  tree.show();
  QVERIFY(QTest::qWaitForWindowExposed(&tree));
  QCOMPARE(tree.PlusButton()->toolTip().contains(QStringLiteral("Add this drive or path to the scan list.")), true);
  QCOMPARE(tree.MinusButton()->toolTip().contains(QStringLiteral("ADelete selected source from the scan list.")), true);
  ScanSourceModel* model = tree.ListModel();
  tree.List()->selectionModel()->setCurrentIndex(model->index(2, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QTest::mouseClick(tree.MinusButton(), Qt::LeftButton);
  QCOMPARE(Names(model->Sources()), (std::vector<std::string>{"a", "b"}));
  QCOMPARE(tree.List()->currentIndex().row(), 1);
  tree.List()->selectionModel()->setCurrentIndex(model->index(0, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  tree.List()->setFocus();
  QTest::keyClick(tree.List(), Qt::Key_Delete);
  QCOMPARE(Names(model->Sources()), (std::vector<std::string>{"b"}));
  QTest::keyClick(tree.List(), Qt::Key_Delete);
  QCOMPARE(model->rowCount(), 0);
  QVERIFY(!tree.List()->currentIndex().isValid());
  model->SetSources(sources);
  // "Clear" asks nothing here.
  QTest::mouseClick(tree.ClearButton(), Qt::LeftButton);
  QCOMPARE(model->rowCount(), 0);
  QVERIFY(around.prompter.entries.empty());
}

void ScanDialogTest::toolTipsFollowTheSetting() {
  Surroundings around;
  ScanDialogServices services = around.Services();
  {
    CScanDrivesDialog dialog(NewJob(), ScanPage::kSingleSource, services);
    QVERIFY(dialog.ScanNextButton()->toolTip().contains(QStringLiteral("this dialog will show immidiately,")));
    QVERIFY(dialog.SinglePage()->LocalDrivesBox()->toolTip().contains(QStringLiteral("Show or hide all local drives. (HDD)")));
    QVERIFY(dialog.SetupButton(SettingsPage::kVideo)->toolTip().contains(QStringLiteral("Show setup window for this item.")));
    QVERIFY(dialog.AnalyzerBox(SettingsPage::kGraphics)->toolTip().contains(QStringLiteral("colors from graphic files.")));
    QVERIFY(dialog.AdvancedPage()->SourceList()->toolTip().contains(QStringLiteral("By pressing &lt;DEL&gt;")));
    QVERIFY(dialog.CancelButton()->toolTip().contains(QStringLiteral("without save any option changes.")));
  }
  services.showToolTips = false;
  CScanDrivesDialog quiet(NewJob(), ScanPage::kSingleSource, services);
  QVERIFY(quiet.ScanNextButton()->toolTip().isEmpty());
  QVERIFY(quiet.SinglePage()->DriveList()->toolTip().isEmpty());
}

VOLUMIST_UI_TEST_MAIN(ScanDialogTest)
#include "scan_dialog_test.moc"
