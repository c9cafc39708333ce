// What the window does with the selected item on this computer ("Execute File", "Edit File",
// "Open in Explorer") and the help page. The item is found through browse::LocateItem; the desktop
// is reached through the injected Launcher, which answers later, so nothing here waits. Its
// messages: "Can not proceed. Please, select some folder or file first." without a row, "Can not
// proceed. This folder or file is not present in this system." when the item cannot be found, and
// "Operation completed unsuccessfully." when the desktop could not open it.
//
// GUI thread only. The launcher and the prompter must outlive the object; an answer that arrives
// after `context` is gone is dropped.
#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "browse/item_row.h"
#include "browse/locate_item.h"
#include "catalog/prompter.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"
#include "ui/services.h"

namespace volumist::ui {

enum class ItemVerb { kOpen, kEdit, kExplore };

class ItemActions {
 public:
  ItemActions(Launcher& launcher, Prompter& prompter, platform::FileSystem& fileSystem, browse::MediumCheck isMediumPresent,
              QObject* context);

  // Runs `verb` on `row` of the loaded `volume` (null row: none selected). Nothing without a volume.
  void Run(ItemVerb verb, VolumeCatalog* volume, const browse::ItemRow* row);
  // Opens help.htm of the first of `dataFolders` that holds it in the desktop's browser ("Operation
  // completed unsuccessfully." when none does).
  void ShowHelp(const std::vector<std::string>& dataFolders);

 private:
  Launcher::Done Report();

  Launcher& launcher_;
  Prompter& prompter_;
  platform::FileSystem& fileSystem_;
  browse::MediumCheck isMediumPresent_;
  QPointer<QObject> context_;
};

// The help page's file name, in one of the program's data folders (browse::DataFolders).
inline constexpr char kHelpFileName[] = "help.htm";

}  // namespace volumist::ui
