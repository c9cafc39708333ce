// Browsing a loaded volume through the real window: the tree and the list in step (also for folders
// never expanded), Back, Forward, Up and Root, the up entry of top folders, the description pane
// (whose text belongs to the item it was filled for, whatever changes the list), the 511-byte limit,
// descriptions that are not UTF-8, the "File data" pane, the ed2k dialog, the item commands with a
// recording launcher, and the help page.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "analysis/messages.h"
#include "browse/folder_listing.h"
#include "browse/locate_item.h"
#include "browse/messages.h"
#include "catalog/messages.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/ed2k_dialog.h"
#include "ui/support/browsing_fixture.h"
#include "ui/support/sample_volume.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using browse::RowKind;

using volumist::ui::testing::Browsing;

class BrowsingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void loadingShowsTheRootInTreeAndList();
  void treeAndListStayInStep();
  void aFolderNeverExpandedIsFoundInTheTree();
  void upFromTopFoldersGoesToTheRoot();
  void backAndForward();
  void descriptionBelongsToTheItemItWasFilledFor_data();
  void descriptionBelongsToTheItemItWasFilledFor();
  void textTypedBeforeThePanesFollowStaysWithTheOldItem();
  void theUpEntryHasNoDescriptionOfItsOwn();
  void descriptionsStopAt511Bytes();
  void aDescriptionThatIsNotUtf8IsStoredOnlyWhenEdited();
  void fileDataShowsTheRowsDetails();
  void ed2kLinkDialog();
  void itemCommandsThroughTheLauncher();
  void helpOpensThePageBesideTheProgram();
  void md5CheckFileOfTheList();
};

void BrowsingTest::loadingShowsTheRootInTreeAndList() {
  Browsing b;
  QAbstractItemModelTester treeTester(b.pane->TreeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QAbstractItemModelTester listTester(b.list->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  // Folder-like rows first (the folder source's root among them), then the archive and the file.
  QCOMPARE(b.Names(), (std::vector<std::string>{"Empty", "Extra", "Music", "Pictures", "Sums", "Video", "pack.zip", "top.txt"}));
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("Media"));
  QCOMPARE(b.list->TotalsLabel()->text(), QStringLiteral("5 208 754 311\nFiles: 2, Folders: 6"));
  QCOMPARE(b.TreeKey(), browse::kRootKey);
  QCOMPARE(b.pane->TreeModel()->index(0, 0).data().toString(), QStringLiteral("Media"));
  // The tabs of a volume scanned with everything.
  QStringList tabs;
  for (int i = 0; i < b.list->TabBar()->count(); ++i) tabs << b.list->TabBar()->tabText(i);
  QCOMPARE(tabs, (QStringList{" Main ", " Audio ", " Video ", " Signatures ", " Images", " Thumbnails"}));
  QVERIFY(!b.Enabled(Command::kBack));
  QVERIFY(!b.Enabled(Command::kForward));
  QVERIFY(!b.Enabled(Command::kUp));
  QVERIFY(b.Enabled(Command::kRoot));
  // Unloading empties everything again.
  QVERIFY(b.window->UnloadVolume());
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("no volume loaded"));
  QCOMPARE(b.list->Model()->rowCount(), 0);
  QCOMPARE(b.pane->TreeModel()->rowCount(), 0);
  QVERIFY(!b.Enabled(Command::kRoot));
}

void BrowsingTest::treeAndListStayInStep() {
  Browsing b;
  QAbstractItemModelTester treeTester(b.pane->TreeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  b.Open("Music");
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("Music"));
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "01 Morning.mp3", "02 Evening.mp3", "notes.txt"}));
  QCOMPARE(b.TreeKey(), b.KeyOf({"Music"}));
  // A click in the tree opens the folder in the list.
  QModelIndex pictures = b.pane->TreeModel()->IndexOf(b.KeyOf({"Pictures"}));
  QVERIFY(pictures.isValid());
  b.pane->FolderTree()->setCurrentIndex(pictures);
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("Pictures"));
  QCOMPARE(b.pane->CurrentFolder(), b.KeyOf({"Pictures"}));
  // An archive is a node of the tree and opens like a folder from it.
  QModelIndex pack = b.pane->TreeModel()->IndexOf(b.KeyOf({"pack.zip"}));
  QVERIFY(pack.isValid());
  b.pane->FolderTree()->setCurrentIndex(pack);
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "inside.txt"}));
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("pack.zip"));
  b.window->Run(Command::kRoot);
  QCOMPARE(b.TreeKey(), browse::kRootKey);
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("Media"));
}

