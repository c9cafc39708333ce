// Gives every STEP-th file of a volume a description and saves them all at once, for the rescan
// benchmark (a volume with many descriptions to carry over).
//
//   describe_every_tool VOLUME STEP
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "catalog/catalog_record.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_catalog.h"
#include "catalog/prompter.h"

namespace {

// Prints messages; answers every question No.
class PrintingPrompter final : public volumist::Prompter {
 public:
  void ShowError(std::string_view text) override { std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data()); }
  void ShowInfo(std::string_view text) override { ShowError(text); }
  bool AskYesNo(std::string_view text) override {
    ShowError(text);
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atol(argv[2]) <= 0) {
    std::fprintf(stderr, "usage: describe_every_tool VOLUME STEP\n");
    return 2;
  }
  const long step = std::atol(argv[2]);
  PrintingPrompter prompter;
  volumist::VolumeCatalog volume(volumist::platform::FileSystem::Default(), prompter);
  if (!volume.OpenVolume(argv[1])) return 1;
  std::vector<volumist::RecordKey> keys;
  volumist::TreeWalker walker(volume, false);
  walker.Start();
  long files = 0;
  for (auto next = walker.Next(); next != volumist::TreeWalker::Step::kEnd; next = walker.Next()) {
    if (next == volumist::TreeWalker::Step::kDamaged) return 1;
    if (next == volumist::TreeWalker::Step::kFile && files++ % step == 0) {
      keys.push_back(volumist::FileDescriptionKey(walker.Key()));
    }
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    if (!volume.SetDescription(keys[i], "description number " + std::to_string(i))) return 1;
  }
  if (!volume.SaveDescriptions()) return 1;
  std::printf("%zu descriptions\n", keys.size());
  return 0;
}
