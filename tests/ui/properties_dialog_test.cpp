// The properties dialog: what it shows, what OK stores (exactly, into the loaded volume), what Cancel
// drops, the pie chart and its accessible slices, and the "Properties" command of the window.
#include <QAccessible>
#include <QTest>
#include <fstream>
#include <iterator>

#include "browse/properties_rules.h"
#include "catalog/messages.h"
#include "testing/volume_fixture.h"
#include "ui/bridge/text.h"
#include "ui/browse_pane.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/item_list.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;
using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;

namespace {

// A volume of one CD source: Photos/summer.jpg (hidden), readme.txt; the disc full.
std::string WriteDiscVolume(Fixture& fixture, const std::string& fileName, const std::string& volumeName) {
  MemoryNode photo = MemoryNode::File("summer", ".jpg", 1536000, 1000000000);
  photo.hasSignatures = true;
  photo.signatures.attrHidden = true;
  MemorySource disc;
  disc.children = {MemoryNode::Folder("Photos", {photo}), MemoryNode::File("readme", ".txt", 12)};
  disc.volumeLabel = "HOLIDAY";
  disc.fileSystemName = "iso9660";
  disc.driveType = kDriveCdRom;
  disc.serialNumber = 0x12AB0003;
  disc.totalBytes = 700000000;
  disc.freeBytes = 0;
  ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/" + fileName, volumeName, {true});
  job.sources[0].sourceName = "Disc";
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(job, {disc}, quiet)) qWarning("could not write %s", fileName.c_str());
  return job.volumeFileName;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string StoredName(Fixture& fixture, const std::string& path) {
  VolumeCatalog volume(fixture.faults, fixture.prompter);
  if (!volume.OpenVolume(path)) return "<unreadable>";
  return volume.Header().volumeName;
}

browse::PropertiesItem ItemAt(VolumeCatalog& volume, const std::vector<std::string>& path, bool upEntry = false) {
  browse::PropertiesItem item;
  std::optional<ContentItem> found = ::volumist::testing::FindItem(volume, path);
  if (found) item.item = *found;
  if (path.size() > 1) {
    std::optional<ContentItem> container =
        ::volumist::testing::FindItem(volume, std::vector<std::string>(path.begin(), path.end() - 1));
    if (container) item.containerKey = container->key;
  }
  item.isUpEntry = upEntry;
  return item;
}

}  // namespace

class PropertiesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void showsTheItemTheVolumeAndTheMedium();
  void okStoresCaseOnlyEdits();
  void cancelStoresNothing();
  void anUnchangedNameThatIsNotUtf8IsNotRewritten();
  void renameHitsTheLoadedFileWhileTheListSelectsAnother();
  void aNameTooLongIsRefusedAndTheDialogStays();
  void theUpEntrysDescriptionIsDisabled();
  void itemDescriptionsArePending();
  void thePieShowsItsSlicesToScreenReaders();
  void theVolumeListOffersProperties();
  void withoutAVolumeItSaysSo();
  void theSelectedRowIsTheItem();
};

void PropertiesDialogTest::showsTheItemTheVolumeAndTheMedium() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  VolumeCatalog& volume = *window.LoadedVolume();
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Properties"));
    QCOMPARE(dialog.NameText()->text(), QStringLiteral("summer.jpg"));
    QCOMPARE(dialog.LocationText()->text(), QStringLiteral("/Disc/Photos"));
    QCOMPARE(dialog.SizeText()->text(), QStringLiteral("1.46 MB  (1 536 000 Bytes)"));
    QVERIFY(!dialog.CreatedText()->text().isEmpty());
    QVERIFY(dialog.HiddenBox()->isChecked());
    QVERIFY(!dialog.HiddenBox()->isEnabled());
    QVERIFY(!dialog.ArchiveBox()->isChecked());
    QVERIFY(!dialog.TypeText()->text().isEmpty());
    QVERIFY(dialog.ItemDescriptionField()->isEnabled());
    CPage_VolumeInfo* info = dialog.VolumePage();
    QCOMPARE(info->NameField()->text(), QStringLiteral("Holiday"));
    QCOMPARE(info->FoldersText()->text(), QStringLiteral("2  (2)"));
    QCOMPARE(info->FilesText()->text(), QStringLiteral("2  (2)"));
    QCOMPARE(info->ArchivesText()->text(), QStringLiteral("0"));
    CPage_MediaInfo* media = dialog.MediaPage();
    QCOMPARE(media->LabelText()->text(), QStringLiteral("HOLIDAY"));
    QCOMPARE(media->TypeText()->text(), QStringLiteral("CD-ROM drive"));
    QCOMPARE(media->SerialText()->text(), QStringLiteral("12AB-3"));
    QCOMPARE(media->FileSystemText()->text(), QStringLiteral("iso9660"));
    QCOMPARE(media->ScanPathText()->text(), QStringLiteral("/source0"));
    QCOMPARE(media->PresentText()->text(), QStringLiteral("YES"));
    QVERIFY(media->Chart()->Pie().has_value());
    QCOMPARE(media->Chart()->Pie()->slices[1].angle, 359);
    d.reject();
  });
  std::optional<browse::PropertiesOutcome> outcome = window.ShowProperties(ItemAt(volume, {"Disc", "Photos", "summer.jpg"}));
  QVERIFY(!outcome);
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(fixture.dialogs.unexpected, 0);
}

