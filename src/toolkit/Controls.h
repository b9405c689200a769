// Base of every windowless control of a skinned dialog: a rectangle on the dialog with its
// pictures, its input state machine and its notifications.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/SkinPicture.h"

namespace Gdiplus {
class Graphics;
class Bitmap;
class RectF;
}  // namespace Gdiplus

namespace velmora {

class CDialogBase;
class SkinPackReader;
class SkinFonts;

class CControls {
  public:
    static constexpr int kShown = 5;
    static constexpr int kHidden = 0;
    // Notification codes: in the high word of the WM_COMMAND posted to the dialog, and the code
    // a child hands its owner control.
    static constexpr WORD kCodeClick = 0;
    static constexpr WORD kCodeChanged = 1;
    static constexpr WORD kCodeTimer = 0x113;

    CControls();
    virtual ~CControls();
    CControls(const CControls&) = delete;
    CControls& operator=(const CControls&) = delete;

    bool Create(CDialogBase* dialog, const RECT& rect, std::wstring_view imageName,
                std::wstring_view caption, int id);
    bool CreateChild(CDialogBase* dialog, CControls* owner, const RECT& rect,
                     std::wstring_view imageName, std::wstring_view caption, int id, BYTE flag);

    void ShowControl(int showState);
    void SetCaption(std::wstring_view caption);
    // Changes the caption without a repaint of its own: the area is marked, and the owner's next
    // composition shows it (a window that changes many controls at once composes them once).
    void SetCaptionQuietly(std::wstring_view caption);
    // This control's own timers, by the ids of the window's protocol: two controls using the
    // same id on one window, or the window using it itself, never tick one another.
    void StartTimer(UINT_PTR timerId, UINT periodMs);
    void StopTimer(UINT_PTR timerId);

    // Virtual operations, called by the dialog's input routing.
    virtual void OnCreate() {}
    virtual void Draw(Gdiplus::Graphics& g) {}
    virtual void OnLButtonDown(UINT flags, int x, int y) {}
    virtual void OnLButtonUp(UINT flags, int x, int y) {}
    virtual void OnLButtonDblClk(UINT flags, int x, int y) {}
    virtual void OnRButtonDblClk(UINT flags, int x, int y) {}
    virtual void OnMouseMove(UINT flags, int x, int y) {}
    virtual void OnMouseEnter(UINT flags, int x, int y) {}
    virtual void OnMouseLeave(UINT flags, int x, int y) {}
    virtual void Enable(bool enabled) { enabled_ = enabled; }
    virtual void OnTimer(UINT_PTR timerId) {}
    // The one way a child control (created with this control as its owner) tells its owner it
    // was clicked or changed; childId is the child's id.
    virtual void OnControlEvent(int childId, WORD code) {}

    // One message forwarded by the dialog (mouse moves, presses, releases, double clicks).
    void HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // One tick of this control's timer `timerId`, from the dialog.
    void HandleTimer(UINT_PTR timerId);

    // Pictures, loaded and released by the dialog's skin loading.
    void LoadPictures(SkinPackReader& pack);
    void ReleasePictures();
    void DropDecodedPictures();

    // Forces the look of a state (previews of the controls); input changes it again.
    void ForceState(bool hover, bool pressed) {
        hover_ = hover;
        pressed_ = pressed;
    }

    const RECT& Rect() const { return rect_; }
    // Everything Draw may touch; controls that draw beyond their rectangle widen it.
    virtual RECT PaintBounds() const { return rect_; }
    int Id() const { return id_; }
    bool IsEnabled() const { return enabled_; }
    bool IsShown() const { return showState_ == kShown; }
    bool IsHover() const { return hover_; }
    bool IsPressed() const { return pressed_; }
    BYTE Flag() const { return flag_; }
    CControls* Owner() const { return owner_; }
    CDialogBase* Dialog() const { return dialog_; }
    const std::wstring& Caption() const { return caption_; }

  protected:
    void SetSecondImageName(std::wstring_view name) { secondImageName_ = name; }
    // The control's variant, for controls that come in more than one (set before Create).
    void SetFlag(BYTE flag) { flag_ = flag; }
    Gdiplus::Bitmap* FirstImage() { return first_.Image(); }
    Gdiplus::Bitmap* SecondImage() { return second_.Image(); }
    // Posts WM_COMMAND (code << 16 | id) to the dialog.
    void Notify(WORD code) const;
    // Tells the owner control, when there is one and it is enabled, through OnControlEvent.
    void NotifyOwner(WORD code) const;
    // The dialog's cached skin fonts (null before Create).
    SkinFonts* Fonts() const;
    // Re-composes the whole dialog at once.
    void RepaintWindow() const;
    // Re-composes this control's area (and any area marked dirty) at once.
    void RepaintOwnArea() const;
    // This control looks different now: the next composition, whole or partial, redraws it.
    void MarkChanged() const;
    // DrawSkinText and DrawFrame (SkinDraw.h) through the dialog's memo: on pixels they were
    // drawn on before, what they gave then is copied instead of drawn again.
    // Alignments are Gdiplus::StringAlignment values.
    void DrawTextRemembered(Gdiplus::Graphics& g, std::wstring_view text, float points,
                            uint32_t argb, const Gdiplus::RectF& layout, int horizontal,
                            int vertical, int formatFlags = 0) const;
    void DrawFrameRemembered(Gdiplus::Graphics& g, Gdiplus::Bitmap* strip, int frame,
                             const RECT& r) const;

  private:
    SkinPicture first_;
    SkinPicture second_;
    std::wstring secondImageName_;
    CControls* owner_ = nullptr;
    bool pressed_ = false;
    bool hover_ = false;
    bool outside_ = true;
    bool enabled_ = true;
    BYTE flag_ = 0;
    int id_ = 0;
    int showState_ = kShown;
    std::wstring caption_;
    RECT rect_{};
    CDialogBase* dialog_ = nullptr;
    POINT lastPoint_{-1, -1};
    std::wstring imageName_;
};

}  // namespace velmora
