// The settings window arrives with its pages; until then the settings button opens nothing.
#include "settings/SettingsWindow.h"

namespace velmora {

INT_PTR RunSettingsWindow(SettingsHost&) {
    return IDCANCEL;
}

}  // namespace velmora