void PropertiesDialogTest::okStoresCaseOnlyEdits() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "abc");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  QVERIFY(window.SetDescription(0, "abc"));
  // The volume's own properties through its command: the name and the description in capitals.
  fixture.dialogs.scripts.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    QVERIFY(dialog.NameText()->text().isEmpty());
    QVERIFY(!dialog.ItemDescriptionField()->isEnabled());
    dialog.VolumePage()->NameField()->setText(QStringLiteral("ABC"));
    dialog.VolumePage()->DescriptionField()->setPlainText(QStringLiteral("ABC"));
    d.accept();
  });
  window.Run(Command::kProperties);
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(window.LoadedVolume()->Header().volumeName, std::string("ABC"));
  QCOMPARE(StoredName(fixture, path), std::string("ABC"));
  QCOMPARE(window.LoadedVolume()->GetDescription(0), std::optional<std::string>("ABC"));
  QVERIFY(window.LoadedVolume()->HasPendingDescriptions());
  QVERIFY(window.Actions().Action(Command::kApply)->isEnabled());
  int row = window.VolumesModel()->RowOfPath(path);
  QCOMPARE(window.VolumesModel()->index(row, 0).data().toString(), QStringLiteral("ABC"));
  QVERIFY(fixture.prompter.entries.empty());
  fixture.prompter.answers = {false};  // the edits go with the closed window
}

void PropertiesDialogTest::cancelStoresNothing() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  std::string before = FileBytes(path);
  fixture.dialogs.scripts.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    dialog.VolumePage()->NameField()->setText(QStringLiteral("Other"));
    dialog.VolumePage()->DescriptionField()->setPlainText(QStringLiteral("text"));
    d.reject();
  });
  window.Run(Command::kProperties);
  QCOMPARE(window.LoadedVolume()->Header().volumeName, std::string("Holiday"));
  QVERIFY(!window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(FileBytes(path), before);
}

void PropertiesDialogTest::anUnchangedNameThatIsNotUtf8IsNotRewritten() {
  Fixture fixture;
  const std::string broken = "Caf\xe9 \xff";
  std::string path = WriteDiscVolume(fixture, "broken.vkt", broken);
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  std::string before = FileBytes(path);
  fixture.dialogs.scripts.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    // Shown with replacement characters, left alone, and only the description edited.
    QVERIFY(dialog.VolumePage()->NameField()->text().contains(QChar::ReplacementCharacter));
    dialog.VolumePage()->DescriptionField()->setPlainText(QStringLiteral("described"));
    d.accept();
  });
  std::optional<browse::PropertiesOutcome> outcome = window.ShowProperties(std::nullopt);
  QVERIFY(outcome);
  QVERIFY(!outcome->renamed);
  QVERIFY(outcome->volumeDescriptionChanged);
  QCOMPARE(FileBytes(path), before);
  QCOMPARE(window.LoadedVolume()->Header().volumeName, broken);
  fixture.prompter.answers = {false};
}

