// The file list's views through the real widgets: sorting by header clicks and by the arrange
// popup (selections follow their rows), each view mode's columns and row heights, the Size% bars,
// thumbnails (damaged bytes draw nothing), the tile view at any width, and the list's own menu.
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include "browse/list_menus.h"
#include "ui/support/browsing_fixture.h"
#include "ui/support/ui_test_main.h"

using namespace volumist;
using namespace volumist::ui;
using volumist::ui::testing::Browsing;

namespace {

// The pixels of the cell of `row` in the column `column` of the report view (the window is made
// wide enough for every column of the view to show whole).
QImage CellPixels(ItemList& list, int row, ColumnId column) {
  QTreeView* view = list.ReportView();
  if (view->window()->width() < 2400) {
    view->window()->resize(2400, 900);
    QTest::qWait(20);
  }
  QModelIndex index = list.Model()->index(row, list.Model()->ColumnOf(column));
  QRect rect = view->visualRect(index);
  return view->viewport()->grab(rect).toImage();
}

// Pixels whose red channel stands out, as a red thumbnail's.
int RedPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      QColor c = image.pixelColor(x, y);
      if (c.red() > 150 && c.green() < 90 && c.blue() < 90) ++count;
    }
  }
  return count;
}

// The number of different colours in an image.
int Colours(const QImage& image) {
  QSet<QRgb> seen;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
  }
  return static_cast<int>(seen.size());
}

QStringList MenuTexts(QMenu& menu) {
  QStringList texts;
  for (QAction* action : menu.actions()) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return texts;
}

void ClickHeader(ItemList& list, ColumnId column) {
  QHeaderView* header = list.ReportView()->header();
  int section = list.Model()->ColumnOf(column);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
}

}  // namespace

class ItemListTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void headerClicksSortAndTheSelectionFollows();
  void arrangePopupFollowsTheView();
  void eachViewModeShowsItsColumns();
  void sizeBarsShowShares();
  void thumbnailsAreDrawnAndDamagedOnesAreNot();
  void tilesAtAnyWidth();
  void columnAndThumbnailMenus();
  void tilesAndDrawnCellsAreAccessible();
};

void ItemListTest::headerClicksSortAndTheSelectionFollows() {
  Browsing b;
  QAbstractItemModelTester tester(b.list->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  b.Open("Video");
  b.list->SelectRow(b.Row("clip.avi"));
  ClickHeader(*b.list, ColumnId::kName);  // name is the column already: now descending
  QCOMPARE(b.list->Model()->Order(), browse::SortOrder::kDescending);
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "old.mpg", "clip.avi", "broken.avi"}));
  QCOMPARE(b.list->CurrentRow()->name, std::string("clip.avi"));
  ClickHeader(*b.list, ColumnId::kSize);
  QCOMPARE(b.list->Model()->SortColumn(), ColumnId::kSize);
  QCOMPARE(b.list->Model()->Order(), browse::SortOrder::kAscending);
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "old.mpg", "broken.avi", "clip.avi"}));
  QCOMPARE(b.list->CurrentRow()->name, std::string("clip.avi"));
  QCOMPARE(b.list->ReportView()->header()->sortIndicatorSection(), b.list->Model()->ColumnOf(ColumnId::kSize));
  // A column that does not sort leaves the order and the indicator alone.
  b.list->TabBar()->setCurrentIndex(3);  // " Signatures "
  ClickHeader(*b.list, ColumnId::kMd4);
  QCOMPARE(b.list->Model()->SortColumn(), ColumnId::kSize);
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "old.mpg", "broken.avi", "clip.avi"}));
  // In the video view, by frame rate: the NaN rate goes last in either order.
  b.list->TabBar()->setCurrentIndex(2);
  // (clip.avi and old.mpg both run at 25 frames a second: ascending names in both orders.)
  ClickHeader(*b.list, ColumnId::kFps);
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "clip.avi", "old.mpg", "broken.avi"}));
  ClickHeader(*b.list, ColumnId::kFps);
  QCOMPARE(b.list->Model()->Order(), browse::SortOrder::kDescending);
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "clip.avi", "old.mpg", "broken.avi"}));
  // The order holds for the next folder opened.
  b.Open("..");
  QCOMPARE(b.list->Model()->SortColumn(), ColumnId::kFps);
}

