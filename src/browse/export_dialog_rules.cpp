#include "browse/export_dialog_rules.h"

#include <algorithm>
#include <utility>

#include "export/xml_exporter.h"

namespace volumist::browse {

ExportForm ExportFormFromOptions(const ExportOptions& options, bool searchResultsAvailable) {
  ExportForm form;
  form.searchResultsAvailable = searchResultsAvailable;
  form.exportFrom = options.exportFrom;
  if (form.exportFrom == ExportFrom::kSearchResults && !searchResultsAvailable) form.exportFrom = ExportFrom::kFullVolume;
  if (static_cast<uint32_t>(form.exportFrom) > static_cast<uint32_t>(ExportFrom::kSearchResults)) {
    form.exportFrom = ExportFrom::kFullVolume;
  }
  std::array<bool, kExportColumnCount + 1> listed{};
  auto add = [&](int id) {
    if (id < 1 || id > kExportColumnCount || listed[static_cast<size_t>(id)]) return;
    listed[static_cast<size_t>(id)] = true;
    form.columns.push_back({id, options.IsColumnEnabled(id)});
  };
  for (uint8_t id : options.columnOrder) add(id);
  for (int id = 1; id <= kExportColumnCount; ++id) add(id);
  form.options = {options.saveArchiveContent, options.saveVolumeInfo, options.saveTotals, options.saveSignatures,
                  options.saveMedia};
  form.writeRoot = options.writeRoot;
  form.writeVolume = options.writeVolume;
  form.writeContent = options.writeContent;
  form.attributeForm = options.attributeForm;
  return form;
}

int MoveExportColumn(ExportForm& form, int row, bool up) {
  const int count = static_cast<int>(form.columns.size());
  if (row < 0 || row >= count) return row;
  const int other = up ? row - 1 : row + 1;
  if (other < 0 || other >= count) return row;
  std::swap(form.columns[static_cast<size_t>(row)], form.columns[static_cast<size_t>(other)]);
  return other;
}

void ResetExportColumns(ExportForm& form) {
  std::stable_sort(form.columns.begin(), form.columns.end(),
                   [](const ExportColumnRow& a, const ExportColumnRow& b) { return a.id < b.id; });
}

bool ReadExportForm(const ExportForm& form, ExportOptions& options) {
  options.exportFrom = form.exportFrom;
  const auto option = [&](ExportOption which) { return form.options[static_cast<size_t>(which)]; };
  options.saveArchiveContent = option(ExportOption::kArchiveContent);
  options.saveVolumeInfo = option(ExportOption::kVolumeInfo);
  options.saveTotals = option(ExportOption::kTotals);
  options.saveSignatures = option(ExportOption::kSignatures);
  options.saveMedia = option(ExportOption::kMedia);
  for (size_t i = 0; i < options.columnOrder.size(); ++i) {
    options.columnOrder[i] = i < form.columns.size() ? static_cast<uint8_t>(form.columns[i].id) : 0;
  }
  for (const ExportColumnRow& row : form.columns) options.SetColumnEnabled(row.id, row.checked);
  options.writeRoot = form.writeRoot;
  options.writeVolume = form.writeVolume;
  options.writeContent = form.writeContent;
  options.attributeForm = form.attributeForm;
  if (!NeedsRootElement(options)) return false;
  options.writeRoot = true;
  return true;
}

bool IsExportCommand(Command command) {
  return command == Command::kExport || command == Command::kExportVolume || command == Command::kExportFolder ||
         command == Command::kExportFolderTree;
}

ExportFrom ExportFromForCommand(Command command, ExportFrom last) {
  switch (command) {
    case Command::kExportVolume: return ExportFrom::kFullVolume;
    case Command::kExportFolder: return ExportFrom::kCurrentFolder;
    case Command::kExportFolderTree: return ExportFrom::kCurrentFolderAndSubfolders;
    default: return last;
  }
}

void PrepareExportStart(ExportOptions& options, RecordKey currentFolder) {
  options.startPath.clear();
  switch (options.exportFrom) {
    case ExportFrom::kCurrentFolder:
      options.startPosition = currentFolder;
      options.includeSubfolders = false;
      break;
    case ExportFrom::kCurrentFolderAndSubfolders:
      options.startPosition = currentFolder;
      options.includeSubfolders = true;
      break;
    case ExportFrom::kSearchResults:
      options.startPosition = 0;
      options.includeSubfolders = false;
      break;
    case ExportFrom::kFullVolume:
    default:
      options.startPosition = 0;
      options.includeSubfolders = true;
      break;
  }
}

std::string ExportFileName(std::string_view volumeName) {
  std::string name(volumeName);
  for (char& c : name) {
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) c = '_';
  }
  if (name.empty() || name == "." || name == "..") name = "volume";
  return name + ".xml";
}

std::string WithXmlExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string_view name = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  // A leading dot names a hidden file, not an extension.
  if (name.empty() || name.find('.', 1) != std::string_view::npos) return path;
  return path + "." + export_text::kXmlDefaultSuffix;
}

std::string ReplaceFileQuestion(const std::string& path) {
  return "The file " + path + " already exists. Do you want to replace it?";
}

}  // namespace volumist::browse
