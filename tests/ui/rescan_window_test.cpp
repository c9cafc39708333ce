// "Rescan this Volume" and "Update..." from the window: pending description edits are offered first,
// the rescan runs in the scanning state, and its report is shown at the end; descriptions stay on
// their items. "Update..." lets the user edit the volume's sources in the scan dialog first.
#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "catalog/messages.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"
#include "ui/dialogs/change_report_dialog.h"
#include "ui/dialogs/scan_drives_dialog.h"
#include "ui/dialogs/scan_tree_dialog.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;

class RescanWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void rescanSavesPendingEditsFirstAndShowsTheReport();
  void rescanIsOfferedOnlyForALoadedVolume();
  void updateRescansTheSourcesEditedInTheScanDialog();
  void cancellingTheUpdateWritesNothing();
};

namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::pair<std::string, std::string>> NamesAndPaths(const SourceList& sources) {
  std::vector<std::pair<std::string, std::string>> listed;
  for (const SourceEntry& entry : sources.Entries()) listed.emplace_back(entry.sourceName.Text(), entry.rootPath.Text());
  return listed;
}

// A volume "V" of two sources, "Tree" and "B", with a description on Tree/sub/f1.dat not saved yet.
struct TwoSourceVolume {
  explicit TwoSourceVolume(Fixture& fixture)
      : tree(fixture.MakeTree("tree", 3)), second(fixture.MakeTree("second", 2)), window(fixture.Open()) {
    ScanJob job = fixture.JobFor(tree, "v.vkt", "V");
    job.multipleSources = true;
    job.sources.push_back(ScanSource{-1, "B", second, true});
    ok = window.StartScan(job) && fixture.WaitForScanEnd() && window.LoadedVolume() != nullptr;
    if (!ok) return;
    path = window.LoadedVolume()->VolumeFilePath();
    std::optional<ContentItem> item = ::volumist::testing::FindItem(*window.LoadedVolume(), {"Tree", "sub", "f1.dat"});
    ok = item.has_value() && window.SetDescription(item->DescriptionKey(), "written before the update");
  }
  std::string tree;
  std::string second;
  MainWindow& window;
  std::string path;
  bool ok = false;
};

}  // namespace

void RescanWindowTest::rescanSavesPendingEditsFirstAndShowsTheReport() {
  Fixture fixture;
  const std::string tree = fixture.MakeTree("tree", 3);
  MainWindow& window = fixture.Open();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "v.vkt", "V")));
  QVERIFY(fixture.WaitForScanEnd());
  QVERIFY(window.LoadedVolume() != nullptr);
  std::optional<ContentItem> item = ::volumist::testing::FindItem(*window.LoadedVolume(), {"Tree", "sub", "f1.dat"});
  QVERIFY(item.has_value());
  QVERIFY(window.SetDescription(item->DescriptionKey(), "described, not saved yet"));
  QVERIFY(window.Actions().Action(Command::kRescanVolume)->isEnabled());

  std::filesystem::remove(tree + "/f0.dat");
  ::volumist::testing::TreeBuilder(tree).Text("new.dat", "new");
  QStringList shown;
  QStringList filtered;
  QString summary;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<ChangeReportDialog&>(d);
    summary = dialog.Summary();
    shown = dialog.ShownLines();
    auto* filter = dialog.findChild<QLineEdit*>();
    QVERIFY(filter != nullptr);
    QTest::keyClicks(filter, "REMOVED");
    filtered = dialog.ShownLines();
    dialog.reject();
  });
  fixture.prompter.answers = {true};  // save the edit first
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  window.Run(Command::kRescanVolume);
  QCOMPARE(fixture.prompter.Questions(), std::vector<std::string>{messages::kSaveDescriptionsQuestion});
  QVERIFY(fixture.WaitForScanEnd());
  QTRY_COMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toBool(), true);
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(fixture.dialogs.unexpected, 0);
  QCOMPARE(summary, QStringLiteral("1 added (0 folders, 1 file), 1 removed (0 folders, 1 file), 0 changed, 0 moved; "
                                   "1 description kept, 0 lost"));
  QVERIFY(shown.contains(QStringLiteral("Added Tree/new.dat")));
  QCOMPARE(filtered, QStringList{QStringLiteral("Removed Tree/f0.dat")});

  // The rescanned volume is loaded, with the description on the same item.
  VolumeCatalog* volume = window.LoadedVolume();
  QVERIFY(volume != nullptr && volume->IsLoaded());
  QVERIFY(!volume->HasPendingDescriptions());
  std::optional<ContentItem> again = ::volumist::testing::FindItem(*volume, {"Tree", "sub", "f1.dat"});
  QVERIFY(again.has_value());
  QCOMPARE(volume->GetDescription(again->DescriptionKey()), std::optional<std::string>("described, not saved yet"));
  QVERIFY(::volumist::testing::FindItem(*volume, {"Tree", "new.dat"}).has_value());
  QVERIFY(!::volumist::testing::FindItem(*volume, {"Tree", "f0.dat"}).has_value());
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{});
}

