#include "catalog/tree_walk.h"

namespace volumist {

TreeWalker::TreeWalker(VolumeCatalog& volume, bool compact) : volume_(volume), compact_(compact) {}

void TreeWalker::Start() {
  position_ = volume_.Header().treeStart;
  limit_ = volume_.Header().treeEnd;
  open_.clear();
  leavePending_ = false;
}

void TreeWalker::StartInside(const NestingFields& container) {
  position_ = container.contentOffset;
  limit_ = std::min<uint64_t>(volume_.AbsoluteOffset(container.endKey), volume_.Header().treeEnd);
  open_.clear();
  leavePending_ = false;
}

TreeWalker::Step TreeWalker::Next() {
  if (leavePending_) {
    leavePending_ = false;
    open_.pop_back();
  }
  RecordReader& records = volume_.Records();
  while (position_ < limit_) {
    records.Seek(position_);
    offset_ = position_;
    key_ = static_cast<RecordKey>(position_ - volume_.Header().treeStart);
    RecordTag tag = records.ReadTag();
    switch (tag.kind) {
      case RecordKind::kSourceMark: {
        auto number = records.ReadSourceMark();
        if (!number) return Step::kDamaged;
        markNumber_ = *number;
        position_ = records.Position();
        return Step::kSourceMark;
      }
      case RecordKind::kDescriptionIndex:
        position_ += 1;
        continue;
      case RecordKind::kFolder:
        if (!records.ReadFolderRecord(tag, folder_)) return Step::kDamaged;
        position_ = records.Position();
        open_.push_back(folder_.name.Text());
        return Step::kFolder;
      case RecordKind::kArchive:
        if (!records.ReadArchiveRecord(tag, archive_, compact_)) return Step::kDamaged;
        position_ = records.Position();
        open_.push_back(compact_ ? archive_.name.Text() : archive_.name.Text() + archive_.extension.Text());
        return Step::kArchive;
      case RecordKind::kFile:
        if (!records.ReadFileRecord(tag, file_, compact_)) return Step::kDamaged;
        position_ = records.Position();
        return Step::kFile;
      case RecordKind::kFolderEnd:
        position_ += 1;
        // A folder end that closes nothing (the second end of a source's root) is passed over.
        if (open_.empty()) continue;
        leavePending_ = true;
        return Step::kLeave;
      case RecordKind::kNone:
        return Step::kEnd;
      case RecordKind::kUnknown:
        return Step::kDamaged;
    }
  }
  return Step::kEnd;
}

}  // namespace volumist
