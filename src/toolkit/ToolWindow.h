// A skinned tool window held by another window (GPU information, clock settings, monitoring):
// it docks beside its owner whenever that moves, and its close is the owner's to carry out.
// The owner is reached only through ToolWindowOwner, so a tool window's folder needs nothing
// from the main window's.
#pragma once

#include "toolkit/DialogBase.h"

namespace velmora {

class CToolWindow;

// What a tool window asks of the window that holds it.
class ToolWindowOwner {
  public:
    // Puts `window` at its place beside the owner (PlaceBeside with the owner's rectangle).
    virtual void DockToolWindow(CToolWindow& window) = 0;
    // `window` has been closed by its user. The owner ends it (destroys the window and deletes
    // the object) after the closing message has been handled, never from inside it.
    virtual void ToolWindowClosed(CToolWindow& window) = 0;

  protected:
    ~ToolWindowOwner() = default;
};

class CToolWindow : public CDialogBase {
  public:
    CToolWindow(UINT templateId, std::wstring_view skinPackFile, std::wstring_view backgroundName,
                HWND parent, ToolWindowOwner& owner)
        : CDialogBase(templateId, skinPackFile, backgroundName, parent), owner_(owner) {}

    // Puts the window at its place beside `ownerRect` (screen coordinates), on top and shown.
    virtual void PlaceBeside(const RECT& ownerRect) = 0;

  protected:
    // Loads the window's skin pack from OnInitDialog. On failure it tells the user and closes
    // the window by a posted WM_CLOSE: the owner hosts the window only once creation has
    // returned (told now, it would not know the window yet and keep it), and the close then
    // reaches it through the owner like any other.
    bool LoadSkinOrClose() {
        if (LoadSkin(SkinPackFile(), false, false)) return true;
        MessageBoxW(Hwnd(), kMissingSkinText, L"Error", MB_OK);
        PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        return false;
    }
    // Asks the owner to dock this window (after creation, or when it is shown again).
    void RequestDock() { owner_.DockToolWindow(*this); }
    // Closing hands the window to its owner instead of destroying it here.
    void OnClose() override { owner_.ToolWindowClosed(*this); }
    ToolWindowOwner& Owner() const { return owner_; }

  private:
    ToolWindowOwner& owner_;
};

}  // namespace velmora