void PropertiesDialogTest::renameHitsTheLoadedFileWhileTheListSelectsAnother() {
  Fixture fixture;
  std::string loaded = WriteDiscVolume(fixture, "a.vkt", "First");
  std::string other = WriteDiscVolume(fixture, "b.vkt", "Second");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(loaded);
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), loaded);
  // The list shows another volume selected, without loading it.
  window.Volumes()->SelectRow(window.VolumesModel()->RowOfPath(other));
  fixture.dialogs.scripts.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    QCOMPARE(dialog.VolumePage()->NameField()->text(), QStringLiteral("First"));
    dialog.VolumePage()->NameField()->setText(QStringLiteral("Renamed"));
    d.accept();
  });
  window.Run(Command::kProperties);
  QCOMPARE(StoredName(fixture, loaded), std::string("Renamed"));
  QCOMPARE(StoredName(fixture, other), std::string("Second"));
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), loaded);
  QCOMPARE(window.LoadedVolume()->Header().volumeName, std::string("Renamed"));
  int row = window.VolumesModel()->RowOfPath(loaded);
  QCOMPARE(window.VolumesModel()->index(row, 0).data().toString(), QStringLiteral("Renamed"));
  int otherRow = window.VolumesModel()->RowOfPath(other);
  QCOMPARE(window.VolumesModel()->index(otherRow, 0).data().toString(), QStringLiteral("Second"));
}

void PropertiesDialogTest::aNameTooLongIsRefusedAndTheDialogStays() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  bool stayed = false;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    dialog.VolumePage()->NameField()->setText(QString(256, QLatin1Char('n')));
    dialog.accept();
    stayed = dialog.result() != QDialog::Accepted;
    dialog.VolumePage()->NameField()->setText(QString(255, QLatin1Char('n')));
    dialog.accept();
  });
  window.Run(Command::kProperties);
  QVERIFY(stayed);
  QCOMPARE(fixture.prompter.Errors().size(), size_t{1});
  QCOMPARE(StoredName(fixture, path), std::string(255, 'n'));
}

void PropertiesDialogTest::theUpEntrysDescriptionIsDisabled() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  fixture.dialogs.scripts.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    QCOMPARE(dialog.NameText()->text(), QStringLiteral(".."));
    QVERIFY(!dialog.ItemDescriptionField()->isEnabled());
    QVERIFY(dialog.CreatedText()->text().isEmpty());
    d.accept();
  });
  std::optional<browse::PropertiesOutcome> outcome =
      window.ShowProperties(ItemAt(*window.LoadedVolume(), {"Disc", "Photos"}, true));
  QVERIFY(outcome);
  QVERIFY(!outcome->itemDescriptionChanged);
  QVERIFY(!window.LoadedVolume()->HasPendingDescriptions());
}

void PropertiesDialogTest::itemDescriptionsArePending() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  browse::PropertiesItem readme = ItemAt(*window.LoadedVolume(), {"Disc", "readme.txt"});
  fixture.dialogs.scripts.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<CDialogProperties&>(d);
    dialog.ItemDescriptionField()->setPlainText(QStringLiteral("Read me"));
    d.accept();
  });
  std::optional<browse::PropertiesOutcome> outcome = window.ShowProperties(readme);
  QVERIFY(outcome && outcome->itemDescriptionChanged);
  QCOMPARE(window.LoadedVolume()->GetDescription(readme.item.DescriptionKey()), std::optional<std::string>("Read me"));
  QVERIFY(window.Actions().Action(Command::kApply)->isEnabled());
  // Apply saves it into the file.
  window.Run(Command::kApply);
  VolumeCatalog reread(fixture.faults, fixture.prompter);
  QVERIFY(reread.OpenVolume(path));
  QCOMPARE(reread.GetDescription(readme.item.DescriptionKey()), std::optional<std::string>("Read me"));
}

