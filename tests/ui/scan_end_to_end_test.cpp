// A person scans a folder from the window: F5, the scan dialog filled through its controls (a typed
// path, signatures chosen in the settings dialog), "Scan and Save, Next...", the end of the scan, the
// new volume in the list and its files in the volume, and the dialog back in add mode on it.
#include <zlib.h>

#include <QSignalSpy>
#include <functional>
#include <QTest>

#include "analysis/external_tool.h"
#include "browse/scan_dialog_rules.h"
#include "catalog/folder_contents.h"
#include "catalog/value_format.h"
#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/enter_description_dialog.h"
#include "ui/dialogs/scan_drives_dialog.h"
#include "ui/dialogs/scan_settings_dialog.h"
#include "ui/browse_pane.h"
#include "ui/item_list.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using browse::SettingsPage;
using Fixture = volumist::ui::testing::WindowFixture;

namespace {

// Types `text` into `field` (replacing what it holds) and moves on, as a person would.
void TypeInto(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Tab);
}

uint32_t Crc32Of(const std::string& content) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
}

}  // namespace

class ScanEndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void aPersonScansAFolderAndGoesOnWithTheNextDisc();
  void addingTheNextDiscWritesIntoTheSameVolume();
  void eachCommandOpensTheDialogInItsMode();
  void theDescriptionPromptComesBeforeTheNextDisc();
  void theNextDialogWaitsForAnOpenModalWindow();
};

void ScanEndToEndTest::aPersonScansAFolderAndGoesOnWithTheNextDisc() {
  std::string zip = ::volumist::testing::FindProgram("zip");
  if (zip.empty()) QSKIP("zip is not installed (scripts/install-deps.sh installs it)");
  Fixture fixture;
  fixture.realScanDialog = true;
  fixture.drives = {{"/", "Local Disk", "System", kDriveFixed}};
  const std::string notes = "Notes of the trip: sun, sea and a broken camera.\n";
  ::volumist::testing::TreeBuilder tree(fixture.dir.File("holiday"));
  tree.Text("notes.txt", notes).File("photos/summer.jpg", 5000).Text("loose/a.txt", "alpha").Text("loose/b.txt", "beta");
  ::volumist::testing::CommandResult zipped =
      ::volumist::testing::RunCommand(zip, {"-q", "-j", tree.Path("pack.zip"), tree.Path("loose/a.txt"), tree.Path("loose/b.txt")});
  QCOMPARE(zipped.exitStatus, 0);

  MainWindow& window = fixture.Open();
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QSignalSpy finished(&window, &MainWindow::ScanFinished);

  // The scan dialog, as a person fills it.
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("New... - Single source"));
    // The name's whole text is selected at first: typing replaces it.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.VolumeNameField()));
    TypeInto(dialog.VolumeNameField(), QStringLiteral("Holiday 2003"));
    QCOMPARE(dialog.FileNameField()->text(), QStringLiteral("Holiday 2003.vkt"));
    TypeInto(dialog.SinglePage()->PathField(), ToQString(tree.root()));
    TypeInto(dialog.SinglePage()->SourceNameField(), QStringLiteral("Trip"));
    dialog.AnalyzerBox(SettingsPage::kSignatures)->click();
    // "Setup >" of the signatures: CRC32 and MD5.
    fixture.dialogs.scripts.push_front([](QDialog& inner) {
      auto& settings = dynamic_cast<CDialog_Scan_SAll&>(inner);
      QCOMPARE(settings.CurrentPage(), SettingsPage::kSignatures);
      QListWidget* list = settings.Page(SettingsPage::kSignatures)->List();
      list->item(0)->setCheckState(Qt::Checked);
      list->item(2)->setCheckState(Qt::Checked);
      inner.accept();
    });
    QTest::mouseClick(dialog.SetupButton(SettingsPage::kSignatures), Qt::LeftButton);
    QTest::mouseClick(dialog.ScanNextButton(), Qt::LeftButton);
  });
  // After the scan the dialog comes back to add the next disc to the volume just written.
  bool reopenedInAddMode = false;
  std::string volumePath = fixture.volumeDirectory + "/Holiday 2003.vkt";
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add... - Single source"));
    QCOMPARE(dialog.VolumeNameField()->text(), QStringLiteral("Holiday 2003"));
    QCOMPARE(dialog.FileNameField()->text(), ToQString(volumePath));
    QVERIFY(!dialog.VolumeNameField()->isEnabled());
    // The options of the last scan are where the next one starts.
    QVERIFY(dialog.AnalyzerBox(SettingsPage::kSignatures)->isChecked());
    QCOMPARE(dialog.SinglePage()->PathField()->text(), QString());
    reopenedInAddMode = true;
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
  });

  QTest::keyClick(&window, Qt::Key_F5);
  QVERIFY(window.IsScanning() || finished.count() == 1);
  QVERIFY(fixture.WaitForScanEnd());
  QTRY_COMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toBool(), true);

  // The new volume is in the list, selected and loaded.
  int row = window.VolumesModel()->RowOfPath(volumePath);
  QVERIFY(row >= 0);
  QCOMPARE(window.VolumesModel()->index(row, 0).data().toString(), QStringLiteral("Holiday 2003"));
  QCOMPARE(window.Volumes()->SelectedRow(), row);
  VolumeCatalog* volume = window.LoadedVolume();
  QVERIFY(volume != nullptr);
  QCOMPARE(volume->VolumeFilePath(), volumePath);
  // notes.txt, summer.jpg, the two loose files and the archive.
  QCOMPARE(window.Statistics()->Texts().files, std::string("5"));

  // The file list shows it as a person would see it: the source's root, then its contents.
  ItemList& list = *window.Browse()->FileList();
  auto names = [&list] {
    QStringList shown;
    for (int r = 0; r < list.Model()->rowCount(); ++r) shown << QString::fromStdString(list.Model()->RowAt(r)->name);
    shown.sort();
    return shown;
  };
  QCOMPARE(names(), QStringList{QStringLiteral("Trip")});
  window.Browse()->ActivateRow(0);
  QCOMPARE(names(), (QStringList{QStringLiteral(".."), QStringLiteral("loose"), QStringLiteral("notes.txt"),
                                 QStringLiteral("pack.zip"), QStringLiteral("photos")}));

  // Its files, with their signatures, and the archive's members.
  std::optional<ContentItem> notesItem = ::volumist::testing::FindItem(*volume, {"Trip", "notes.txt"});
  QVERIFY(notesItem.has_value());
  QCOMPARE(notesItem->kind, RecordKind::kFile);
  QVERIFY(notesItem->file.tag.hasSignatures);
  QVERIFY(notesItem->file.signatures.hasCrc32);
  QCOMPARE(notesItem->file.signatures.crc32, Crc32Of(notes));
  QVERIFY(notesItem->file.signatures.hasMd5);
  QVERIFY(!notesItem->file.signatures.hasMd4);
  QVERIFY(::volumist::testing::FindItem(*volume, {"Trip", "photos", "summer.jpg"}).has_value());
  std::optional<ContentItem> pack = ::volumist::testing::FindItem(*volume, {"Trip", "pack.zip"});
  QVERIFY(pack.has_value());
  QCOMPARE(pack->kind, RecordKind::kArchive);
  std::optional<ContentItem> member = ::volumist::testing::FindItem(*volume, {"Trip", "pack.zip", "b.txt"});
  QVERIFY(member.has_value());
  QCOMPARE(member->file.size.Value(), uint64_t{4});

  QTRY_VERIFY(reopenedInAddMode);
  QCOMPARE(fixture.dialogs.runs, 3);
  QCOMPARE(fixture.dialogs.unexpected, 0);
  QVERIFY(!window.IsScanning());
  QVERIFY(fixture.prompter.entries.empty());
  // The counter moved on for the next new volume, and was kept.
  QCOMPARE(fixture.settings->scanJob.volumeCounter, 2u);
}

