#include "catalog/volume_header.h"

#include <cstring>

#include "catalog/utf8.h"
#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

void VolumeHeader::Reset() {
  treeStart = treeEnd = descriptionsStart = descriptionIndexStart = 0;
  counters.Set({});
  scanOptions = ScanOptions{};
  contentSize.Set(0);
  volumeName.clear();
}

bool VolumeHeader::Read(FieldReader& in) {
  treeStart = in.U32();
  treeEnd = in.U32();
  descriptionsStart = in.U32();
  descriptionIndexStart = in.U32();
  Counters values;
  values.folderCount = in.U32();
  values.fileCount = in.U32();
  values.archiveCount = in.U32();
  values.totalFolderCount = in.U32();
  values.totalFileCount = in.U32();
  counters.Set(values);
  OptionsSummary summary;
  in.Bytes(summary.data(), summary.size());
  scanOptions = DecodeOptionsSummary(summary);
  contentSize.Set(in.U64());
  contentSize.SetWidth(8);
  char name[format::kVolumeNameFieldSize];
  in.Bytes(name, sizeof name);
  volumeName.assign(name, strnlen(name, format::kVolumeNameMaxLength));
  return in.ok();
}

void VolumeHeader::EncodeRewritten(uint8_t (&bytes)[57]) const {
  Counters values = counters.Snapshot();
  uint32_t fields[9] = {treeStart, treeEnd, descriptionsStart, descriptionIndexStart, values.folderCount,
                        values.fileCount, values.archiveCount, values.totalFolderCount, values.totalFileCount};
  for (int i = 0; i < 9; ++i) EncodeFixed(bytes + 4 * i, fields[i], 4);
  OptionsSummary summary = EncodeOptionsSummary(scanOptions);
  std::memcpy(bytes + 36, summary.data(), summary.size());
  EncodeFixed(bytes + 49, contentSize.Value(), 8);
}

void VolumeHeader::Write(VolumeWriter& out) const {
  uint8_t bytes[57];
  EncodeRewritten(bytes);
  out.Write(bytes, sizeof bytes);
  char name[format::kVolumeNameFieldSize] = {};
  std::memcpy(name, volumeName.data(), Utf8CutLength(volumeName, format::kVolumeNameMaxLength));
  out.Write(name, sizeof name);
}

}  // namespace volumist
