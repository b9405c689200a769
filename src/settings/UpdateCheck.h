// The update check: the descriptor fetched from the maker's update server, its version against
// the installed one, and the offer to run the updater.
#pragma once

#include <windows.h>

namespace velmora {

// The check that runs once at every start, on a thread of its own: it touches no window and
// reaches the user only through message boxes owned by `mainWindow` and posted messages.
void StartScheduledUpdateCheck(HWND mainWindow);

}  // namespace velmora
