// The painted command strip driven with the mouse, the keys and the accessibility interface, and
// its tooltips.
#include <QAccessible>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include "browse/command_strip.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using browse::StripButton;

class CommandStripTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void clicksRunTheBodyOrOpenTheMenu();
  void hoverHighlightsOnlyEnabledButtons();
  void keysAndMenusShareTheButtonsState();
  void accessibleChildrenArePressable();
  void keyboardReachesEveryButton();
  void tooltipsFollowTheOptions();
};

void CommandStripTest::clicksRunTheBodyOrOpenTheMenu() {
  ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  CommandStripWidget* strip = window.Strip();
  QSignalSpy menus(strip, &CommandStripWidget::MenuOpened);

  // Left of the 13-pixel zone of "New..." starts the single-source scan (the scan dialog's seam).
  QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(201, 20));
  QCOMPARE(fixture.scanEditorCalls, 1);
  QCOMPARE(menus.count(), 0);
  // Inside the zone it opens the menu at the button's left edge and starts nothing.
  QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(202, 20));
  QCOMPARE(fixture.scanEditorCalls, 1);
  QCOMPARE(menus.count(), 1);
  QMenu* menu = window.Actions().Menu(StripButton::kNew);
  QVERIFY(menu->isVisible());
  QCOMPARE(menu->pos(), strip->mapToGlobal(QPoint(158, 45)));
  QCOMPARE(menu->actions().size(), 3);
  menu->close();
  // "Options" has no zone: its rightmost pixel opens the options dialog.
  fixture.dialogs.scripts.push_back([](QDialog& dialog) { dialog.reject(); });
  QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(510, 20));
  QCOMPARE(fixture.dialogs.runs, 1);
  QVERIFY(fixture.dialogs.scripts.empty());
  // Between buttons nothing happens.
  QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(154, 20));
  QCOMPARE(fixture.dialogs.runs, 1);
  QCOMPARE(fixture.scanEditorCalls, 1);
  QCOMPARE(menus.count(), 1);
}

void CommandStripTest::hoverHighlightsOnlyEnabledButtons() {
  ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  CommandStripWidget* strip = window.Strip();
  QTest::mouseMove(strip, QPoint(170, 20));
  QTRY_COMPARE(strip->HoveredButton(), static_cast<int>(StripButton::kNew));
  // "Apply" is off without pending edits.
  QTest::mouseMove(strip, QPoint(80, 20));
  QTRY_COMPARE(strip->HoveredButton(), -1);
  QTest::mouseMove(strip, QPoint(460, 20));
  QTRY_COMPARE(strip->HoveredButton(), static_cast<int>(StripButton::kOptions));
}

void CommandStripTest::keysAndMenusShareTheButtonsState() {
  ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  ActionRegistry& actions = window.Actions();
  // One action per command: the strip's button, the menu entry and the key are the same object.
  QCOMPARE(actions.Action(Command::kApply)->shortcut(), QKeySequence(Qt::Key_F3));
  QVERIFY(window.actions().contains(actions.Action(Command::kNewVolume)));
  QVERIFY(actions.Menu(StripButton::kNew)->actions().contains(actions.Action(Command::kNewSingle)));
  QVERIFY(!actions.Action(Command::kApply)->isEnabled());
  QVERIFY(!window.Strip()->State().enabled[static_cast<size_t>(StripButton::kApply)]);
  // Every key F1 to F10 is bound.
  for (int key = 1; key <= 10; ++key) {
    bool bound = false;
    for (QAction* action : window.actions()) bound |= action->shortcut() == QKeySequence(Qt::Key_F1 + key - 1);
    QVERIFY2(bound, qPrintable(QStringLiteral("F%1").arg(key)));
  }
  // F5 reaches the same start as the button.
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_F5);
  QCOMPARE(fixture.scanEditorCalls, 1);
}

