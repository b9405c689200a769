// The BIOS page's use of NVIDIA's flashing tool: started from the program's folder in a window
// of its own, then waited for without spinning while the program's windows keep painting.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// True while a process with exactly this image name runs.
bool ProcessRunning(const wchar_t* imageName);

// Starts "nvflash" with `parameters` (program folder as current directory, normal window) and
// waits until it and every other "nvflash.exe" have ended; `inputOff` (the settings window)
// takes no input meanwhile but goes on painting. False, at once, when the tool cannot be
// started (it is not beside the program).
bool RunNvflashAndWait(const std::wstring& parameters, HWND inputOff);

// How often the wait looks again for other nvflash processes once its own has ended.
inline constexpr DWORD kNvflashPollMs = 250;

}  // namespace velmora
