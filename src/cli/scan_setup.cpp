#include "cli/scan_setup.h"

#include "cli/console_prompter.h"

namespace volumist::cli {

ScanSetup LoadScanSetup(CommandContext& context) {
  ScanSetup setup;
  setup.volumeDirectory = context.fileSystem.CurrentDirectory().value_or(".");
  return setup;
}

void StoreVolumeCounter(CommandContext&, uint32_t) {}

ScanSource ParseSource(CommandContext& context, const std::string& argument) {
  ScanSource source;
  std::string path = argument;
  if (size_t equals = argument.find('='); equals != std::string::npos && equals > 0) {
    source.sourceName = argument.substr(0, equals);
    path = argument.substr(equals + 1);
  }
  if (path.empty() || path.front() != '/') {
    path = platform::JoinPath(context.fileSystem.CurrentDirectory().value_or("."), path);
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  source.path = path;
  if (source.sourceName.empty()) {
    source.sourceName = platform::BaseNameOf(path);
    if (source.sourceName.empty()) source.sourceName = path;
  }
  source.isFolderSource = true;
  return source;
}

std::string ResolveVolumeArgument(CommandContext& context, const std::string& argument) {
  if (context.fileSystem.Status(argument)) return argument;
  return platform::JoinPath(LoadScanSetup(context).volumeDirectory, argument);
}

DriveControl DrivesForScan() { return DriveControl{}; }

void AnswerYes(CommandContext& context) {
  if (auto* console = dynamic_cast<ConsolePrompter*>(&context.prompter)) console->SetAssumeYes(true);
}

}  // namespace volumist::cli
