// The window over the sample volume (support/sample_volume.h), loaded, and the steps the browsing
// tests take through it: rows by name, opening and selecting them, the tree's current folder.
#pragma once

#include <QTreeView>
#include <string>
#include <vector>

#include "browse/folder_listing.h"
#include "ui/support/sample_volume.h"
#include "ui/support/window_fixture.h"

namespace volumist::ui::testing {

// The window over the sample volume, loaded.
class Browsing {
 public:
  // `launcher` (when given) takes the place of the recording one.
  explicit Browsing(const std::string& extraRoot = "/source1", Launcher* launcher = nullptr) {
    fixture.launcherOverride = launcher;
    path = fixture.volumeDirectory + "/media.vkt";
    if (!WriteSampleVolume(path, extraRoot)) qWarning("could not write the sample volume");
    window = &fixture.Open();
    window->show();
    fixture.ChooseVolume(path);
    pane = window->Browse();
    list = pane->FileList();
  }

  // The row of `name` in the list (".." for the up entry), or -1.
  int Row(const std::string& name) const {
    for (int i = 0; i < list->Model()->rowCount(); ++i) {
      if (list->Model()->RowAt(i)->name == name) return i;
    }
    return -1;
  }
  const browse::ItemRow& RowOf(const std::string& name) const { return *list->Model()->RowAt(Row(name)); }
  void Open(const std::string& name) { pane->ActivateRow(Row(name)); }
  // Selects a row as a click would and lets the panes follow.
  void Select(const std::string& name) {
    list->SelectRow(Row(name));
    pane->RefreshPanes();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const browse::ItemRow& row : list->Model()->Rows()) names.push_back(row.name);
    return names;
  }
  RecordKey TreeKey() const { return pane->TreeModel()->KeyOf(pane->FolderTree()->currentIndex()); }
  // The key of the folder at `names` below the top, read from the volume.
  RecordKey KeyOf(const std::vector<std::string>& names) const {
    RecordKey folder = browse::kRootKey;
    for (const std::string& name : names) {
      std::optional<browse::FolderListing> listing = browse::ReadFolderListing(*window->LoadedVolume(), folder);
      if (!listing) return 0;
      for (const browse::ItemRow& row : listing->rows) {
        if (row.kind != browse::RowKind::kUp && row.name == name) folder = row.key;
      }
    }
    return folder;
  }
  bool Enabled(browse::Command command) const { return window->Actions().Action(command)->isEnabled(); }

  WindowFixture fixture;
  std::string path;
  MainWindow* window = nullptr;
  BrowsePane* pane = nullptr;
  ItemList* list = nullptr;
};

}  // namespace volumist::ui::testing
