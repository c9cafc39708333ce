#include "ui/dialogs/duplicates_model.h"

#include <QFont>

#include "browse/duplicates_rules.h"
#include "catalog/item_path.h"
#include "catalog/value_format.h"
#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

// The path as the window shows names: the names themselves joined by "/", a byte that is not UTF-8
// as a replacement character (the path language's escapes are for the command line).
QString ShownPath(const std::string& path) {
  std::string problem;
  std::optional<std::vector<std::string>> names = ParseItemPath(path, problem);
  if (!names) return ToQString(path);
  QString shown;
  for (const std::string& name : *names) {
    if (!shown.isEmpty()) shown += QLatin1Char('/');
    shown += ToQString(name);
  }
  return shown;
}

}  // namespace

void DuplicatesModel::SetGroups(std::vector<DuplicateGroup> groups, DuplicateVolumes volumes) {
  beginResetModel();
  groups_ = std::move(groups);
  volumes_ = std::move(volumes);
  endResetModel();
}

const DuplicateMember* DuplicatesModel::MemberAt(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this || index.internalId() == 0) return nullptr;
  const size_t group = static_cast<size_t>(index.internalId() - 1);
  if (group >= groups_.size() || static_cast<size_t>(index.row()) >= groups_[group].members.size()) return nullptr;
  return &groups_[group].members[static_cast<size_t>(index.row())];
}

QModelIndex DuplicatesModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount) return {};
  if (!parent.isValid()) {
    if (static_cast<size_t>(row) >= groups_.size()) return {};
    return createIndex(row, column, quintptr{0});
  }
  if (parent.internalId() != 0 || parent.column() != 0) return {};
  const size_t group = static_cast<size_t>(parent.row());
  if (group >= groups_.size() || static_cast<size_t>(row) >= groups_[group].members.size()) return {};
  return createIndex(row, column, static_cast<quintptr>(group + 1));
}

QModelIndex DuplicatesModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == 0) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr{0});
}

int DuplicatesModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(groups_.size());
  if (parent.internalId() != 0 || parent.column() != 0) return 0;
  const size_t group = static_cast<size_t>(parent.row());
  return group < groups_.size() ? static_cast<int>(groups_[group].members.size()) : 0;
}

int DuplicatesModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant DuplicatesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (index.internalId() == 0) {
    const DuplicateGroup& group = groups_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) {
      if (index.column() == kPath) return ToQString(browse::GroupCaption(group));
      if (index.column() == kSize) return ToQString(FormatSizeGrouped(group.size));
    }
    if (role == Qt::FontRole) {
      QFont font;
      font.setBold(true);
      return font;
    }
    if (role == Qt::TextAlignmentRole && index.column() == kSize) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  const DuplicateMember* member = MemberAt(index);
  if (member == nullptr) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
      case kPath: {
        QString path = ShownPath(member->path);
        if (member->inArchive) path += QStringLiteral("  (%1)").arg(QLatin1String(browse::duplicates_text::kArchiveMember));
        return path;
      }
      case kVolume: return member->volume < volumes_.size() ? ToQString(volumes_[member->volume].name) : QString();
      case kSize: return ToQString(FormatSizeGrouped(member->size));
      case kTime: return ToQString(FormatDateTime(member->modifiedTime));
      default: return {};
    }
  }
  if (role == Qt::TextAlignmentRole && index.column() == kSize) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant DuplicatesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  using namespace browse::duplicates_text;
  switch (section) {
    case kPath: return QLatin1String(kColumnPath);
    case kVolume: return QLatin1String(kColumnVolume);
    case kSize: return QLatin1String(kColumnSize);
    case kTime: return QLatin1String(kColumnTime);
    default: return {};
  }
}

}  // namespace volumist::ui