void PropertiesDialogTest::thePieShowsItsSlicesToScreenReaders() {
  browse::PropertiesData data;
  data.volume.name = "V";
  browse::MediaProperties media;
  media.pie = browse::MakeMediaPie(900, 450);
  data.media = media;
  volumist::ui::testing::UiRecordingPrompter prompter;
  CDialogProperties dialog(data, prompter);
  dialog.Tabs()->setCurrentWidget(dialog.MediaPage());
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  PieChart* chart = dialog.MediaPage()->Chart();
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(chart);
  QVERIFY(access != nullptr);
  QCOMPARE(access->role(), QAccessible::Chart);
  QCOMPARE(access->childCount(), 3);
  QCOMPARE(access->child(0)->text(QAccessible::Name), QStringLiteral("Total: 900 B"));
  QCOMPARE(access->child(1)->text(QAccessible::Name), QStringLiteral("Used: 450 B"));
  QCOMPARE(access->child(2)->text(QAccessible::Name), QStringLiteral("Free: 450 B"));
  QVERIFY(access->child(2)->text(QAccessible::Description).startsWith(QStringLiteral("50%")));
  QCOMPARE(access->indexOfChild(access->child(1)), 1);
  QRect row = access->child(1)->rect();
  QCOMPARE(access->childAt(row.center().x(), row.center().y()), access->child(1));
  // It draws: the wedges' colours are in the picture.
  QImage picture = chart->grab().toImage();
  QRect circle = chart->PieRect();
  // The used half runs from twelve o'clock counter-clockwise; the points lie away from the shares.
  const double r = circle.width() / 2.0;
  QColor left = picture.pixelColor(circle.center() + QPoint(int(-0.4 * r), int(-0.69 * r)));
  QColor right = picture.pixelColor(circle.center() + QPoint(int(0.4 * r), int(0.69 * r)));
  QVERIFY(r > 20);
  QCOMPARE(left, QColor(180, 36, 87));
  QCOMPARE(right, QColor(206, 203, 188));
  // Without a pie there are no slices.
  chart->SetPie(std::nullopt);
  QCOMPARE(access->childCount(), 0);
}

void PropertiesDialogTest::theVolumeListOffersProperties() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  QAction* properties = window.Actions().Action(Command::kProperties);
  QVERIFY(window.Volumes()->ContextMenu()->actions().contains(properties));
  QCOMPARE(properties->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Return));
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  bool opened = false;
  fixture.dialogs.scripts.push_back([&](QDialog& d) {
    opened = dynamic_cast<CDialogProperties*>(&d) != nullptr;
    d.reject();
  });
  QTest::keyClick(&window, Qt::Key_Return, Qt::AltModifier);
  QVERIFY(opened);
  // Not while a scan runs.
  browse::ShellState scanning;
  scanning.scanning = true;
  QVERIFY(!browse::IsCommandEnabled(Command::kProperties, scanning));
}

void PropertiesDialogTest::withoutAVolumeItSaysSo() {
  Fixture fixture;
  MainWindow& window = fixture.Open();
  window.Run(Command::kProperties);
  QCOMPARE(fixture.dialogs.runs, 0);
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{messages::kLoadSomeVolumeFirst});
}

// "Properties" from the file list shows the selected row's item; the up entry stands for the folder it
// leaves and has no description of its own.
void PropertiesDialogTest::theSelectedRowIsTheItem() {
  Fixture fixture;
  std::string path = WriteDiscVolume(fixture, "disc.vkt", "Holiday");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(path);
  BrowsePane& pane = *window.Browse();
  std::optional<ContentItem> photos = ::volumist::testing::FindItem(*window.LoadedVolume(), {"Disc", "Photos"});
  QVERIFY(photos.has_value());
  QVERIFY(pane.OpenFolder(photos->key, false));
  ItemList& list = *pane.FileList();
  const struct {
    std::string row;
    QString name;
    QString location;
    bool descriptionEditable;
  } cases[] = {
      {"summer.jpg", QStringLiteral("summer.jpg"), QStringLiteral("/Disc/Photos"), true},
      {"..", QStringLiteral(".."), QStringLiteral("/Disc"), false},
  };
  for (const auto& c : cases) {
    int found = -1;
    for (int row = 0; row < list.Model()->rowCount(); ++row) {
      if (list.Model()->RowAt(row)->name == c.row) found = row;
    }
    QVERIFY2(found >= 0, c.row.c_str());
    list.SelectRow(found);
    bool shown = false;
    fixture.dialogs.scripts.push_back([&](QDialog& d) {
      auto& dialog = dynamic_cast<CDialogProperties&>(d);
      shown = dialog.NameText()->text() == c.name && dialog.LocationText()->text() == c.location &&
              dialog.ItemDescriptionField()->isEnabled() == c.descriptionEditable;
      if (!shown) qWarning("shown: %s in %s", qPrintable(dialog.NameText()->text()), qPrintable(dialog.LocationText()->text()));
      d.reject();
    });
    window.Run(Command::kProperties);
    QVERIFY2(shown, c.row.c_str());
  }
  QCOMPARE(fixture.dialogs.unexpected, 0);
}

VOLUMIST_UI_TEST_MAIN(PropertiesDialogTest)
#include "properties_dialog_test.moc"