void ScanEndToEndTest::addingTheNextDiscWritesIntoTheSameVolume() {
  Fixture fixture;
  fixture.realScanDialog = true;
  std::string first = fixture.MakeTree("first", 4);
  std::string second = fixture.MakeTree("second", 6);
  MainWindow& window = fixture.Open();
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  auto fill = [&](const std::string& path, const QString& name, bool next) {
    return [&, path, name, next](QDialog& d) {
      auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
      dialog.Pages()->setCurrentWidget(dialog.SinglePage());
      TypeInto(dialog.SinglePage()->PathField(), ToQString(path));
      TypeInto(dialog.SinglePage()->SourceNameField(), name);
      QTest::mouseClick(next ? dialog.ScanNextButton() : dialog.ScanButton(), Qt::LeftButton);
    };
  };
  fixture.dialogs.scripts.push_back(fill(first, QStringLiteral("Disc 1"), true));
  fixture.dialogs.scripts.push_back(fill(second, QStringLiteral("Disc 2"), false));
  window.Run(Command::kNewVolume);
  QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
  QVERIFY(finished.at(0).at(0).toBool());
  QVERIFY(finished.at(1).at(0).toBool());
  VolumeCatalog* volume = window.LoadedVolume();
  QVERIFY(volume != nullptr);
  QCOMPARE(volume->Header().volumeName, std::string("Volume1"));
  QCOMPARE(volume->Sources().size(), size_t{2});
  QCOMPARE(volume->Sources()[1].sourceName.Text(), std::string("Disc 2"));
  QVERIFY(::volumist::testing::FindItem(*volume, {"Disc 2", "sub", "f5.dat"}).has_value());
  QCOMPARE(window.VolumesModel()->rowCount(), 1);
  QCOMPARE(fixture.dialogs.runs, 2);
  QVERIFY(fixture.prompter.entries.empty());
}

