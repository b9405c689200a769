// The process entry: one instance per machine, the program's folder as current directory,
// the GPU opened, the skin chosen, and the main window run modally.
#pragma once

#include <windows.h>

#include <string>

#include "win32/ProgramFolder.h"

namespace velmora {

class CVelmoraApp {
  public:
    // The whole start-up; returns when the main window has ended (or at once for a second
    // instance).
    int InitInstance(HINSTANCE instance);

    // The one access to "Velmora.xml" before the main window: this program's update version
    // into a file an upgrade kept (StoreProgramUpdateVersion), then the skin pack file from
    // "/Velmora/UIDlg/UiName": its text followed by ".dll", empty when the file or the element
    // is missing.
    static std::wstring PrepareConfigAndReadSkinPack();
};

}  // namespace velmora
