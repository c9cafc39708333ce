// The tile view as screen readers and automation see it: a list whose children are its tiles, each
// a list item named after its row with the image size and colours as description, its place on the
// screen, and its state (selected, focused); the action "Press" makes a tile current and selected.
#pragma once

namespace volumist::ui {

// Installs the factory that gives every TileView its accessible interface; once per process.
void InstallTileViewAccessibility();

}  // namespace volumist::ui
