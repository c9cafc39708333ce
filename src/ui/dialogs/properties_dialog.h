// CDialogProperties ("Properties"): one item of the loaded volume (or none), the volume, and the
// medium the item's source was scanned from with a pie chart of its space. The item's description,
// the volume's description and the volume's name can be edited; OK stores what changed
// (browse::ApplyPropertiesEdits), Cancel nothing. What is shown comes from browse::GatherProperties.
//
//   + Folder/File info: ------------------------------------------+
//   | [icon] Type: JPEG image        [ ] Archive  [x] Hidden       |
//   | Location: /Disc/Photos         [ ] System   [ ] Read-Only    |
//   | Name: summer.jpg   Size: 1.46 MB  (1 536 000 Bytes)          |
//   | Created: 09.09.2001 01:46      Description: [             ]  |
//   +--------------------------------------------------------------+
//   [Volume scanning info][Media(Disk) info]
//   | name, counts, file size, time, description | label ... pie  |
//                                                  [OK] [Cancel]
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <functional>
#include <optional>

#include "browse/properties_rules.h"
#include "catalog/prompter.h"
#include "ui/pie_chart.h"
#include "ui/services.h"

namespace volumist::ui {

class CPage_VolumeInfo final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_VolumeInfo(const browse::VolumeProperties& volume, QWidget* parent = nullptr);

  QLineEdit* NameField() const { return name_; }
  QLabel* FoldersText() const { return folders_; }
  QLabel* FilesText() const { return files_; }
  QLabel* ArchivesText() const { return archives_; }
  QLabel* FileSizeText() const { return fileSize_; }
  QLabel* CreatedText() const { return created_; }
  QPlainTextEdit* DescriptionField() const { return description_; }

 private:
  QLineEdit* name_;
  QLabel* folders_;
  QLabel* files_;
  QLabel* archives_;
  QLabel* fileSize_;
  QLabel* created_;
  QPlainTextEdit* description_;
};

class CPage_MediaInfo final : public QWidget {
  Q_OBJECT

 public:
  // Without a medium the page stays empty and shows no chart.
  explicit CPage_MediaInfo(const std::optional<browse::MediaProperties>& media, QWidget* parent = nullptr);

  QLabel* LabelText() const { return label_; }
  QLabel* TypeText() const { return type_; }
  QLabel* SerialText() const { return serial_; }
  QLabel* FileSystemText() const { return fileSystem_; }
  QLabel* ScanPathText() const { return scanPath_; }
  QLabel* PresentText() const { return present_; }
  PieChart* Chart() const { return chart_; }

 private:
  QLabel* label_;
  QLabel* type_;
  QLabel* serial_;
  QLabel* fileSystem_;
  QLabel* scanPath_;
  QLabel* present_;
  PieChart* chart_;
};

class CDialogProperties final : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog for the loaded `volume` and, when given, `item`; on OK stores the edits into
  // the volume and returns what was stored. Nothing on Cancel. `isMediumPresent` may be empty (no
  // medium counts as present).
  static std::optional<browse::PropertiesOutcome> Show(VolumeCatalog& volume,
                                                       const std::optional<browse::PropertiesItem>& item,
                                                       const std::function<bool(const SourceEntry&)>& isMediumPresent,
                                                       Prompter& prompter, DialogRunner& runner, QWidget* parent);

  CDialogProperties(browse::PropertiesData properties, Prompter& prompter, QWidget* parent = nullptr);

  const browse::PropertiesData& Data() const { return data_; }
  // The editable fields as they are now; unchanged texts keep their bytes.
  browse::PropertiesEdits Edits() const;

  QLabel* TypeText() const { return type_; }
  QLabel* LocationText() const { return location_; }
  QLabel* NameText() const { return name_; }
  QLabel* SizeText() const { return size_; }
  QLabel* CreatedText() const { return created_; }
  QCheckBox* ArchiveBox() const { return archive_; }
  QCheckBox* HiddenBox() const { return hidden_; }
  QCheckBox* SystemBox() const { return system_; }
  QCheckBox* ReadOnlyBox() const { return readOnly_; }
  QPlainTextEdit* ItemDescriptionField() const { return itemDescription_; }
  QTabWidget* Tabs() const { return tabs_; }
  CPage_VolumeInfo* VolumePage() const { return volumePage_; }
  CPage_MediaInfo* MediaPage() const { return mediaPage_; }

  // Refuses a volume name longer than the file's field (the message says so) and stays open.
  void accept() override;

 private:
  browse::PropertiesData data_;
  Prompter& prompter_;
  QString shownVolumeName_;
  QString shownVolumeDescription_;
  QString shownItemDescription_;
  QLabel* type_;
  QLabel* location_;
  QLabel* name_;
  QLabel* size_;
  QLabel* created_;
  QCheckBox* archive_;
  QCheckBox* hidden_;
  QCheckBox* system_;
  QCheckBox* readOnly_;
  QPlainTextEdit* itemDescription_;
  QTabWidget* tabs_;
  CPage_VolumeInfo* volumePage_;
  CPage_MediaInfo* mediaPage_;
};

}  // namespace volumist::ui
