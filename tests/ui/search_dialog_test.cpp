// The search dialog over the real window: the maximum checked whenever the criteria are read, the
// buttons while a search runs, a new search starting empty, closing while the search reports an
// unreadable volume, the loaded volume read by one thread per reader while the window goes on
// reading it, and the jump back into the window by volume file and keys.
#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>
#include <thread>

#include "browse/row_sort.h"
#include "browse/search_dialog_rules.h"
#include "catalog/messages.h"
#include "testing/volume_fixture.h"
#include "ui/bridge/text.h"
#include "ui/browse_pane.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/item_list.h"
#include "ui/item_list_model.h"
#include "ui/support/reader_threads.h"
#include "ui/support/sample_volume.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;
using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;
using ::volumist::ui::testing::ReaderThreads;

namespace {

// A volume of one drive source: Docs/note.txt, "a\b"/deep.txt (a folder whose name holds a
// backslash), top.txt. `size` makes the volume's note.txt tell from another volume's.
std::string WriteJumpVolume(Fixture& fixture, const std::string& fileName, const std::string& volumeName,
                            uint64_t size) {
  MemorySource drive;
  drive.children = {MemoryNode::Folder("Docs", {MemoryNode::File("note", ".txt", size)}),
                    MemoryNode::Folder("a\\b", {MemoryNode::File("deep", ".txt", 7)}),
                    MemoryNode::File("top", ".txt", 3)};
  ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/" + fileName, volumeName, {false});
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(job, {drive}, quiet)) qWarning("could not write %s", fileName.c_str());
  return job.volumeFileName;
}

// Runs the search dialog from `command` with `script` as the user's doing.
void RunSearch(Fixture& fixture, Command command, const std::function<void(SearchDialog&)>& script) {
  fixture.dialogs.scripts.push_back([script](QDialog& dialog) {
    auto* search = qobject_cast<SearchDialog*>(&dialog);
    QVERIFY(search != nullptr);
    script(*search);
  });
  fixture.window->Run(command);
}

// Starts a search and waits for its end; false when it did not end in time.
bool SearchAndWait(SearchDialog& dialog) {
  QSignalSpy finished(&dialog, &SearchDialog::SearchFinished);
  dialog.StartSearch();
  return finished.wait(20000);
}

// The result row of `name` in volume `volumeName`, or -1.
int ResultRow(SearchDialog& dialog, const std::string& name, const std::string& volumeName) {
  const ItemListModel* model = dialog.Results()->Model();
  for (int i = 0; i < model->rowCount(); ++i) {
    const browse::ItemRow* row = model->RowAt(i);
    if (row->name == name && row->volume && row->volume->name == volumeName) return i;
  }
  return -1;
}

std::vector<std::string> ChainNames(BrowsePane& pane) {
  std::vector<std::string> names;
  for (const ChainLink& link : pane.CurrentChain()) names.push_back(link.name);
  return names;
}

browse::SearchControls ShownControls(SearchDialog& dialog) {
  return {dialog.SearchButton()->isEnabled(), dialog.StopButton()->isEnabled(), dialog.JumpButton()->isEnabled(),
          dialog.ClearButton()->isEnabled(),  dialog.CloseButton()->isEnabled(), dialog.MaskField()->isEnabled()};
}

}  // namespace

class SearchDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }

  // The maximum is checked and clamped whether the edit loses the focus or Enter starts the search
  // at once: the value searched with is the one the field shows afterwards.
  void MaximumIsCheckedWheneverTheCriteriaAreRead() {
    const struct {
      const char* text;
      const char* shown;
      const char* message;  // null: none
      uint32_t searched;
    } cases[] = {
        {"5", "10", browse::search_text::kMaximumIsTooSmall, 10},
        {"200000", "100000", browse::search_text::kMaximumIsTooLarge, 100000},
        {"", "10", browse::search_text::kMaximumIsTooSmall, 10},
        {"abc", "10", browse::search_text::kMaximumIsTooSmall, 10},
        {"4294967295", "100000", browse::search_text::kMaximumIsTooLarge, 100000},
        {"250", "250", nullptr, 250},
    };
    for (const auto& c : cases) {
      for (const bool enter : {false, true}) {
        const QByteArray trace = QByteArray(c.text) + (enter ? " with Enter" : " losing the focus");
        Fixture fixture;
        fixture.Open();
        fixture.window->show();
        const std::string path = WriteJumpVolume(fixture, "alpha.vkt", "Alpha", 10);
        fixture.window->Run(Command::kRefreshVolumes);
        fixture.ChooseVolume(path);
        QString shown;
        RunSearch(fixture, Command::kSearchDialog, [&](SearchDialog& dialog) {
          dialog.show();
          dialog.MaximumField()->setText(QString::fromUtf8(c.text));
          if (enter) {
            QSignalSpy finished(&dialog, &SearchDialog::SearchFinished);
            QTest::keyClick(dialog.MaskField(), Qt::Key_Return);
            QVERIFY2(finished.wait(20000), trace.constData());
          } else {
            QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(dialog.MaximumField(), &focusOut);
            QVERIFY2(SearchAndWait(dialog), trace.constData());
          }
          shown = dialog.MaximumField()->text();
          dialog.reject();
        });
        QCOMPARE(shown, QString::fromUtf8(c.shown));
        const std::vector<std::string> errors = fixture.prompter.Errors();
        if (c.message != nullptr) {
          QVERIFY2(errors.size() == 1 && errors[0] == c.message, trace.constData());
        } else {
          QVERIFY2(errors.empty(), trace.constData());
        }
        QCOMPARE(fixture.settings->searchOptions.maximum, c.searched);
        fixture.CloseWindow();
      }
    }
  }

  // While a search runs only "Stop" acts; once it has ended everything is on again, and the next
  // search starts with an empty list.
  void ButtonsWhileSearchingAndANewSearchStartsEmpty() {
    Fixture fixture;
    ReaderThreads reads(fixture.gate);
    fixture.fileSystemOverride = &reads;
    fixture.Open();
    fixture.window->show();
    const std::string path = WriteJumpVolume(fixture, "alpha.vkt", "Alpha", 10);
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(path);
    const browse::SearchControls idle = browse::SearchControlsFor(false);
    const browse::SearchControls busy = browse::SearchControlsFor(true);
    QVERIFY(!(idle == busy));
    RunSearch(fixture, Command::kSearchDialog, [&](SearchDialog& dialog) {
      dialog.MaskField()->setText(QStringLiteral("*"));
      reads.Close();
      QSignalSpy finished(&dialog, &SearchDialog::SearchFinished);
      dialog.StartSearch();
      QVERIFY(QTest::qWaitFor([&] { return reads.SomeoneWaits(); }, 10000));
      QVERIFY(ShownControls(dialog) == busy);
      // "Close" and "Search" do nothing while the search runs.
      dialog.CloseButton()->click();
      dialog.SearchButton()->click();
      QVERIFY(dialog.Searching());
      QCOMPARE(dialog.result(), 0);
      reads.Open();
      QVERIFY(finished.wait(20000));
      QVERIFY(ShownControls(dialog) == idle);
      const int found = dialog.Results()->Model()->rowCount();
      QCOMPARE(found, 3);
      QCOMPARE(dialog.StatusText(), ToQString(browse::TotalFoundText(3)));

      // The next search: the list empties at once, "Stop" ends it.
      reads.Close();
      dialog.StartSearch();
      QCOMPARE(dialog.Results()->Model()->rowCount(), 0);
      QCOMPARE(fixture.window->SearchResults().ResultCount(), size_t{0});
      QVERIFY(QTest::qWaitFor([&] { return reads.SomeoneWaits(); }, 10000));
      dialog.StopButton()->click();
      reads.Open();
      QVERIFY(finished.wait(20000));
      QVERIFY(ShownControls(dialog) == idle);
      QVERIFY(dialog.Results()->Model()->rowCount() < found);
      dialog.reject();
    });
  }

  // Once every result is shown, the list is in the order of its column and direction: the one it
  // had when the search started, or the one the user chose while the search ran.
  void TheResultsEndInTheListsOrder() {
    const struct {
      const char* name;
      std::optional<std::pair<ColumnId, browse::SortOrder>> chosenWhileSearching;
      ColumnId column;
      browse::SortOrder order;
    } cases[] = {
        {"order at the start", std::nullopt, ColumnId::kName, browse::SortOrder::kAscending},
        {"size chosen meanwhile", std::pair{ColumnId::kSize, browse::SortOrder::kDescending}, ColumnId::kSize,
         browse::SortOrder::kDescending},
        {"name descending chosen meanwhile", std::pair{ColumnId::kName, browse::SortOrder::kDescending},
         ColumnId::kName, browse::SortOrder::kDescending},
    };
    for (const auto& c : cases) {
      Fixture fixture;
      ReaderThreads reads(fixture.gate);
      fixture.fileSystemOverride = &reads;
      fixture.Open();
      fixture.window->show();
      // Stored in neither name nor size order.
      MemorySource drive;
      drive.children = {MemoryNode::File("zeta", ".txt", 5), MemoryNode::File("alpha", ".txt", 1),
                        MemoryNode::Folder("Docs", {MemoryNode::File("note", ".txt", 4)}),
                        MemoryNode::File("Mid", ".txt", 9), MemoryNode::File("beta", ".txt", 3)};
      ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/order.vkt", "Order", {false});
      SilentPrompter quiet;
      QVERIFY(::volumist::testing::WriteVolume(job, {drive}, quiet));
      fixture.window->Run(Command::kRefreshVolumes);
      fixture.ChooseVolume(job.volumeFileName);
      RunSearch(fixture, Command::kSearchDialog, [&](SearchDialog& dialog) {
        dialog.Results()->SortBy(ColumnId::kName, browse::SortOrder::kAscending);
        dialog.MaskField()->setText(QStringLiteral("*.txt"));
        reads.Close();
        QSignalSpy finished(&dialog, &SearchDialog::SearchFinished);
        dialog.StartSearch();
        QVERIFY(QTest::qWaitFor([&] { return reads.SomeoneWaits(); }, 10000));
        if (c.chosenWhileSearching) {
          dialog.Results()->SortBy(c.chosenWhileSearching->first, c.chosenWhileSearching->second);
        }
        reads.Open();
        QVERIFY(finished.wait(20000));
        const ItemListModel* model = dialog.Results()->Model();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->SortColumn(), c.column);
        QVERIFY(model->Order() == c.order);
        for (int i = 1; i < model->rowCount(); ++i) {
          QVERIFY2(!browse::RowGoesBefore(*model->RowAt(i), *model->RowAt(i - 1), c.column, c.order), c.name);
        }
        dialog.reject();
      });
    }
  }

  // Closing the dialog while the search reports a volume it cannot read returns: the report is
  // posted to the GUI thread, which is then waiting for the search to end, and shown afterwards.
  void ClosingWhileTheSearchReportsAnUnreadableVolumeReturns() {
    Fixture fixture;
    ReaderThreads reads(fixture.gate);
    fixture.fileSystemOverride = &reads;
    fixture.Open();
    fixture.window->show();
    const std::string alpha = WriteJumpVolume(fixture, "alpha.vkt", "Alpha", 10);
    const std::string beta = WriteJumpVolume(fixture, "beta.vkt", "Beta", 20);
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(alpha);
    // Listed, then gone: the search cannot open it.
    QCOMPARE(std::remove(beta.c_str()), 0);
    bool returned = false;
    RunSearch(fixture, Command::kSearchAllVolumes, [&](SearchDialog& dialog) {
      dialog.MaskField()->setText(QStringLiteral("*"));
      reads.Close();
      dialog.StartSearch();
      // One reader of the search waits in Alpha, the other has failed to open Beta: its report
      // goes out once the volumes before it in the list are handed over, while the dialog closes.
      QVERIFY(QTest::qWaitFor([&] { return reads.SomeoneWaits() && reads.failedOpens.load() > 0; }, 10000));
      std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        reads.Open();
      });
      dialog.reject();
      opener.join();
      returned = true;
      QVERIFY(!dialog.Searching());
    });
    QVERIFY(returned);
    QVERIFY(QTest::qWaitFor([&] { return !fixture.prompter.Errors().empty(); }, 10000));
    const std::vector<std::string> errors = fixture.prompter.Errors();
    QCOMPARE(errors.size(), size_t{1});
    QVERIFY(errors[0].find(beta) != std::string::npos);
    for (const auto& entry : fixture.prompter.entries) QVERIFY(entry.onGuiThread);
  }

  // A search of the loaded volume opens the file with a reader of its own: while it runs, the
  // window repaints, opens folders and fills its panes from its own reader, and no reader is read by
  // two threads.
  void TheLoadedVolumeIsReadByOneThreadPerReader() {
    Fixture fixture;
    ReaderThreads reads(fixture.gate);
    fixture.fileSystemOverride = &reads;
    fixture.Open();
    fixture.window->show();
    const std::string path = fixture.volumeDirectory + "/media.vkt";
    QVERIFY(volumist::ui::testing::WriteSampleVolume(path));
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(path);
    BrowsePane* pane = fixture.window->Browse();
    ItemList* list = pane->FileList();
    auto browseAround = [&] {
      pane->Root();
      for (int i = 0; i < list->Model()->rowCount(); ++i) {
        if (list->Model()->RowAt(i)->name == "Media") pane->ActivateRow(i);
      }
      for (int i = 0; i < list->Model()->rowCount(); ++i) {
        list->SelectRow(i);
        pane->RefreshPanes();
      }
      fixture.window->repaint();
      QTest::qWait(5);
    };
    size_t found = 0;
    RunSearch(fixture, Command::kSearchDialog, [&](SearchDialog& dialog) {
      dialog.MaskField()->setText(QStringLiteral("*"));
      dialog.OptionList()->item(static_cast<int>(browse::SearchOption::kGetDescriptions))->setCheckState(Qt::Checked);
      reads.Close();
      QSignalSpy finished(&dialog, &SearchDialog::SearchFinished);
      dialog.StartSearch();
      QVERIFY(QTest::qWaitFor([&] { return reads.SomeoneWaits(); }, 10000));
      // The search waits in the middle of reading the volume; the window reads it meanwhile.
      browseAround();
      reads.workerReadDelayMicroseconds = 500;
      reads.Open();
      while (dialog.Searching() && finished.count() == 0) browseAround();
      QVERIFY(finished.count() > 0 || finished.wait(20000));
      found = fixture.window->SearchResults().ResultCount();
      dialog.reject();
    });
    QVERIFY(found > 5);
    int volumeReaders = 0;
    bool searchRead = false;
    for (const ReaderThreads::OpenFile& file : reads.Files()) {
      QVERIFY2(file.readers.size() <= 1, file.path.c_str());
      if (platform::NormalizePath(file.path) != platform::NormalizePath(path) || file.readers.empty()) continue;
      ++volumeReaders;
      searchRead = searchRead || *file.readers.begin() != reads.GuiThread();
    }
    QVERIFY(volumeReaders >= 2);
    QVERIFY(searchRead);
  }

  // "Jump" finds the volume by its file and the item by the keys of its container and itself: within
  // the loaded volume, in another one, after the list was rearranged, in a folder whose name holds a
  // backslash; a volume gone from the list is said so and nothing changes.
  void JumpFindsTheItemByVolumeFileAndKeys() {
    enum class Before { kNothing, kRearrange, kDelete };
    const struct {
      const char* name;
      const char* volume;
      const char* item;
      std::vector<std::string> folder;
      Before before;
    } cases[] = {
        {"within the volume", "Alpha", "note.txt", {"Docs"}, Before::kNothing},
        {"to another volume", "Beta", "note.txt", {"Docs"}, Before::kNothing},
        {"after the list was rearranged", "Beta", "deep.txt", {"a\\b"}, Before::kRearrange},
        {"into a folder named a\\b", "Alpha", "deep.txt", {"a\\b"}, Before::kNothing},
        {"to a deleted volume", "Beta", "note.txt", {}, Before::kDelete},
    };
    for (const auto& c : cases) {
      Fixture fixture;
      fixture.Open();
      fixture.window->show();
      const std::string alpha = WriteJumpVolume(fixture, "alpha.vkt", "Alpha", 10);
      const std::string beta = WriteJumpVolume(fixture, "beta.vkt", "Beta", 20);
      WriteJumpVolume(fixture, "gamma.vkt", "Gamma", 30);
      fixture.window->Run(Command::kRefreshVolumes);
      fixture.ChooseVolume(alpha);
      // The search, then the dialog is closed with its results kept.
      RunSearch(fixture, Command::kSearchAllVolumes, [&](SearchDialog& dialog) {
        dialog.MaskField()->setText(QStringLiteral("*.txt"));
        QVERIFY2(SearchAndWait(dialog), c.name);
        dialog.reject();
      });
      if (c.before == Before::kRearrange) fixture.window->Run(Command::kArrangeNameDescending);
      if (c.before == Before::kDelete) QCOMPARE(std::remove(beta.c_str()), 0);
      bool selected = false;
      RunSearch(fixture, Command::kSearch, [&](SearchDialog& dialog) {
        const int row = ResultRow(dialog, c.item, c.volume);
        selected = row >= 0;
        if (!selected) return;
        dialog.Results()->SelectRow(row);
        dialog.Jump();
      });
      QVERIFY2(selected, c.name);
      BrowsePane* pane = fixture.window->Browse();
      if (c.before == Before::kDelete) {
        QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{browse::search_text::kJumpVolumeGone});
        QCOMPARE(fixture.window->LoadedVolume()->Header().volumeName, std::string("Alpha"));
        continue;
      }
      QVERIFY2(fixture.prompter.Errors().empty(), c.name);
      QCOMPARE(fixture.window->LoadedVolume()->Header().volumeName, std::string(c.volume));
      QCOMPARE(ChainNames(*pane), c.folder);
      const browse::ItemRow* row = pane->FileList()->CurrentRow();
      QVERIFY2(row != nullptr && row->name == c.item, c.name);
      QCOMPARE(pane->SelectedRow(), row);
    }
  }
};

VOLUMIST_UI_TEST_MAIN(SearchDialogTest)
#include "search_dialog_test.moc"
