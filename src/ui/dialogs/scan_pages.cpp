#include "ui/dialogs/scan_pages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "browse/scan_dialog_rules.h"

namespace volumist::ui {

CPage_Scan_Single::CPage_Scan_Single(QWidget* parent) : QWidget(parent) {
  setAccessibleName(QLatin1String(browse::text::kSingleSourceTab));
  auto* label = new QLabel(QLatin1String(browse::text::kChooseDriveLabel), this);
  driveModel_ = new DriveListModel(this);
  drives_ = new QTreeView(this);
  drives_->setModel(driveModel_);
  drives_->setRootIsDecorated(false);
  drives_->setUniformRowHeights(true);
  drives_->setSelectionMode(QAbstractItemView::SingleSelection);
  drives_->setSelectionBehavior(QAbstractItemView::SelectRows);
  drives_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  drives_->setAllColumnsShowFocus(true);
  drives_->header()->setStretchLastSection(true);
  drives_->header()->resizeSection(DriveListModel::kDriveColumn, 200);
  drives_->header()->resizeSection(DriveListModel::kTypeColumn, 90);
  drives_->setAccessibleName(QStringLiteral("Drives"));
  label->setBuddy(drives_);

  cdDrives_ = new QCheckBox(QLatin1String(browse::text::kCdDrivesBox), this);
  localDrives_ = new QCheckBox(QLatin1String(browse::text::kLocalDrivesBox), this);
  removable_ = new QCheckBox(QLatin1String(browse::text::kRemovableBox), this);

  path_ = new QLineEdit(this);
  path_->setAccessibleName(QStringLiteral("Path for scanning"));
  path_->setPlaceholderText(QStringLiteral("Path for scanning"));
  browse_ = new QPushButton(QLatin1String(browse::text::kBrowseButton), this);

  auto* nameLabel = new QLabel(QLatin1String(browse::text::kSourceNameLabel), this);
  sourceName_ = new QLineEdit(this);
  sourceName_->setMaxLength(255);
  nameLabel->setBuddy(sourceName_);
  eject_ = new QCheckBox(QLatin1String(browse::text::kEjectAfterScanBox), this);

  auto* filters = new QHBoxLayout();
  filters->addWidget(cdDrives_);
  filters->addWidget(localDrives_);
  filters->addWidget(removable_);
  filters->addStretch(1);

  auto* pathRow = new QHBoxLayout();
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse_);

  auto* nameRow = new QHBoxLayout();
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(sourceName_, 1);
  nameRow->addSpacing(12);
  nameRow->addWidget(eject_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(drives_, 1);
  layout->addLayout(filters);
  layout->addLayout(pathRow);
  layout->addLayout(nameRow);
}

CPage_Scan_Advanced::CPage_Scan_Advanced(QWidget* parent) : QWidget(parent) {
  setAccessibleName(QLatin1String(browse::text::kMultipleSourcesTab));
  auto* label = new QLabel(QLatin1String(browse::text::kScanningListLabel), this);
  sourceModel_ = new ScanSourceModel(this);
  sources_ = new QTreeView(this);
  sources_->setModel(sourceModel_);
  sources_->setRootIsDecorated(false);
  sources_->setUniformRowHeights(true);
  sources_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  sources_->setSelectionBehavior(QAbstractItemView::SelectRows);
  sources_->setAllColumnsShowFocus(true);
  // A click on a selected name edits it in place, as F2 and a double click do.
  sources_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::DoubleClicked);
  sources_->header()->resizeSection(ScanSourceModel::kNameColumn, 180);
  sources_->setAccessibleName(QStringLiteral("Scanning list"));
  label->setBuddy(sources_);

  build_ = new QPushButton(QLatin1String(browse::text::kBuildScanningListButton), this);
  clear_ = new QPushButton(QLatin1String(browse::text::kClearButton), this);

  auto* buttons = new QHBoxLayout();
  buttons->addWidget(build_);
  buttons->addWidget(clear_);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(sources_, 1);
  layout->addLayout(buttons);
}

}  // namespace volumist::ui
