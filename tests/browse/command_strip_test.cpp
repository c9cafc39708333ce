// The command strip: what a click at each position does in each state, the hover highlight, the
// menus' anchors and the tooltips.
#include <gtest/gtest.h>

#include <string>

#include "browse/command_state.h"
#include "browse/command_strip.h"

namespace volumist::browse {
namespace {

using Kind = StripHit::Kind;
using B = StripButton;
using C = Command;

StripState Idle() { return StripStateFor({.volumeLoaded = true, .pendingEdits = true, .scanning = false}); }
StripState NoEdits() { return StripStateFor({.volumeLoaded = true, .pendingEdits = false, .scanning = false}); }
StripState Scanning() { return StripStateFor({.volumeLoaded = true, .pendingEdits = true, .scanning = true}); }

struct HitCase {
  const char* name;
  int x;
  int y;
  StripState state;
  StripHit expected;
};

StripHit Click(B button, C command) { return {Kind::kCommand, static_cast<int>(button), command}; }
StripHit Menu(B button) { return {Kind::kMenu, static_cast<int>(button), LayoutOf(button).command}; }
StripHit Nothing() { return {}; }

TEST(CommandStripTest, HitTestTable) {
  const HitCase cases[] = {
      {"left of the first button", 8, 20, Idle(), Nothing()},
      {"Volumes has only a menu: its left edge", 9, 20, Idle(), Menu(B::kVolumes)},
      {"Volumes: its last pixel", 65, 20, Idle(), Menu(B::kVolumes)},
      {"gap after Volumes", 66, 20, Idle(), Nothing()},
      {"Apply, no drop-down zone, first pixel", 73, 20, Idle(), Click(B::kApply, C::kApply)},
      {"Apply, no drop-down zone, last pixel", 111, 20, Idle(), Click(B::kApply, C::kApply)},
      {"Undo starts where Apply ends", 112, 20, Idle(), Click(B::kUndo, C::kUndo)},
      {"Undo, last pixel", 150, 20, Idle(), Click(B::kUndo, C::kUndo)},
      {"gap after Undo", 151, 20, Idle(), Nothing()},
      {"Apply without pending edits is off", 90, 20, NoEdits(), Nothing()},
      {"Undo without pending edits is off", 120, 20, NoEdits(), Nothing()},
      {"New... body starts a scan", 158, 20, Idle(), Click(B::kNew, C::kNewVolume)},
      {"New... one pixel left of the drop-down zone", 201, 20, Idle(), Click(B::kNew, C::kNewVolume)},
      {"New... first pixel of the 13-pixel zone", 202, 20, Idle(), Menu(B::kNew)},
      {"New... last pixel of the zone", 214, 20, Idle(), Menu(B::kNew)},
      {"gap after New...", 215, 20, Idle(), Nothing()},
      {"Add... body", 216, 20, Idle(), Click(B::kAdd, C::kAddToVolume)},
      {"Add... zone", 260, 20, Idle(), Menu(B::kAdd)},
      {"Update has only a menu", 274, 20, Idle(), Menu(B::kUpdate)},
      {"Update, last pixel", 330, 20, Idle(), Menu(B::kUpdate)},
      {"Search body", 381, 20, Idle(), Click(B::kSearch, C::kSearch)},
      {"Search zone", 382, 20, Idle(), Menu(B::kSearch)},
      {"Export body", 396, 20, Idle(), Click(B::kExport, C::kExport)},
      {"Export zone", 440, 20, Idle(), Menu(B::kExport)},
      {"Options, no zone, last pixel", 510, 20, Idle(), Click(B::kOptions, C::kOptions)},
      {"Help body", 555, 20, Idle(), Click(B::kHelp, C::kHelp)},
      {"Help zone", 556, 20, Idle(), Menu(B::kHelp)},
      {"right of Help", 569, 20, Idle(), Nothing()},
      {"above the strip", 170, 0, Idle(), Nothing()},
      {"first row of the strip", 170, 1, Idle(), Click(B::kNew, C::kNewVolume)},
      {"last row of the strip", 170, 44, Idle(), Click(B::kNew, C::kNewVolume)},
      {"below the strip", 170, 45, Idle(), Nothing()},
      {"Stop in the place of New...", 158, 20, Scanning(), Click(B::kStop, C::kStop)},
      {"Stop has no drop-down zone", 210, 20, Scanning(), Click(B::kStop, C::kStop)},
      {"Volumes is off while scanning", 30, 20, Scanning(), Nothing()},
      {"Add... is off while scanning", 220, 20, Scanning(), Nothing()},
      {"Add... zone is off while scanning", 260, 20, Scanning(), Nothing()},
      {"Update is off while scanning", 280, 20, Scanning(), Nothing()},
      {"Search is off while scanning", 350, 20, Scanning(), Nothing()},
      {"Export is off while scanning", 400, 20, Scanning(), Nothing()},
      {"Apply is off while scanning", 80, 20, Scanning(), Nothing()},
      {"Options stays on while scanning", 460, 20, Scanning(), Click(B::kOptions, C::kOptions)},
      {"Help menu stays on while scanning", 560, 20, Scanning(), Menu(B::kHelp)},
  };
  for (const HitCase& c : cases) {
    SCOPED_TRACE(c.name);
    StripHit hit = HitTest(c.x, c.y, c.state);
    EXPECT_EQ(hit.kind, c.expected.kind);
    EXPECT_EQ(hit.button, c.expected.button);
    if (c.expected.kind != Kind::kNothing) {
      EXPECT_EQ(hit.command, c.expected.command);
    }
  }
}

TEST(CommandStripTest, ButtonAtCountsDisabledButtonsButHoverDoesNot) {
  StripState state = NoEdits();
  EXPECT_EQ(ButtonAt(90, 20, false), static_cast<int>(B::kApply));
  EXPECT_EQ(HoverButton(90, 20, state), -1);
  EXPECT_EQ(HoverButton(170, 20, state), static_cast<int>(B::kNew));
  EXPECT_EQ(HoverButton(170, 20, Scanning()), static_cast<int>(B::kStop));
  EXPECT_EQ(HoverButton(66, 20, state), -1);
}

TEST(CommandStripTest, NewAndStopShareOnePlaceAndNeverShowTogether) {
  for (bool scanning : {false, true}) {
    SCOPED_TRACE(scanning);
    EXPECT_NE(IsButtonShown(B::kNew, scanning), IsButtonShown(B::kStop, scanning));
  }
  EXPECT_EQ(LayoutOf(B::kNew).left, LayoutOf(B::kStop).left);
  EXPECT_EQ(LayoutOf(B::kNew).width, LayoutOf(B::kStop).width);
  // No two buttons shown at once overlap.
  for (bool scanning : {false, true}) {
    for (const StripButtonLayout& a : StripButtons()) {
      for (const StripButtonLayout& b : StripButtons()) {
        if (&a == &b || !IsButtonShown(a.button, scanning) || !IsButtonShown(b.button, scanning)) continue;
        EXPECT_TRUE(a.left + a.width <= b.left || b.left + b.width <= a.left) << a.caption << " / " << b.caption;
      }
    }
  }
}

TEST(CommandStripTest, MenusOpenAtTheButtonsLeftEdgeBelowTheStrip) {
  EXPECT_EQ(MenuPosition(B::kNew).x, 158);
  EXPECT_EQ(MenuPosition(B::kNew).y, 45);
  EXPECT_EQ(MenuPosition(B::kHelp).x, 512);
  for (const StripButtonLayout& layout : StripButtons()) {
    SCOPED_TRACE(std::string(layout.caption));
    EXPECT_EQ(layout.hasDropDown, !layout.menu.empty());
  }
  ASSERT_EQ(LayoutOf(B::kNew).menu.size(), 3u);
  EXPECT_EQ(Info(LayoutOf(B::kNew).menu[2]).text, "... by current Volume sources");
  ASSERT_EQ(LayoutOf(B::kHelp).menu.size(), 2u);
  EXPECT_EQ(Info(LayoutOf(B::kHelp).menu[1]).text, "About Zarn Volumist...");
}

TEST(CommandStripTest, TooltipsNameTheirKeyAndIndentFurtherLines) {
  for (const StripButtonLayout& layout : StripButtons()) {
    SCOPED_TRACE(std::string(layout.caption));
    auto lines = ToolTipLines(layout.button);
    if (layout.button == B::kStop) {
      EXPECT_TRUE(lines.empty());
      continue;
    }
    ASSERT_FALSE(lines.empty());
    std::string key = "  <F" + std::to_string(Info(layout.command).functionKey) + ">";
    EXPECT_TRUE(lines[0].ends_with(key)) << lines[0];
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(lines[i].starts_with("    ")) << lines[i];
  }
  EXPECT_EQ(JoinToolTip(ToolTipLines(B::kUndo)), "Undo all changes.  <F4>\n    Undo description changes.");
}

}  // namespace
}  // namespace volumist::browse
