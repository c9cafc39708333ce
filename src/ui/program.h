// The window program from start to end: the settings read from configuration.cfg, the main window,
// and the settings written back once the window has closed.
#pragma once

#include <memory>

#include "catalog/program_settings.h"
#include "ui/main_window.h"

namespace volumist::ui {

// True when there is a display to open windows on: DISPLAY or WAYLAND_DISPLAY is set, or Qt is told
// which platform to use (QT_QPA_PLATFORM, as the tests' offscreen one). Decided before any Qt object
// exists, since Qt ends the process when it finds no display.
bool HasDisplay();

// The drives as the scan uses them: labels and serials of sources, the CD tray, media presence.
DriveControl SystemDrives();

class ProgramSession {
 public:
  // Reads the settings from `locations` and builds the window with `services` (every pointer must
  // outlive the session).
  ProgramSession(platform::FileSystem& fileSystem, SettingsLocations locations, WindowServices services);
  ~ProgramSession();

  ProgramSettings& Settings() { return settings_; }
  MainWindow& Window() { return *window_; }
  // Destroys the window (its volume is closed) and writes the settings back. Once.
  bool Finish();

 private:
  ProgramSettings settings_;
  std::unique_ptr<MainWindow> window_;
  bool finished_ = false;
};

// Runs the program: a QApplication, the desktop's prompter, choosers, launcher and tray, the session
// and its event loop. The line left once Qt has taken its own options is read by
// browse::ParseWindowArguments: a volume file given there is opened once the window shows; wrong
// usage is reported on stderr (status 2) before any window opens. Returns the process's exit status.
int RunWindowProgram(int argc, char** argv);

}  // namespace volumist::ui
