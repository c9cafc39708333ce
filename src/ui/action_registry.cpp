#include "ui/action_registry.h"

#include <QKeySequence>

#include "ui/bridge/text.h"
#include "ui/drive_icons.h"
#include "ui/icons.h"

namespace volumist::ui {

using browse::Command;
using browse::StripButton;

namespace {

// The desktop's keys for moving between folders and for an item's properties.
QKeySequence NavigationKey(Command command) {
  switch (command) {
    case Command::kBack: return QKeySequence(QKeySequence::Back);
    case Command::kForward: return QKeySequence(QKeySequence::Forward);
    case Command::kUp: return QKeySequence(Qt::ALT | Qt::Key_Up);
    case Command::kRoot: return QKeySequence(Qt::ALT | Qt::Key_Home);
    case Command::kProperties: return QKeySequence(Qt::ALT | Qt::Key_Return);
    default: return {};
  }
}

}  // namespace

ActionRegistry::ActionRegistry(QWidget& window) : QObject(&window) {
  for (const browse::CommandInfo& info : browse::AllCommands()) {
    auto* action = new QAction(ToQString(info.text), this);
    action->setIcon(CommandIcon(info.command));
    action->setIconVisibleInMenu(false);
    if (info.functionKey > 0) {
      action->setShortcut(QKeySequence(Qt::Key_F1 + (info.functionKey - 1)));
      action->setShortcutContext(Qt::WindowShortcut);
      window.addAction(action);
    } else if (QKeySequence key = NavigationKey(info.command); !key.isEmpty()) {
      action->setShortcut(key);
      action->setShortcutContext(Qt::WindowShortcut);
      window.addAction(action);
    }
    if (info.command == Command::kProperties) {
      // The desktop's key for properties; the command strip has no button for it.
      action->setIcon(PropertiesIcon());
      action->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
      action->setShortcutContext(Qt::WindowShortcut);
      window.addAction(action);
    }
    Command command = info.command;
    connect(action, &QAction::triggered, this, [this, command] { emit Triggered(command); });
    actions_[static_cast<size_t>(command)] = action;
  }
  for (const browse::StripButtonLayout& layout : browse::StripButtons()) {
    if (layout.menu.empty()) continue;
    auto menu = std::make_unique<QMenu>(&window);
    menu->setTitle(ToQString(layout.caption));
    for (Command entry : layout.menu) menu->addAction(Action(entry));
    menus_[static_cast<size_t>(layout.button)] = std::move(menu);
  }
  arrangeMenu_ = std::make_unique<QMenu>(&window);
  arrangeGroup_ = new QActionGroup(this);
  arrangeGroup_->setExclusive(true);
  for (int i = 0; i < 6; ++i) {
    QAction* action = Action(browse::ArrangeCommand(i));
    action->setCheckable(true);
    arrangeGroup_->addAction(action);
    arrangeMenu_->addAction(action);
  }
  CheckArrangement(0);

  filesMenu_ = std::make_unique<QMenu>(QStringLiteral("Files"), &window);
  filesMenu_->addAction(Action(Command::kProperties));
  filesMenu_->addSeparator();
  for (Command command : {Command::kExecuteFile, Command::kEditFile, Command::kOpenInExplorer}) {
    filesMenu_->addAction(Action(command));
  }
  filesMenu_->addSeparator();
  for (Command command : {Command::kSearchCurrentFolder, Command::kFindThisItem, Command::kFindCopyOfItem}) {
    filesMenu_->addAction(Action(command));
  }
  filesMenu_->addSeparator();
  QMenu* exports = filesMenu_->addMenu(QStringLiteral("Export"));
  for (Command command : {Command::kExportFolder, Command::kExportFolderTree, Command::kExportVolume,
                          Command::kExportFileList}) {
    exports->addAction(Action(command));
  }
  QMenu* signatures = filesMenu_->addMenu(QStringLiteral("Signatures"));
  signatures->addAction(Action(Command::kGetEd2kLink));
  signatures->addAction(Action(Command::kCreateMd5CheckFile));
}

ActionRegistry::~ActionRegistry() = default;

void ActionRegistry::ApplyState(const browse::ShellState& state) {
  for (const browse::CommandInfo& info : browse::AllCommands()) {
    Action(info.command)->setEnabled(browse::IsCommandEnabled(info.command, state));
  }
}

browse::StripState ActionRegistry::StripState(bool scanning) const {
  browse::StripState strip;
  strip.scanning = scanning;
  for (const browse::StripButtonLayout& layout : browse::StripButtons()) {
    strip.enabled[static_cast<size_t>(layout.button)] = Action(layout.command)->isEnabled();
  }
  return strip;
}

void ActionRegistry::CheckArrangement(int arrangement) {
  if (arrangement >= 0 && arrangement < 6) Action(browse::ArrangeCommand(arrangement))->setChecked(true);
}

}  // namespace volumist::ui
