// A skinned tool window owned by the main window (GPU information, clock settings,
// monitoring): it docks beside the main window whenever that moves.
#pragma once

#include "toolkit/DialogBase.h"

namespace velmora {

class CToolWindow : public CDialogBase {
public:
    using CDialogBase::CDialogBase;
    // Puts the window at its place beside the main window, on top and shown.
    virtual void PlaceWindow() = 0;
};

}  // namespace velmora
