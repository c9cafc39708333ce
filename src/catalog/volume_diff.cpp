#include "catalog/volume_diff.h"

#include "catalog/messages.h"
#include "catalog/volume_catalog.h"

namespace volumist {
namespace {

TreeSource SourceOf(const SourceEntry& entry) {
  return TreeSource{entry.sourceName.Text(), entry.rootPath.Text(), entry.isFolderSource, entry.treeStartKey,
                    entry.treeEndKey};
}

}  // namespace

std::vector<SourcePairing> PairSources(const SourceList& first, const SourceList& second) {
  std::vector<SourcePairing> pairings;
  if (first.size() == 1 && second.size() == 1) {
    pairings.push_back({0, 0, SourceFate::kRescanned});
    return pairings;
  }
  // In the second volume's order, so the report reads like the newer volume; then what is gone.
  std::vector<bool> paired(first.size(), false);
  for (size_t n = 0; n < second.size(); ++n) {
    std::optional<size_t> match;
    for (size_t o = 0; o < first.size(); ++o) {
      if (!paired[o] && first[o].sourceName.Text() == second[n].sourceName.Text()) {
        match = o;
        break;
      }
    }
    if (match) paired[*match] = true;
    pairings.push_back({match, n, match ? SourceFate::kRescanned : SourceFate::kNew});
  }
  for (size_t o = 0; o < first.size(); ++o) {
    if (!paired[o]) pairings.push_back({o, std::nullopt, SourceFate::kLeftOut});
  }
  return pairings;
}

std::optional<ChangeReport> DiffVolumes(platform::FileSystem& fileSystem, Prompter& prompter,
                                        const std::string& firstPath, const std::string& secondPath) {
  // The catalogs read each header and source list; the comparison reads the trees through files of
  // its own.
  VolumeCatalog first(fileSystem, prompter);
  VolumeCatalog second(fileSystem, prompter);
  if (!first.OpenVolume(firstPath, false) || !second.OpenVolume(secondPath, false)) return std::nullopt;
  platform::OpenResult firstFile = fileSystem.OpenForRead(first.VolumeFilePath());
  platform::OpenResult secondFile = fileSystem.OpenForRead(second.VolumeFilePath());
  if (!firstFile || !secondFile) {
    prompter.ShowError(messages::kCompareDamaged);
    return std::nullopt;
  }
  std::vector<TreeSource> oldSources;
  for (const SourceEntry& entry : first.Sources().Entries()) oldSources.push_back(SourceOf(entry));
  std::vector<TreeSource> newSources;
  for (const SourceEntry& entry : second.Sources().Entries()) newSources.push_back(SourceOf(entry));

  ChangeReport report;
  report.volumeName = second.Header().volumeName;
  report.volumeFile = second.VolumeFilePath();
  TreeComparison comparison;
  if (!comparison.ReadOld(*firstFile.file, first.Header().treeStart, oldSources,
                          PairSources(first.Sources(), second.Sources())) ||
      !comparison.Compare(*secondFile.file, second.Header().treeStart, newSources, report)) {
    prompter.ShowError(messages::kCompareDamaged);
    return std::nullopt;
  }
  return report;
}

}  // namespace volumist
