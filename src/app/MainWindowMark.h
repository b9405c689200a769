// How other programs (setup and the uninstaller, the test tools) tell the main window from
// anything else titled "Velmora", such as a message box with that caption: a window property
// that only the main window carries, from its creation on. packaging/velmora.nsi spells the
// same name.
#pragma once

namespace velmora {

inline constexpr wchar_t kMainWindowProperty[] = L"Velmora.MainWindow";

}  // namespace velmora
