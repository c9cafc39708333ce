// One QAction per command of the main window, made here and nowhere else, shared by the command
// strip, the menus and the function keys: an enabled state set once holds for all three. Also the
// menus of the strip's buttons and the volume list's arrangement menu (a radio group).
#pragma once

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QObject>
#include <QWidget>
#include <array>
#include <memory>

#include "browse/command.h"
#include "browse/command_state.h"
#include "browse/command_strip.h"

namespace volumist::ui {

class ActionRegistry final : public QObject {
  Q_OBJECT

 public:
  // The actions are added to `window`, whose keys (F1 to F10) then reach them while it is active.
  explicit ActionRegistry(QWidget& window);
  ~ActionRegistry() override;

  QAction* Action(browse::Command command) const { return actions_[static_cast<size_t>(command)]; }
  // The drop-down menu of a strip button (null for buttons without one).
  QMenu* Menu(browse::StripButton button) const { return menus_[static_cast<size_t>(button)].get(); }
  QMenu* ArrangeMenu() const { return arrangeMenu_.get(); }
  // The "Files" menu of the file list: the selected item's commands, its searches, the exports and
  // the signatures.
  QMenu* FilesMenu() const { return filesMenu_.get(); }

  // Enables every action by the window's state.
  void ApplyState(const browse::ShellState& state);
  // The strip's state as the actions have it, so the strip never disagrees with the keys.
  browse::StripState StripState(bool scanning) const;
  // Checks arrangement 0 to 5 (exactly one of the six is checked).
  void CheckArrangement(int arrangement);

 signals:
  void Triggered(browse::Command command);

 private:
  std::array<QAction*, browse::kCommandCount> actions_{};
  std::array<std::unique_ptr<QMenu>, browse::kStripButtonCount> menus_;
  std::unique_ptr<QMenu> arrangeMenu_;
  std::unique_ptr<QMenu> filesMenu_;
  QActionGroup* arrangeGroup_ = nullptr;
};

}  // namespace volumist::ui