void RescanWindowTest::rescanIsOfferedOnlyForALoadedVolume() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  QVERIFY(window.LoadedVolume() == nullptr || !window.LoadedVolume()->IsLoaded());
  for (Command command : {Command::kRescanVolume, Command::kUpdateVolume}) {
    QVERIFY(!window.Actions().Action(command)->isEnabled());
    window.Run(command);
    QVERIFY(!window.IsScanning());
  }
  QCOMPARE(fixture.dialogs.runs, 0);
  QCOMPARE(fixture.scanEditorCalls, 0);
}

void RescanWindowTest::updateRescansTheSourcesEditedInTheScanDialog() {
  Fixture fixture;
  fixture.realScanDialog = true;
  // The folder added in the dialog, offered by the tree dialog as a drive of its own.
  const std::string extra = fixture.MakeTree("extra", 1);
  fixture.drives = {DriveRow{extra, "Fixed", "Extra", kDriveFixed}};
  TwoSourceVolume volume(fixture);
  QVERIFY(volume.ok);
  MainWindow& window = volume.window;
  QVERIFY(window.Actions().Action(Command::kUpdateVolume)->isEnabled());

  QString caption;
  bool singlePage = true;
  bool nameEditable = true;
  QString nameShown;
  std::vector<ScanSource> listed;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
    // Shown, as the user sees it, so that clicks and keys reach its controls.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    caption = dialog.windowTitle();
    singlePage = dialog.SinglePage() != nullptr;
    nameEditable = dialog.VolumeNameField()->isEnabled();
    nameShown = dialog.VolumeNameField()->text();
    ScanSourceModel* model = dialog.AdvancedPage()->SourceModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    listed = model->Sources();
    // "B" is taken off the list with Del.
    QTreeView* list = dialog.AdvancedPage()->SourceList();
    list->selectionModel()->setCurrentIndex(model->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    // The new folder is added through the tree dialog.
    QTest::mouseClick(dialog.AdvancedPage()->BuildButton(), Qt::LeftButton);
    QVERIFY(dialog.ScanButton()->isEnabled());
    QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
  });
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& tree = dynamic_cast<CDialog_Scan_Tree&>(d);
    DiskFolderModel* model = tree.TreeModel();
    for (int row = 0; row < model->rowCount(); ++row) {
      QModelIndex index = model->index(row, 0);
      if (model->PathOf(index) != extra) continue;
      tree.Tree()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
      QTest::mouseClick(tree.PlusButton(), Qt::LeftButton);
    }
    d.accept();
  });
  QStringList shown;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    shown = dynamic_cast<ChangeReportDialog&>(d).ShownLines();
    d.reject();
  });
  fixture.prompter.answers = {true};  // save the edit first
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  window.Run(Command::kUpdateVolume);
  QVERIFY(fixture.WaitForScanEnd());
  QTRY_COMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toBool(), true);

  QCOMPARE(caption, QStringLiteral("Update - Multiple sources"));
  QVERIFY(!singlePage);
  QVERIFY(!nameEditable);
  QCOMPARE(nameShown, QStringLiteral("V"));
  QCOMPARE(listed, (std::vector<ScanSource>{{-1, "Tree", volume.tree, true}, {-1, "B", volume.second, true}}));
  QCOMPARE(fixture.dialogs.runs, 3);
  QCOMPARE(fixture.dialogs.unexpected, 0);
  QCOMPARE(fixture.prompter.Questions(), std::vector<std::string>{messages::kSaveDescriptionsQuestion});
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{});
  // The report: the removed source's items are gone, the added folder's are new, the kept one is
  // compared and unchanged.
  for (const std::string& line :
       {"Source Tree (" + volume.tree + "): rescanned", "Source B (" + volume.second + "): left out",
        "Source Extra (" + extra + "): new", std::string("Removed B/f0.dat"), std::string("Removed B/sub/f1.dat"),
        std::string("Added Extra/f0.dat")}) {
    QVERIFY2(shown.contains(QString::fromStdString(line)), line.c_str());
  }
  for (const QString& line : shown) QVERIFY2(!line.contains(QStringLiteral(" Tree/")), qPrintable(line));

  // The rescanned volume is loaded with the edited sources, in the dialog's order, and the
  // description is on its item.
  VolumeCatalog* after = window.LoadedVolume();
  QVERIFY(after != nullptr && after->IsLoaded());
  QCOMPARE(after->VolumeFilePath(), volume.path);
  QCOMPARE(after->Header().volumeName, std::string("V"));
  QCOMPARE(NamesAndPaths(after->Sources()),
           (std::vector<std::pair<std::string, std::string>>{{"Tree", volume.tree}, {"Extra", extra}}));
  std::optional<ContentItem> item = ::volumist::testing::FindItem(*after, {"Tree", "sub", "f1.dat"});
  QVERIFY(item.has_value());
  QCOMPARE(after->GetDescription(item->DescriptionKey()), std::optional<std::string>("written before the update"));
  QVERIFY(::volumist::testing::FindItem(*after, {"Extra", "f0.dat"}).has_value());
  QVERIFY(!::volumist::testing::FindItem(*after, {"B"}).has_value());
}

