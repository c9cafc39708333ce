#include "ui/prompters.h"

#include <QMessageBox>
#include <QThread>
#include <string>

#include "browse/window_captions.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

QString BoxTitle() { return ToQString(browse::WindowTitle()).trimmed(); }

}  // namespace

void MessageBoxPrompter::ShowError(std::string_view text) {
  QMessageBox::critical(parent_, BoxTitle(), ToQString(text));
}

void MessageBoxPrompter::ShowInfo(std::string_view text) {
  QMessageBox::information(parent_, BoxTitle(), ToQString(text));
}

bool MessageBoxPrompter::AskYesNo(std::string_view text) {
  return QMessageBox::question(parent_, BoxTitle(), ToQString(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

ThreadSafePrompter::ThreadSafePrompter(Prompter& gui) : gui_(gui), context_(std::make_unique<QObject>()) {}

ThreadSafePrompter::~ThreadSafePrompter() = default;

bool ThreadSafePrompter::OnGuiThread() const { return QThread::currentThread() == context_->thread(); }

void ThreadSafePrompter::ShowError(std::string_view text) {
  if (OnGuiThread()) {
    gui_.ShowError(text);
    return;
  }
  QMetaObject::invokeMethod(context_.get(), [this, copy = std::string(text)] { gui_.ShowError(copy); },
                            Qt::QueuedConnection);
}

void ThreadSafePrompter::ShowInfo(std::string_view text) {
  if (OnGuiThread()) {
    gui_.ShowInfo(text);
    return;
  }
  QMetaObject::invokeMethod(context_.get(), [this, copy = std::string(text)] { gui_.ShowInfo(copy); },
                            Qt::QueuedConnection);
}

bool ThreadSafePrompter::AskYesNo(std::string_view text) { return OnGuiThread() && gui_.AskYesNo(text); }

}  // namespace volumist::ui