void ItemListTest::arrangePopupFollowsTheView() {
  Browsing b;
  b.Open("Sums");
  b.list->TabBar()->setCurrentIndex(3);
  QMenu* popup = b.list->ArrangeMenu();
  emit popup->aboutToShow();
  QCOMPARE(MenuTexts(*popup), (QStringList{"arrange by Filename", "arrange by Extension", "arrange by Size",
                                            "arrange by Modification Time", "-", "In Ascending", "In Descending"}));
  QVERIFY(popup->actions()[0]->isChecked());  // by name, ascending
  QVERIFY(popup->actions()[5]->isChecked());
  QVERIFY(!popup->actions()[6]->isChecked());
  popup->actions()[2]->trigger();  // by size, keeping the order
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "plain.bin", "hashed.bin"}));
  emit popup->aboutToShow();
  popup->actions()[6]->trigger();  // descending, keeping the column
  QCOMPARE(b.Names(), (std::vector<std::string>{"..", "hashed.bin", "plain.bin"}));
  emit popup->aboutToShow();
  QVERIFY(popup->actions()[2]->isChecked());
  QVERIFY(popup->actions()[6]->isChecked());
  // The audio view's popup has its own columns.
  b.list->TabBar()->setCurrentIndex(1);
  emit popup->aboutToShow();
  QVERIFY(MenuTexts(*popup).contains(QStringLiteral("arrange by Audio - Title")));
  QCOMPARE(MenuTexts(*popup).size(), 12 + 3);
}