void BrowsingTest::aFolderNeverExpandedIsFoundInTheTree() {
  Browsing b;
  RecordKey inner = b.KeyOf({"Empty", "Inner"});
  RecordKey empty = b.KeyOf({"Empty"});
  QVERIFY(!b.pane->TreeModel()->IsLoaded(empty));
  // As a jump from the search opens it: the tree loads and expands the chain from the top.
  QVERIFY(b.pane->OpenFolder(inner, true));
  QCOMPARE(b.TreeKey(), inner);
  QVERIFY(b.pane->FolderTree()->isExpanded(b.pane->TreeModel()->LoadedIndexOf(empty)));
  QCOMPARE(b.pane->ListStatus()->text(), QStringLiteral("Empty\\Inner"));
  // Root then Back returns to it, in the tree as in the list.
  b.window->Run(Command::kRoot);
  b.window->Run(Command::kBack);
  QCOMPARE(b.pane->CurrentFolder(), inner);
  QCOMPARE(b.TreeKey(), inner);
  // A key that names no folder opens nothing.
  RecordKey file = b.RowOf("..").containerKey + 1;
  QVERIFY(!b.pane->OpenFolder(file, false));
  QCOMPARE(b.pane->CurrentFolder(), inner);
}

void BrowsingTest::upFromTopFoldersGoesToTheRoot() {
  Browsing b;
  // A top folder of the drive source: its up entry leads to the root, not to its source's first key.
  b.Open("Music");
  QCOMPARE(b.RowOf("..").key, browse::kRootKey);
  QVERIFY(b.Enabled(Command::kUp));
  b.Open("..");
  QCOMPARE(b.pane->CurrentFolder(), browse::kRootKey);
  QCOMPARE(b.Names().front(), std::string("Empty"));
  // The root folder of a folder source, by the Up command.
  b.Open("Extra");
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "-rf"}));
  b.window->Run(Command::kUp);
  QCOMPARE(b.pane->CurrentFolder(), browse::kRootKey);
  // Up at the root does nothing, also when called directly.
  QVERIFY(!b.Enabled(Command::kUp));
  size_t entries = b.pane->History().BackStack().size();
  b.pane->Up();
  QCOMPARE(b.pane->History().BackStack().size(), entries);
  // Deeper: up one level.
  b.Open("Empty");
  b.Open("Inner");
  b.window->Run(Command::kUp);
  QCOMPARE(b.pane->CurrentFolder(), b.KeyOf({"Empty"}));
  QCOMPARE(b.TreeKey(), b.KeyOf({"Empty"}));
}

void BrowsingTest::backAndForward() {
  Browsing b;
  b.Open("Music");
  b.Open("..");
  b.Open("Video");
  QVERIFY(b.Enabled(Command::kBack));
  QVERIFY(!b.Enabled(Command::kForward));
  b.window->Run(Command::kBack);
  QCOMPARE(b.pane->CurrentFolder(), browse::kRootKey);
  QVERIFY(b.Enabled(Command::kForward));
  // Opening a new folder keeps the forward stack: Forward still returns to Video.
  b.Open("Sums");
  b.window->Run(Command::kForward);
  QCOMPARE(b.pane->CurrentFolder(), b.KeyOf({"Video"}));
  QCOMPARE(b.TreeKey(), b.KeyOf({"Video"}));
  QVERIFY(!b.Enabled(Command::kForward));
  // Loading the volume again starts a new history.
  QVERIFY(b.window->UnloadVolume());
  b.window->Volumes()->List()->setCurrentIndex(QModelIndex());
  b.fixture.ChooseVolume(b.path);
  QVERIFY(!b.Enabled(Command::kBack));
  QCOMPARE(b.pane->History().BackStack().size(), size_t{1});
}

void BrowsingTest::descriptionBelongsToTheItemItWasFilledFor_data() {
  QTest::addColumn<QString>("trigger");
  for (const char* trigger : {"select another row", "Back", "tab switch", "re-sort", "close", "focus out", "Apply"}) {
    QTest::newRow(trigger) << QString::fromLatin1(trigger);
  }
}

