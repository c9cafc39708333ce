// The command strip across the top of the main window: eleven painted buttons at fixed positions in
// logical pixels, their drop-down zones and menus, the hit test of a mouse position, and the
// tooltips. The widget paints what this says and forwards the hits.
//
//   x:  9      66 73  112 151 158    215 216   ...
//       +-------+ +----+----+ +--------+-+ +----...   y 1
//       |Volumes| |Appl|Undo| | New... |v| | Add...   (v: the 13-pixel drop-down zone)
//       +-------+ +----+----+ +--------+-+ +----...   y 45, where menus open
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "browse/command.h"

namespace volumist::browse {

enum class StripButton : int {
  kVolumes = 0,
  kApply,
  kUndo,
  kNew,
  kAdd,
  kUpdate,
  kSearch,
  kExport,
  kOptions,
  kHelp,
  kStop,  // in the place of "New..." while a scan runs
};
inline constexpr int kStripButtonCount = 11;

inline constexpr int kStripTop = 1;      // first row of the buttons
inline constexpr int kStripBottom = 45;  // first row below them; menus open here
inline constexpr int kStripHeight = kStripBottom - kStripTop;
inline constexpr int kDropDownWidth = 13;
// The width the strip needs: the right edge of "Help".
inline constexpr int kStripWidth = 512 + 57;

struct StripButtonLayout {
  StripButton button;
  std::string_view caption;
  int left;
  int width;
  // The command of a click on the body. Buttons without an action of their own ("Volumes",
  // "Update") open their menu from the whole button.
  Command command;
  bool hasDropDown;
  bool opensMenuOnly;
  std::span<const Command> menu;  // the drop-down entries, in order
};

std::span<const StripButtonLayout> StripButtons();
const StripButtonLayout& LayoutOf(StripButton button);

// "New..." is hidden while a scan runs and "Stop" is shown only then; the others are always shown.
bool IsButtonShown(StripButton button, bool scanning);

struct StripState {
  std::array<bool, kStripButtonCount> enabled{};
  bool scanning = false;
};

struct StripHit {
  enum class Kind { kNothing, kCommand, kMenu };
  Kind kind = Kind::kNothing;
  int button = -1;                    // index of the button hit, -1 for none
  Command command = Command::kVolumes;  // for kCommand

  friend bool operator==(const StripHit&, const StripHit&) = default;
};

// The shown button under (x, y) in the strip's logical pixels, -1 for none. Disabled buttons count.
int ButtonAt(int x, int y, bool scanning);
// What a click at (x, y) does: runs the button's command, opens its menu (in the rightmost 13
// pixels of a button with a drop-down zone, or anywhere on a button that only has a menu), or
// nothing (outside every shown button, or on a disabled one).
StripHit HitTest(int x, int y, const StripState& state);
// The button to highlight for the mouse at (x, y): an enabled shown button, else -1.
int HoverButton(int x, int y, const StripState& state);
// Where the button's menu opens: its left edge, at the strip's bottom.
struct StripPoint {
  int x;
  int y;
};
StripPoint MenuPosition(StripButton button);

// The tooltip of a button: a first line and further lines that begin with four blanks.
std::span<const std::string_view> ToolTipLines(StripButton button);
// The lines joined by newlines, as one multi-line tip.
std::string JoinToolTip(std::span<const std::string_view> lines);

}  // namespace volumist::browse
