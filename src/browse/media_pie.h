// The pie chart of a medium's space in the properties dialog: three slices ("Total: ", "Used: ",
// "Free: ") with their angles in whole degrees, colours and labels, and where each wedge lies once
// drawn from a start angle. The widget paints what this says.
//
//          .-""""-.        Total: 4.00 GB   (legend only, angle 0)
//        /  Used   \       Used:  3.00 GB   (360 - free angle)
//       |    75%    |      Free:  1.00 GB   (free x 360 / total)
//        \    .----/
//         '-.-' 25%
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace volumist::browse {

struct PieColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const PieColour&, const PieColour&) = default;
};

struct PieSlice {
  int angle = 0;  // whole degrees, 0 to 360
  PieColour fill;
  PieColour text;
  std::string label;
  friend bool operator==(const PieSlice&, const PieSlice&) = default;
};

struct MediaPie {
  std::vector<PieSlice> slices;  // "Total: ", "Used: ", "Free: " in this order
  uint64_t usedBytes = 0;
  uint64_t freeBytes = 0;        // the free bytes shown: never more than the total
};

inline constexpr PieColour kPieTotalFill{236, 233, 228};
inline constexpr PieColour kPieUsedFill{180, 36, 87};
inline constexpr PieColour kPieFreeFill{206, 203, 188};
inline constexpr PieColour kPieLabelColour{255, 255, 255};

// The chart of a medium with `totalBytes` of capacity and `freeBytes` free; nothing when the total
// is 0. Free space reported above the total (a damaged volume, some network file systems) counts as
// the total. No free space shows a free wedge of 1 degree beside a used one of 359, so that a full
// disc still shows both; otherwise the free angle is free x 360 / total (computed without overflow,
// rounded down) and the used angle the rest. The angles are 0 to 360 and add up to 360.
std::optional<MediaPie> MakeMediaPie(uint64_t totalBytes, uint64_t freeBytes);

// A wedge wider than 25 degrees shows its share of the circle, "%.0f%%" of angle x 100 / 360.
std::optional<std::string> PieShareText(int angle);

// Where a slice lies once the slices are drawn one after another counter-clockwise from
// `startAngle` (degrees, 0 at three o'clock): its first angle, its span and the angle of its middle,
// where its share is written. Slices of angle 0 get a span of 0 and are shown only in the legend.
struct PieWedge {
  int startAngle = 0;
  int spanAngle = 0;
  double middleAngle = 0;
  std::optional<std::string> share;
};
std::vector<PieWedge> PieWedges(const MediaPie& pie, int startAngle);

}  // namespace volumist::browse