void BrowsingTest::descriptionBelongsToTheItemItWasFilledFor() {
  QFETCH(QString, trigger);
  Browsing b;
  b.Open("Sums");
  b.Open("..");
  b.Open("Music");
  b.Select("01 Morning.mp3");
  const RecordKey first = *b.RowOf("01 Morning.mp3").DescriptionKey();
  const RecordKey second = *b.RowOf("02 Evening.mp3").DescriptionKey();
  QCOMPARE(b.pane->DescribedKey(), std::optional<RecordKey>(first));
  b.pane->DescriptionPane()->setFocus();
  QTest::keyClicks(b.pane->DescriptionPane(), QStringLiteral("Sunrise take"));

  if (trigger == "select another row") {
    b.list->SelectRow(b.Row("02 Evening.mp3"));
  } else if (trigger == "Back") {
    b.window->Run(Command::kBack);
  } else if (trigger == "tab switch") {
    b.list->TabBar()->setCurrentIndex(1);
  } else if (trigger == "re-sort") {
    b.list->RunArrangeCommand(browse::kArrangeDescendingCommand);
  } else if (trigger == "focus out") {
    b.list->ReportView()->setFocus();
  } else if (trigger == "Apply") {
    b.window->Run(Command::kApply);
  } else if (trigger == "close") {
    b.fixture.prompter.answers = {true};
    QVERIFY(b.window->close());
    VolumeCatalog reread(b.fixture.faults, b.fixture.prompter);
    QVERIFY(reread.OpenVolume(b.path));
    QCOMPARE(reread.GetDescription(first), std::optional<std::string>("Sunrise take"));
    QCOMPARE(reread.GetDescription(second), std::nullopt);
    return;
  }
  VolumeCatalog* volume = b.window->LoadedVolume();
  QCOMPARE(volume->GetDescription(first), std::optional<std::string>("Sunrise take"));
  QCOMPARE(volume->GetDescription(second), std::nullopt);
  // The list's Description column shows it.
  if (int row = b.Row("01 Morning.mp3"); row >= 0 && b.list->Model()->ColumnOf(ColumnId::kDescription) >= 0) {
    QModelIndex cell = b.list->Model()->index(row, b.list->Model()->ColumnOf(ColumnId::kDescription));
    QCOMPARE(cell.data().toString(), QStringLiteral("Sunrise take"));
  }
  if (trigger != "Apply") QVERIFY(b.Enabled(Command::kApply));
  QCOMPARE(b.fixture.prompter.unexpectedQuestions, 0);
  b.fixture.prompter.answers = {false};  // the edits are dropped with the window
}

void BrowsingTest::textTypedBeforeThePanesFollowStaysWithTheOldItem() {
  Browsing b;
  b.Open("Music");
  b.Select("01 Morning.mp3");
  const RecordKey first = *b.RowOf("01 Morning.mp3").DescriptionKey();
  const RecordKey second = *b.RowOf("02 Evening.mp3").DescriptionKey();
  b.pane->DescriptionPane()->setFocus();
  QTest::keyClicks(b.pane->DescriptionPane(), QStringLiteral("one"));
  // Another row is selected; within the 50 ms before the panes follow, the pane still shows the
  // first item's text, and what is typed there belongs to it.
  b.list->SelectRow(b.Row("02 Evening.mp3"));
  QVERIFY(b.pane->PaneTimer()->isActive());
  b.pane->DescriptionPane()->setFocus();
  QTest::keyClicks(b.pane->DescriptionPane(), QStringLiteral(" two"));
  QTRY_VERIFY(!b.pane->PaneTimer()->isActive());
  QCOMPARE(b.pane->DescribedKey(), std::optional<RecordKey>(second));
  QCOMPARE(b.pane->DescriptionPane()->toPlainText(), QString());
  QCOMPARE(b.window->LoadedVolume()->GetDescription(first), std::optional<std::string>("one two"));
  QCOMPARE(b.window->LoadedVolume()->GetDescription(second), std::nullopt);
  b.fixture.prompter.answers = {false};
}

