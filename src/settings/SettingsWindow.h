// What the main window calls to open the settings: the settings window runs modally over
// host.MainWindow() and returns IDOK or IDCANCEL. (The window's class is in SetDlg.h.)
#pragma once

#include <windows.h>

namespace velmora {

class SettingsHost;

INT_PTR RunSettingsWindow(SettingsHost& host);

}  // namespace velmora
