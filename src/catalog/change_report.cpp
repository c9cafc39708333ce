#include "catalog/change_report.h"

namespace volumist {

ChangeCounts CountItems(const std::vector<ItemChange>& items) {
  ChangeCounts counts;
  for (const ItemChange& item : items) {
    if (item.kind == ItemKind::kFolder) {
      ++counts.folders;
    } else {
      ++counts.files;
    }
  }
  return counts;
}

namespace {

template <typename Member>
ChangeCounts Sum(const std::vector<SourceChanges>& sources, Member member) {
  ChangeCounts sum;
  for (const SourceChanges& source : sources) {
    ChangeCounts counts = CountItems(source.*member);
    sum.folders += counts.folders;
    sum.files += counts.files;
  }
  return sum;
}

}  // namespace

ChangeCounts ChangeReport::Added() const { return Sum(sources, &SourceChanges::added); }
ChangeCounts ChangeReport::Removed() const { return Sum(sources, &SourceChanges::removed); }
size_t ChangeReport::Changed() const { return Sum(sources, &SourceChanges::changed).Total(); }
size_t ChangeReport::Moved() const { return Sum(sources, &SourceChanges::moved).Total(); }

bool ChangeReport::HasChanges() const {
  for (const SourceChanges& source : sources) {
    if (source.fate != SourceFate::kRescanned && source.fate != SourceFate::kKept) return true;
  }
  return Added().Total() + Removed().Total() + Changed() + Moved() > 0 || !lostDescriptions.empty();
}

const char* KindWord(ItemKind kind) {
  switch (kind) {
    case ItemKind::kFolder: return "folder";
    case ItemKind::kFile: return "file";
    case ItemKind::kArchive: return "archive";
  }
  return "file";
}

const char* FateWord(SourceFate fate) {
  switch (fate) {
    case SourceFate::kRescanned: return "rescanned";
    case SourceFate::kNew: return "new";
    case SourceFate::kKept: return "kept";
    case SourceFate::kDropped: return "dropped";
    case SourceFate::kLeftOut: return "left out";
  }
  return "rescanned";
}

}  // namespace volumist
