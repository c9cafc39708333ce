// The window's prompters. MessageBoxPrompter shows message boxes and belongs to the GUI thread.
// ThreadSafePrompter is what the core is given: on the GUI thread it passes every call straight on;
// on any other thread (a scan or search worker) it posts errors and notices to the GUI thread and
// returns at once, so a worker never opens a window and never waits for the user, and joining a
// worker never waits on a message that the GUI thread has not shown yet.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "catalog/prompter.h"

namespace volumist::ui {

class MessageBoxPrompter final : public Prompter {
 public:
  // The boxes are modal to `parent` (may be null, or change later with SetParent).
  explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowError(std::string_view text) override;
  void ShowInfo(std::string_view text) override;
  bool AskYesNo(std::string_view text) override;

 private:
  QPointer<QWidget> parent_;
};

class ThreadSafePrompter final : public Prompter {
 public:
  // `gui` must outlive this prompter. Must be made on the GUI thread. Messages posted by workers and
  // not shown yet when this prompter goes away are dropped.
  explicit ThreadSafePrompter(Prompter& gui);
  ~ThreadSafePrompter() override;

  void ShowError(std::string_view text) override;
  void ShowInfo(std::string_view text) override;
  // Only the GUI thread asks: a question from another thread is answered No without being shown.
  bool AskYesNo(std::string_view text) override;

 private:
  bool OnGuiThread() const;

  Prompter& gui_;
  std::unique_ptr<QObject> context_;  // lives on the GUI thread; receives the posted messages
};

}  // namespace volumist::ui