void CommandStripTest::accessibleChildrenArePressable() {
  ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(window.Strip());
  QVERIFY(strip != nullptr);
  QCOMPARE(strip->role(), QAccessible::ToolBar);
  QCOMPARE(strip->childCount(), 10);  // "Stop" is hidden
  QStringList names;
  for (int i = 0; i < strip->childCount(); ++i) names << strip->child(i)->text(QAccessible::Name);
  QCOMPARE(names, QStringList({"Volumes", "Apply", "Undo", "New...", "Add...", "Update", "Search", "Export",
                               "Options", "Help"}));
  QAccessibleInterface* apply = strip->child(1);
  QVERIFY(apply->state().disabled);
  QCOMPARE(apply->role(), QAccessible::PushButton);
  QAccessibleInterface* newButton = strip->child(3);
  QCOMPARE(newButton->role(), QAccessible::ButtonDropDown);
  QCOMPARE(newButton->text(QAccessible::Accelerator), QStringLiteral("F5"));
  QVERIFY(newButton->text(QAccessible::Description).startsWith("Scan & Save new volumes."));
  QCOMPARE(strip->indexOfChild(newButton), 3);
  QAccessibleActionInterface* press = newButton->actionInterface();
  QVERIFY(press != nullptr);
  QCOMPARE(press->actionNames(), QStringList({QAccessibleActionInterface::pressAction(),
                                              QAccessibleActionInterface::showMenuAction()}));
  press->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(fixture.scanEditorCalls, 1);
  press->doAction(QAccessibleActionInterface::showMenuAction());
  QVERIFY(window.Actions().Menu(StripButton::kNew)->isVisible());
  window.Actions().Menu(StripButton::kNew)->close();
  // Pressing the disabled "Apply" does nothing.
  apply->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(fixture.dialogs.runs, 0);
}

void CommandStripTest::keyboardReachesEveryButton() {
  ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  CommandStripWidget* strip = window.Strip();
  strip->setFocus();
  QTRY_VERIFY(strip->hasFocus());
  QCOMPARE(strip->FocusedButton(), 0);
  QTest::keyClick(strip, Qt::Key_Left);  // wraps to the last button
  QCOMPARE(strip->FocusedButton(), static_cast<int>(StripButton::kHelp));
  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  QCOMPARE(strip->FocusedButton(), static_cast<int>(StripButton::kNew));
  QTest::keyClick(strip, Qt::Key_Return);
  QCOMPARE(fixture.scanEditorCalls, 1);
  QTest::keyClick(strip, Qt::Key_Down);
  QTRY_VERIFY(window.Actions().Menu(StripButton::kNew)->isVisible());
  window.Actions().Menu(StripButton::kNew)->close();
  QCOMPARE(fixture.scanEditorCalls, 1);
}

void CommandStripTest::tooltipsFollowTheOptions() {
  ui::testing::WindowFixture fixture;
  MainWindow& window = fixture.Open();
  CommandStripWidget* strip = window.Strip();
  QVERIFY(fixture.settings->ShowTooltips);
  QString tip = strip->ToolTipFor(StripButton::kUndo);
  // Passed as escaped text: the key in angle brackets is shown, not taken for markup.
  QVERIFY2(tip.contains("Undo all changes.  &lt;F4&gt;"), qPrintable(tip));
  QVERIFY(tip.contains("\n    Undo description changes."));
  QVERIFY(!window.Volumes()->DirectoryButton()->toolTip().isEmpty());

  // Options, "Show tooltips." cleared, OK: no tooltips anywhere.
  fixture.dialogs.scripts.push_back([](QDialog& dialog) {
    auto& options = static_cast<CDialog_Options&>(dialog);
    QCOMPARE(options.General()->ToolTipsItem()->checkState(), Qt::Checked);
    options.General()->ToolTipsItem()->setCheckState(Qt::Unchecked);
    dialog.accept();
  });
  window.Run(Command::kOptions);
  QVERIFY(!fixture.settings->ShowTooltips);
  QVERIFY(strip->ToolTipFor(StripButton::kUndo).isEmpty());
  QVERIFY(window.Volumes()->DirectoryButton()->toolTip().isEmpty());
  QVERIFY(window.Statistics()->toolTip().isEmpty());

  // Cancel changes nothing; OK with the box checked again brings them back.
  fixture.dialogs.scripts.push_back([](QDialog& dialog) {
    static_cast<CDialog_Options&>(dialog).General()->ToolTipsItem()->setCheckState(Qt::Checked);
    dialog.reject();
  });
  window.Run(Command::kOptions);
  QVERIFY(strip->ToolTipFor(StripButton::kUndo).isEmpty());
  fixture.dialogs.scripts.push_back([](QDialog& dialog) {
    static_cast<CDialog_Options&>(dialog).General()->ToolTipsItem()->setCheckState(Qt::Checked);
    dialog.accept();
  });
  window.Run(Command::kOptions);
  QVERIFY(!strip->ToolTipFor(StripButton::kUndo).isEmpty());
  QVERIFY(!window.Statistics()->toolTip().isEmpty());
  QCOMPARE(fixture.dialogs.unexpected, 0);
}

VOLUMIST_UI_TEST_MAIN(CommandStripTest)
#include "command_strip_test.moc"