void RescanWindowTest::cancellingTheUpdateWritesNothing() {
  Fixture fixture;
  fixture.realScanDialog = true;
  TwoSourceVolume volume(fixture);
  QVERIFY(volume.ok);
  MainWindow& window = volume.window;
  const std::string before = FileBytes(volume.path);
  QVERIFY(!before.empty());
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
    // Edits made before Cancel are not kept either.
    dialog.AdvancedPage()->SourceModel()->Clear();
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
  });
  QSignalSpy started(&window, &MainWindow::ScanStarted);
  window.Run(Command::kUpdateVolume);
  QTest::qWait(50);
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(started.count(), 0);
  QVERIFY(!window.IsScanning());
  // Nothing asked, nothing saved: the edit is still pending, the file as it was.
  QVERIFY(fixture.prompter.entries.empty());
  QVERIFY(window.LoadedVolume() != nullptr && window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(FileBytes(volume.path), before);
  QCOMPARE(NamesAndPaths(window.LoadedVolume()->Sources()),
           (std::vector<std::pair<std::string, std::string>>{{"Tree", volume.tree}, {"B", volume.second}}));
  QVERIFY(window.Actions().Action(Command::kUpdateVolume)->isEnabled());
  fixture.prompter.answers = {false};  // closing the window: the pending edit is not saved
}

VOLUMIST_UI_TEST_MAIN(RescanWindowTest)
#include "rescan_window_test.moc"