void ItemListTest::eachViewModeShowsItsColumns() {
  Browsing b;
  b.Open("Music");
  struct Mode {
    int view;
    int rowHeight;
    bool tiles;
  } modes[] = {{0, 18, false}, {1, 18, false}, {2, 18, false}, {3, 18, false}, {4, 102, false}, {5, 0, true}};
  for (int tab = 0; tab < 6; ++tab) {
    const Mode& mode = modes[tab];
    b.list->TabBar()->setCurrentIndex(tab);
    QCOMPARE(b.list->View(), mode.view);
    const ColumnSet& set = b.fixture.settings->listColumnSets[static_cast<size_t>(mode.view)];
    QStringList expected;
    for (const ShownColumn& spec : set.columns) {
      if (spec.isShown) expected << QString::fromStdString(std::string(ColumnTitle(spec.columnId)));
    }
    QStringList shown;
    for (int c = 0; c < b.list->Model()->columnCount(); ++c) {
      shown << b.list->Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    QCOMPARE(shown, expected);
    QCOMPARE(b.list->CurrentView() == b.list->Tiles(), mode.tiles);
    if (!mode.tiles) {
      QCOMPARE(b.list->ReportView()->visualRect(b.list->Model()->index(1, 0)).height(), mode.rowHeight);
    }
  }
  // The audio view shows the tags.
  b.list->TabBar()->setCurrentIndex(1);
  QModelIndex title = b.list->Model()->index(b.Row("01 Morning.mp3"), b.list->Model()->ColumnOf(ColumnId::kTitle));
  QCOMPARE(title.data().toString(), QStringLiteral("Morning Tide"));
  // A volume scanned without attachments offers the main view only, and the list goes back to it.
  b.fixture.WriteVolume("plain.vkt", "Plain", 2);
  b.window->Run(browse::Command::kRefreshVolumes);
  b.fixture.ChooseVolume(b.fixture.volumeDirectory + "/plain.vkt");
  QCOMPARE(b.list->TabBar()->count(), 1);
  QCOMPARE(b.list->TabBar()->tabText(0), QStringLiteral(" Main "));
  QCOMPARE(b.list->View(), 0);
}

void ItemListTest::sizeBarsShowShares() {
  Browsing b;
  b.list->SetColumnShown(3, true);  // Size% of the main view
  QVERIFY(b.list->Model()->ColumnOf(ColumnId::kSizePercent) >= 0);
  QVERIFY(b.fixture.settings->listColumnSets[0].columns[3].isShown);
  b.Open("Sums");
  b.list->ReportView()->selectionModel()->clearSelection();
  const QColor bar = b.list->palette().color(QPalette::Mid);
  auto barLength = [&](const std::string& name) {
    QImage cell = CellPixels(*b.list, b.Row(name), ColumnId::kSizePercent);
    int longest = 0;
    for (int y = 0; y < cell.height(); ++y) {
      int run = 0;
      for (int x = 0; x < cell.width(); ++x) run = cell.pixel(x, y) == bar.rgb() ? run + 1 : run;
      longest = std::max(longest, run);
    }
    return std::make_pair(longest, cell.width());
  };
  auto [hashed, width] = barLength("hashed.bin");
  QCOMPARE(hashed, (width - 3) * 99 / 100);  // all but 10 bytes of the folder: 99 % of the cell less 3 pixels
  QVERIFY(barLength("plain.bin").first == 0);
  QCOMPARE(barLength("..").first, 0);
  // A folder whose rows total 0 bytes draws no bar at all.
  b.Open("..");
  b.Open("Empty");
  QCOMPARE(b.list->Model()->TotalSize(), uint64_t{0});
  QVERIFY(!b.list->Model()->index(b.Row("Inner"), b.list->Model()->ColumnOf(ColumnId::kSizePercent))
               .data(ItemListModel::kSizePercentRole)
               .isValid());
  QCOMPARE(barLength("Inner").first, 0);
}

void ItemListTest::thumbnailsAreDrawnAndDamagedOnesAreNot() {
  Browsing b;
  b.Open("Pictures");
  b.list->TabBar()->setCurrentIndex(4);  // " Images"
  b.list->ReportView()->selectionModel()->clearSelection();
  ItemListModel* model = b.list->Model();
  int thumbnail = model->ColumnOf(ColumnId::kThumbnail);
  QVERIFY(thumbnail >= 0);
  QImage red = model->index(b.Row("red.jpg"), thumbnail).data(ItemListModel::kThumbnailRole).value<QImage>();
  QCOMPARE(red.size(), QSize(100, 75));
  QVERIFY(model->index(b.Row("damaged.gif"), thumbnail).data(ItemListModel::kThumbnailRole).value<QImage>().isNull());
  QVERIFY(RedPixels(CellPixels(*b.list, b.Row("red.jpg"), ColumnId::kThumbnail)) > 1000);
  // The damaged thumbnail's cell holds its background and nothing else.
  QCOMPARE(Colours(CellPixels(*b.list, b.Row("damaged.gif"), ColumnId::kThumbnail)), 1);
  // Image Info lines in the tall rows of the images view.
  QModelIndex info = model->index(b.Row("red.jpg"), model->ColumnOf(ColumnId::kImageInfo));
  QCOMPARE(info.data(ItemListModel::kLinesRole).toStringList(),
           (QStringList{"1024 x 768", "16 Million Colors", "24 bits"}));
}

void ItemListTest::tilesAtAnyWidth() {
  Browsing b;
  b.Open("Pictures");
  b.list->TabBar()->setCurrentIndex(5);  // " Thumbnails"
  TileView* tiles = b.list->Tiles();
  QCOMPARE(b.list->CurrentView(), tiles);
  // Wide enough for all three tiles in a row.
  b.window->resize(1400, 700);
  QTest::qWait(20);
  QVERIFY(tiles->viewport()->width() >= 3 * 106 + 8);
  QCOMPARE(tiles->Layout().Columns() >= 3, true);
  int redRow = b.Row("red.jpg");
  QRect redTile = tiles->visualRect(b.list->Model()->index(redRow, 0));
  QCOMPARE(redTile.size(), QSize(106, 121));
  QCOMPARE(tiles->indexAt(redTile.center()).row(), redRow);
  tiles->selectionModel()->clearSelection();
  QVERIFY(RedPixels(tiles->viewport()->grab(redTile).toImage()) > 1000);
  int damagedRow = b.Row("damaged.gif");
  QCOMPARE(RedPixels(tiles->viewport()->grab(tiles->visualRect(b.list->Model()->index(damagedRow, 0))).toImage()), 0);
  // A click selects, the arrow keys move, a double click on a file asks for what it does.
  QTest::mouseClick(tiles->viewport(), Qt::LeftButton, {}, redTile.center());
  QCOMPARE(b.list->CurrentRowIndex(), redRow);
  tiles->setFocus();
  QTest::keyClick(tiles, Qt::Key_Home);
  QCOMPARE(b.list->CurrentRowIndex(), 0);
  QTest::keyClick(tiles, Qt::Key_Right);
  QCOMPARE(b.list->CurrentRowIndex(), 1);
  // A view one pixel wide still lays the tiles out, one a row.
  tiles->resize(1, 400);
  QCOMPARE(tiles->Layout().Columns(), 1);
  QCOMPARE(tiles->visualRect(b.list->Model()->index(3, 0)).top(),
           tiles->visualRect(b.list->Model()->index(2, 0)).top() + 121 + browse::kTileGap);
  tiles->viewport()->grab();  // painting a narrow view draws nothing out of place
  // Enter on the up entry goes up.
  b.list->SelectRow(0);
  QTest::keyClick(tiles, Qt::Key_Return);
  QCOMPARE(b.pane->CurrentFolder(), browse::kRootKey);
}

void ItemListTest::columnAndThumbnailMenus() {
  Browsing b;
  QMenu menu;
  b.list->AddListEntries(menu);
  QMenu* columns = menu.actions().front()->menu();
  QVERIFY(columns != nullptr);
  QCOMPARE(MenuTexts(*columns), (QStringList{"Icon", "Name", "Type", "Size%", "Size", "Modified", "Attr", "CRC32",
                                             "Description"}));
  QVERIFY(!columns->actions()[3]->isChecked());
  columns->actions()[7]->trigger();  // CRC32 on
  QVERIFY(b.fixture.settings->listColumnSets[0].columns[7].isShown);
  QVERIFY(b.list->Model()->ColumnOf(ColumnId::kCrc32) >= 0);
  columns->actions()[2]->trigger();  // Type off
  QCOMPARE(b.list->Model()->ColumnOf(ColumnId::kType), -1);
  // The thumbnail view's entries.
  b.Open("Pictures");
  b.list->TabBar()->setCurrentIndex(5);
  QMenu tileMenu;
  b.list->AddListEntries(tileMenu);
  QStringList texts = MenuTexts(tileMenu);
  QVERIFY(texts.contains(QStringLiteral("100 x 100  (Standart Size)")));
  QVERIFY(texts.contains(QStringLiteral("Show image size in thumbnail")));
  for (QAction* action : tileMenu.actions()) {
    if (action->text() == QStringLiteral("50 x 50  (Small Size)")) action->trigger();
    if (action->text() == QStringLiteral("Show image colors in thumbnail")) action->trigger();
  }
  QCOMPARE(b.list->TileStyle().thumbnailSize, 50);
  QVERIFY(b.list->TileStyle().showImageColors);
  QCOMPARE(b.list->Tiles()->visualRect(b.list->Model()->index(0, 0)).size(), QSize(56, 83));
  // The saved configuration keeps the shown columns.
  QVERIFY(b.fixture.settings->Save());
}

void ItemListTest::tilesAndDrawnCellsAreAccessible() {
  Browsing b;
  b.Open("Pictures");
  b.list->TabBar()->setCurrentIndex(5);
  TileView* tiles = b.list->Tiles();
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(tiles);
  QVERIFY(list != nullptr);
  QCOMPARE(list->role(), QAccessible::List);
  QCOMPARE(list->childCount(), b.list->Model()->rowCount());
  int redRow = b.Row("red.jpg");
  QAccessibleInterface* red = list->child(redRow);
  QVERIFY(red != nullptr);
  QCOMPARE(red->role(), QAccessible::ListItem);
  QCOMPARE(red->text(QAccessible::Name), QStringLiteral("red.jpg"));
  QCOMPARE(red->text(QAccessible::Description), QStringLiteral("1024 x 768, 16 Million Colors"));
  QCOMPARE(list->indexOfChild(red), redRow);
  QVERIFY(!red->state().selected);
  red->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(b.list->CurrentRowIndex(), redRow);
  QVERIFY(red->state().selected);
  QCOMPARE(list->childAt(red->rect().center().x(), red->rect().center().y()), red);
  // A new order makes new tiles.
  b.list->RunArrangeCommand(browse::kArrangeDescendingCommand);
  QCOMPARE(list->child(b.Row("red.jpg"))->text(QAccessible::Name), QStringLiteral("red.jpg"));
  // The drawn cells of the report views say what they show.
  b.list->TabBar()->setCurrentIndex(4);
  ItemListModel* model = b.list->Model();
  QCOMPARE(model->index(b.Row("red.jpg"), model->ColumnOf(ColumnId::kThumbnail)).data(Qt::AccessibleTextRole).toString(),
           QStringLiteral("Thumbnail"));
  QCOMPARE(model->index(b.Row("damaged.gif"), model->ColumnOf(ColumnId::kThumbnail)).data(Qt::AccessibleTextRole).toString(),
           QString());
  b.Open("..");
  b.Open("Sums");
  b.list->TabBar()->setCurrentIndex(0);
  b.list->SetColumnShown(3, true);
  QCOMPARE(model->index(b.Row("hashed.bin"), model->ColumnOf(ColumnId::kSizePercent)).data(Qt::AccessibleTextRole).toString(),
           QStringLiteral("99%"));
}

VOLUMIST_UI_TEST_MAIN(ItemListTest)
#include "item_list_test.moc"