void ScanEndToEndTest::eachCommandOpensTheDialogInItsMode() {
  Fixture fixture;
  fixture.realScanDialog = true;
  std::string loaded = fixture.WriteVolume("loaded.vkt", "Loaded");
  MainWindow& window = fixture.Open();
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  struct Case {
    std::function<void()> command;
    QString caption;
    bool singlePage;
  } cases[] = {
      {[&] { QTest::keyClick(&window, Qt::Key_F5); }, QStringLiteral("New... - Single source"), true},
      {[&] { window.Run(Command::kNewSingle); }, QStringLiteral("New... - Single source"), true},
      {[&] { window.Run(Command::kNewMultiple); }, QStringLiteral("New... - Multiple sources"), true},
      {[&] { window.Run(Command::kNewFromVolumeSources); },
       QStringLiteral("New by current volume sources - Multiple sources"), false},
      {[&] { QTest::keyClick(&window, Qt::Key_F6); }, QStringLiteral("Add... - Single source"), true},
      {[&] { window.Run(Command::kAddSingle); }, QStringLiteral("Add... - Single source"), true},
      {[&] { window.Run(Command::kAddMultiple); }, QStringLiteral("Add... - Multiple sources"), true},
  };
  // Without a loaded volume the add and mode 3 commands say so and open nothing.
  for (Command command : {Command::kNewFromVolumeSources, Command::kAddSingle, Command::kAddMultiple}) {
    window.Run(command);
  }
  QCOMPARE(fixture.dialogs.runs, 0);
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>(3, "Please, load some volume first."));
  fixture.ChooseVolume(loaded);
  for (const Case& c : cases) {
    QString caption;
    bool single = false;
    std::string name;
    size_t sources = 0;
    fixture.dialogs.scripts.push_back([&](QDialog& d) {
      auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
      caption = dialog.windowTitle();
      single = dialog.SinglePage() != nullptr;
      name = dialog.Names().VolumeName();
      sources = dialog.AdvancedPage()->SourceModel()->Sources().size();
      d.reject();
    });
    c.command();
    QCOMPARE(caption, c.caption);
    QCOMPARE(single, c.singlePage);
    // Adding shows the loaded volume; mode 3 lists its sources.
    QCOMPARE(name, c.caption.startsWith(QStringLiteral("Add")) ? std::string("Loaded") : std::string("Volume1"));
    QCOMPARE(sources, size_t{c.singlePage ? 0u : 1u});
  }
  QCOMPARE(fixture.dialogs.runs, static_cast<int>(std::size(cases)));
  QCOMPARE(fixture.dialogs.unexpected, 0);
  QVERIFY(!window.IsScanning());
}

void ScanEndToEndTest::theDescriptionPromptComesBeforeTheNextDisc() {
  Fixture fixture;
  fixture.realScanDialog = true;
  std::string tree = fixture.MakeTree("disc", 3);
  MainWindow& window = fixture.Open();
  ScanJob job = fixture.JobFor(tree, "described.vkt", "Described");
  job.descriptionPrompt = true;
  job.scanAgain = true;
  std::vector<std::string> order;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& prompt = dynamic_cast<CDialogEnterDescription&>(d);
    order.push_back("description");
    prompt.show();
    QVERIFY(QTest::qWaitForWindowExposed(&prompt));
    prompt.TextField()->setPlainText(QStringLiteral("First disc of the trip"));
    QTest::mouseClick(prompt.SaveButton(), Qt::LeftButton);
  });
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CScanDrivesDialog&>(d);
    order.push_back(ToBytes(dialog.windowTitle()));
    d.reject();
  });
  QVERIFY(window.StartScan(job));
  QVERIFY(fixture.WaitForScanEnd());
  QTRY_COMPARE(fixture.dialogs.runs, 2);
  QCOMPARE(order, (std::vector<std::string>{"description", "Add... - Single source"}));
  VolumeCatalog reread(fixture.faults, fixture.prompter);
  QVERIFY(reread.OpenVolume(fixture.volumeDirectory + "/described.vkt"));
  QCOMPARE(reread.GetDescription(0), std::optional<std::string>("First disc of the trip"));
  QVERIFY(fixture.prompter.entries.empty());
}

void ScanEndToEndTest::theNextDialogWaitsForAnOpenModalWindow() {
  Fixture fixture;
  fixture.realScanDialog = true;
  std::string tree = fixture.MakeTree("disc", 3);
  MainWindow& window = fixture.Open();
  ScanJob job = fixture.JobFor(tree, "next.vkt", "Next");
  job.scanAgain = true;
  fixture.dialogs.scripts.push_back([](QDialog& d) { d.reject(); });
  // A message box of another part of the program, open when the scan ends.
  QDialog message(&window);
  message.setWindowModality(Qt::ApplicationModal);
  message.show();
  QVERIFY(QApplication::activeModalWidget() == &message);
  QSignalSpy finished(&window, &MainWindow::ScanFinished);
  QVERIFY(window.StartScan(job));
  QVERIFY(finished.wait(30000) || finished.count() == 1);
  QVERIFY(finished.at(0).at(0).toBool());
  QTest::qWait(4 * browse::kReopenScanDialogMilliseconds);
  QCOMPARE(fixture.dialogs.runs, 0);
  message.close();
  QTRY_COMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(fixture.dialogs.unexpected, 0);
}

VOLUMIST_UI_TEST_MAIN(ScanEndToEndTest)
#include "scan_end_to_end_test.moc"