void BrowsingTest::theUpEntryHasNoDescriptionOfItsOwn() {
  Browsing b;
  b.Open("Music");
  b.Select("..");
  QVERIFY(b.pane->DescriptionPane()->isReadOnly());
  QCOMPARE(b.pane->DescriptionPane()->toPlainText(), QStringLiteral("Up to one level..."));
  QCOMPARE(b.pane->DescribedKey(), std::nullopt);
  QTest::keyClicks(b.pane->DescriptionPane(), QStringLiteral("ignored"));
  b.Select("notes.txt");
  QVERIFY(!b.window->LoadedVolume()->HasPendingDescriptions());
  // With no row selected the pane describes the folder shown; at the root, the volume.
  b.list->ReportView()->selectionModel()->clearCurrentIndex();
  b.pane->RefreshPanes();
  QCOMPARE(b.pane->DescribedKey(), std::optional<RecordKey>(b.KeyOf({"Music"})));
  b.window->Run(Command::kRoot);
  b.pane->RefreshPanes();
  QCOMPARE(b.pane->DescribedKey(), std::optional<RecordKey>(0));
}

void BrowsingTest::descriptionsStopAt511Bytes() {
  Browsing b;
  b.Select("top.txt");
  QPlainTextEdit* edit = b.pane->DescriptionPane();
  edit->setFocus();
  // Typing stops at 511 bytes.
  QTest::keyClicks(edit, QString(600, QLatin1Char('a')));
  QCOMPARE(edit->toPlainText().toUtf8().size(), 511);
  // A character of several bytes that does not fit whole is not taken, nor is a pasted tail.
  edit->clear();
  QTest::keyClicks(edit, QString(509, QLatin1Char('b')));
  edit->moveCursor(QTextCursor::End);
  edit->insertPlainText(QString::fromUtf8("\xC3\xA9\xF0\x9F\x8C\x8A"));  // 2 + 4 bytes: only the accent fits
  QCOMPARE(edit->toPlainText(), QString(509, QLatin1Char('b')) + QString::fromUtf8("\xC3\xA9"));
  edit->setPlainText(QString(509, QLatin1Char('b')));
  edit->moveCursor(QTextCursor::End);
  edit->insertPlainText(QString::fromUtf8("\xF0\x9F\x8C\x8A"));  // 4 bytes do not fit in 2: nothing is taken
  QCOMPARE(edit->toPlainText(), QString(509, QLatin1Char('b')));
  // Inserting in the middle keeps the tail and cuts what was inserted.
  edit->setPlainText(QString(500, QLatin1Char('c')) + QStringLiteral("END"));
  QTextCursor cursor = edit->textCursor();
  cursor.setPosition(10);
  edit->setTextCursor(cursor);
  edit->insertPlainText(QString(20, QLatin1Char('x')));
  QCOMPARE(edit->toPlainText().toUtf8().size(), 511);
  QVERIFY(edit->toPlainText().endsWith(QStringLiteral("END")));
  QCOMPARE(edit->toPlainText().count(QLatin1Char('x')), 8);
  b.Select("pack.zip");
  QCOMPARE(b.window->LoadedVolume()->GetDescription(*b.RowOf("top.txt").DescriptionKey())->size(), size_t{511});
  b.fixture.prompter.answers = {false};
}

