#include "catalog/catalog_time.h"

#include "catalog/value_format.h"
#include "catalog/volume_writer.h"

namespace volumist {

bool CatalogTime::ReadFrom(FieldReader& in) {
  seconds_ = static_cast<int32_t>(in.U32());
  return in.ok();
}

void CatalogTime::WriteTo(VolumeWriter& out) const { out.WriteU32(static_cast<uint32_t>(seconds_)); }

std::string CatalogTime::FormatLong() const { return FormatDateTime(*this); }
std::string CatalogTime::FormatShort() const { return FormatDate(*this); }

}  // namespace volumist
