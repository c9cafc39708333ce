#include "browse/media_pie.h"

#include <algorithm>
#include <cstdio>

#include "catalog/value_format.h"

namespace volumist::browse {

std::optional<MediaPie> MakeMediaPie(uint64_t totalBytes, uint64_t freeBytes) {
  if (totalBytes == 0) return std::nullopt;
  MediaPie pie;
  pie.freeBytes = std::min(freeBytes, totalBytes);
  int freeAngle = 1;
  if (pie.freeBytes == 0) {
    pie.usedBytes = totalBytes;
  } else {
    // free <= total, so the quotient is at most 360; the product needs more than 64 bits.
    freeAngle = static_cast<int>(static_cast<unsigned __int128>(pie.freeBytes) * 360 / totalBytes);
    pie.usedBytes = totalBytes - pie.freeBytes;
  }
  pie.slices = {
      {0, kPieTotalFill, kPieLabelColour, "Total: " + FormatSizeShort(totalBytes)},
      {360 - freeAngle, kPieUsedFill, kPieLabelColour, "Used: " + FormatSizeShort(pie.usedBytes)},
      {freeAngle, kPieFreeFill, kPieLabelColour, "Free: " + FormatSizeShort(pie.freeBytes)},
  };
  return pie;
}

std::optional<std::string> PieShareText(int angle) {
  if (angle <= 25) return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof text, "%.0f%%", angle * 100.0 / 360.0);
  return std::string(text);
}

std::vector<PieWedge> PieWedges(const MediaPie& pie, int startAngle) {
  std::vector<PieWedge> wedges;
  int at = startAngle;
  for (const PieSlice& slice : pie.slices) {
    int span = std::clamp(slice.angle, 0, 360);
    wedges.push_back({at, span, at + span / 2.0, PieShareText(span)});
    at += span;
  }
  return wedges;
}

}  // namespace volumist::browse