void BrowsingTest::aDescriptionThatIsNotUtf8IsStoredOnlyWhenEdited() {
  volumist::ui::testing::WindowFixture fixture;
  std::string path = fixture.volumeDirectory + "/media.vkt";
  QVERIFY(volumist::ui::testing::WriteSampleVolume(path));
  const std::string latin1 = "caf\xE9 \xFF\r\nline";
  RecordKey key = 0;
  {
    VolumeCatalog volume(fixture.faults, fixture.prompter);
    QVERIFY(volume.OpenVolume(path));
    std::optional<browse::FolderListing> top = browse::ReadFolderListing(volume, browse::kRootKey);
    for (const browse::ItemRow& row : top->rows) {
      if (row.name == "top.txt") key = *row.DescriptionKey();
    }
    QVERIFY(volume.SetDescription(key, latin1));
    QVERIFY(volume.SaveDescriptions());
  }
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  BrowsePane* pane = window.Browse();
  ItemList* list = pane->FileList();
  int row = list->Model()->RowOfKey(key - 1);
  QVERIFY(row >= 0);
  list->SelectRow(row);
  pane->RefreshPanes();
  QVERIFY(pane->DescriptionPane()->toPlainText().contains(QChar(0xFFFD)));
  // Shown, focused, left: nothing is stored back.
  pane->DescriptionPane()->setFocus();
  list->SelectRow(0);
  pane->RefreshPanes();
  QVERIFY(!window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(window.LoadedVolume()->GetDescription(key), std::optional<std::string>(latin1));
  // Edited, the text the user sees is stored.
  list->SelectRow(row);
  pane->RefreshPanes();
  pane->DescriptionPane()->moveCursor(QTextCursor::End);
  QTest::keyClicks(pane->DescriptionPane(), QStringLiteral("!"));
  list->SelectRow(0);
  QVERIFY(window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(window.LoadedVolume()->GetDescription(key), std::optional<std::string>("caf\xEF\xBF\xBD \xEF\xBF\xBD\nline!"));
  fixture.prompter.answers = {false};
}

void BrowsingTest::fileDataShowsTheRowsDetails() {
  Browsing b;
  b.Open("Music");
  b.Select("01 Morning.mp3");
  QCOMPARE(b.pane->FileDataPane()->toPlainText(),
           QStringLiteral("Length:  3:07\nTitle:  Morning Tide\nArtist:  Harbour Lights\nAlbum:  Coastlines\n"
                          "Year:  2004\nkbps:  128\nkHz:  44100\n"));
  b.Select("notes.txt");
  QCOMPARE(b.pane->FileDataPane()->toPlainText(), QString());
  b.Open("..");
  b.Open("Sums");
  b.Select("hashed.bin");
  QVERIFY(b.pane->FileDataPane()->toPlainText().startsWith(QStringLiteral("CRC32:  0a1b2c3d\neDonkey Hash (MD4):  1011")));
  // The panes follow a selection after 50 ms, not at once.
  b.list->SelectRow(b.Row("plain.bin"));
  QVERIFY(b.pane->FileDataPane()->toPlainText().startsWith(QStringLiteral("CRC32")));
  QTRY_COMPARE(b.pane->FileDataPane()->toPlainText(), QString());
}

void BrowsingTest::ed2kLinkDialog() {
  Browsing b;
  // Nothing selected.
  b.window->Run(Command::kGetEd2kLink);
  QCOMPARE(b.fixture.prompter.Errors(), std::vector<std::string>{messages::kSelectItemFirst});
  b.Open("Sums");
  b.Select("hashed.bin");
  QString shown;
  QString title;
  bool readOnly = false;
  b.fixture.dialogs.scripts.push_back([&](QDialog& dialog) {
    auto& ed2k = static_cast<CDialog_Edonkey2K&>(dialog);
    title = ed2k.windowTitle();
    shown = ed2k.LinkField()->text();
    readOnly = ed2k.LinkField()->isReadOnly();
    ed2k.accept();
  });
  b.window->Run(Command::kGetEd2kLink);
  QCOMPARE(b.fixture.dialogs.runs, 1);
  QCOMPARE(title, QStringLiteral("EDonkey2000 Link "));
  QCOMPARE(shown, QStringLiteral("ed2k://|file|hashed.bin|5000000000|101112131415161718191A1B1C1D1E1F|/"));
  QVERIFY(readOnly);
  // Files without an MD4 digest, folders and the up entry have no link.
  b.fixture.prompter.entries.clear();
  for (const char* name : {"plain.bin", ".."}) {
    b.Select(name);
    b.window->Run(Command::kGetEd2kLink);
  }
  QCOMPARE(b.fixture.prompter.Errors(), (std::vector<std::string>{messages::kNoMd4ForLink, messages::kNoMd4ForLink}));
  QCOMPARE(b.fixture.dialogs.runs, 1);
}

void BrowsingTest::itemCommandsThroughTheLauncher() {
  ::volumist::testing::TempDir disk;
  std::ofstream(disk.File("-rf")) << "x";
  Browsing b(disk.path());
  const std::string root = std::filesystem::canonical(disk.path()).string();
  // Without a selection.
  b.window->Run(Command::kExecuteFile);
  QCOMPARE(b.fixture.prompter.Errors(), std::vector<std::string>{messages::kSelectItemFirst});
  // The drive source's medium is not at "/source0".
  b.fixture.prompter.entries.clear();
  b.Select("top.txt");
  b.window->Run(Command::kExecuteFile);
  QCOMPARE(b.fixture.prompter.Errors(), std::vector<std::string>{messages::kItemNotPresent});
  // A present file named like an option reaches the desktop as one file:// URL.
  b.fixture.prompter.entries.clear();
  b.Open("Extra");
  b.Select("-rf");
  b.window->Run(Command::kExecuteFile);
  b.window->Run(Command::kEditFile);
  b.window->Run(Command::kOpenInExplorer);
  QCOMPARE(b.fixture.launcher.opened, (std::vector<std::string>{"file://" + root + "/-rf", "file://" + root + "/-rf"}));
  QCOMPARE(b.fixture.launcher.shown, (std::vector<std::pair<std::string, bool>>{{root + "/-rf", false}}));
  QVERIFY(b.fixture.prompter.entries.empty());
  // The up entry stands for the folder it leads to... here the top, the root of the source shown.
  b.Select("..");
  b.window->Run(Command::kOpenInExplorer);
  QCOMPARE(b.fixture.launcher.shown.back(), (std::pair<std::string, bool>{root, true}));
  // The desktop could not open it.
  b.fixture.launcher.succeeds = false;
  b.Select("-rf");
  b.window->Run(Command::kExecuteFile);
  QCOMPARE(b.fixture.prompter.Errors(), std::vector<std::string>{messages::kOperationUnsuccessful});
  // Activating a file in explorer mode executes it; otherwise it asks for its properties.
  b.fixture.launcher.succeeds = true;
  size_t opened = b.fixture.launcher.opened.size();
  b.pane->ExplorerModeBox()->setChecked(true);
  b.pane->ActivateRow(b.Row("-rf"));
  QCOMPARE(b.fixture.launcher.opened.size(), opened + 1);
  b.pane->ExplorerModeBox()->setChecked(false);
  b.pane->ActivateRow(b.Row("-rf"));
  QCOMPARE(b.fixture.launcher.opened.size(), opened + 1);
  // The explorer mode is kept in the settings when the window closes.
  b.pane->ExplorerModeBox()->setChecked(true);
  QVERIFY(b.window->close());
  QVERIFY(b.fixture.settings->explorerMode);
}

void BrowsingTest::helpOpensThePageBesideTheProgram() {
  volumist::ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  std::string page = ToBytes(QCoreApplication::applicationDirPath()) + "/help.htm";
  QVERIFY2(std::filesystem::exists(page), "help.htm is copied beside the programs of the build");
  window.Run(Command::kHelp);
  window.Run(Command::kHelpPage);
  QCOMPARE(fixture.launcher.opened, (std::vector<std::string>{browse::FileUrl(page), browse::FileUrl(page)}));
  QVERIFY(fixture.prompter.entries.empty());
}

void BrowsingTest::md5CheckFileOfTheList() {
  Browsing b;
  // No file of the music folder has an MD5 digest.
  b.Open("Music");
  b.window->Run(Command::kCreateMd5CheckFile);
  QCOMPARE(b.fixture.prompter.Errors(), std::vector<std::string>{messages::kNoMd5InList});
  QCOMPARE(b.fixture.files.lastSaveCaption, QString());
  // The sums folder has one; the user names the file.
  b.fixture.prompter.entries.clear();
  b.Open("..");
  b.Open("Sums");
  std::string target = b.fixture.dir.File("sums.md5");
  b.fixture.files.saveAnswers = {target};
  b.window->Run(Command::kCreateMd5CheckFile);
  QCOMPARE(b.fixture.files.lastSaveCaption, QStringLiteral("Create MD5 check file"));
  QCOMPARE(b.fixture.files.lastSaveInitial, std::string("Sums.md5"));  // the folder is not on this computer
  QCOMPARE(::volumist::testing::ReadFileBytes(target), std::string("000102030405060708090a0b0c0d0e0f  hashed.bin\n"));
  QVERIFY(b.fixture.prompter.entries.empty());
  // Cancelled: nothing is written.
  std::filesystem::remove(target);
  b.window->Run(Command::kCreateMd5CheckFile);
  QVERIFY(!std::filesystem::exists(target));
}

VOLUMIST_UI_TEST_MAIN(BrowsingTest)
#include "browsing_test.moc"
