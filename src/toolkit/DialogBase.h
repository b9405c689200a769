// The skinned dialog: a borderless per-pixel-alpha layered window made of the skin's background
// picture and windowless controls, composed off-screen and pushed to the screen. The composed
// frame is kept, so a change confined to one area (an animation frame) recomposes that area only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win32/GdiplusSession.h"
#include "toolkit/PixelMemo.h"
#include "toolkit/SkinDraw.h"
#include "toolkit/SkinPicture.h"

namespace Gdiplus {
class Graphics;
class Bitmap;
}  // namespace Gdiplus

namespace velmora {

class CControls;
class LayeredSurface;

// What every skinned window says (caption "Error") when its skin pack cannot be loaded.
inline constexpr wchar_t kMissingSkinText[] =
    L"Missing an essential boot files, please get a new installer!";

// Where the time of one composition onto the window went, in microseconds (benchmarks).
struct CompositionPhases {
    double prepareUs = 0;           // the surface, clearing the area, the background's copy
    std::vector<double> controlUs;  // each control of the list, in order; 0 when not drawn
    double pushUs = 0;              // the layered window's update
    RECT area{};                    // what was composed and pushed
};

class CDialogBase {
  public:
    CDialogBase(UINT templateId, std::wstring_view skinPackFile, std::wstring_view backgroundName,
                HWND parent);
    virtual ~CDialogBase();
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // Runs the dialog modally from its template; returns the EndDialog code (-1 on failure).
    INT_PTR DoModal();
    // Creates the modeless window (not shown unless the template is visible); false on failure.
    bool CreateModeless();
    HWND Hwnd() const { return hwnd_; }
    // Ends a modal run (EndDialog) or destroys a modeless window.
    void CloseDialog(INT_PTR result);

    // Opens the pack (a bare file name in the program's folder, a path as it is), (on reload)
    // drops every picture, loads the background and each control's pictures, closes the pack.
    // false, with nothing changed, when the pack cannot be opened.
    bool LoadSkin(std::wstring_view skinPackFile, bool redraw, bool reload);
    const std::wstring& SkinPackFile() const { return skinPackFile_; }
    void SetSkinPackFile(std::wstring_view file) { skinPackFile_ = file; }

    // Control list (creation order, not owning).
    void AddControl(CControls* control);
    void RemoveControl(CControls* control);
    const std::vector<CControls*>& Controls() const { return controls_; }

    // Draws the background and every shown control, in list order, onto `g`.
    void Compose(Gdiplus::Graphics& g);
    // Composes into a bitmap (tests, previews).
    bool RenderTo(Gdiplus::Bitmap& target);
    // Composes off-screen and pushes the result to the layered window: the whole window, or
    // only `dirty` (client coordinates) plus whatever MarkDirty collected, on the kept frame.
    bool ComposeToScreen(const RECT* dirty = nullptr);
    // A full composition, at once.
    void RepaintNow();
    // Recomposes `area` (and the areas marked dirty) at once; the rest of the frame stays.
    void RepaintRect(const RECT& area);
    // Remembers an area whose look changed without a repaint; the next composition covers it.
    void MarkDirty(const RECT& area);
    // Recomposes and pushes the areas marked dirty at once (the whole window before the first
    // composition); nothing at all when nothing was marked.
    void RepaintChanged();
    // The frame last pushed to the layered window (premultiplied ARGB, top-down); false before
    // the first composition.
    bool ReadFrame(std::vector<uint32_t>& pixels, int& width, int& height) const;
    // Forgets the decoded pictures (they are decoded again when next drawn).
    void DropDecodedPictures();
    int CompositionCount() const { return compositions_; }
    // When set, every composition onto the window records its phases there (null: none).
    void SetPhaseRecorder(CompositionPhases* phases) { phases_ = phases; }
    // Fonts of this window's text, kept between compositions.
    SkinFonts& Fonts() { return fonts_; }

    // Draws through `draw`, which changes pixels inside `box` only and depends on nothing but
    // `key` and the pixels under it, or copies what it gave on these pixels before. Only while
    // composing onto the window, and only for a box inside the composed area; else just draws.
    template <typename Draw>
    void Memoized(Gdiplus::Graphics& g, const RECT& box, const MemoKey& key, Draw&& draw);
    // A key to fill for Memoized, reused between calls.
    MemoKey& ScratchKey() {
        scratchKey_.Clear();
        return scratchKey_;
    }
    // Off: every composition draws everything (the comparisons of what the window shows).
    void SetDrawMemo(bool on);
    const PixelMemo& DrawMemo() const { return memo_; }

    // Routes one message to every control in list order (what the window procedure does).
    void RouteToControls(UINT msg, WPARAM wParam, LPARAM lParam);

    // A control's timer runs on a window timer of its own, so each (control, timer id) pair
    // ticks at its own period; its ticks reach that control only, with the control's timer id,
    // and never the window's OnTimer. Restarting a running pair changes its period.
    void StartControlTimer(CControls& control, UINT_PTR timerId, UINT periodMs);
    void StopControlTimer(CControls& control, UINT_PTR timerId);
    // The window timer running a control's timer; 0 when that timer is not running.
    UINT_PTR ControlTimerWindowId(const CControls& control, UINT_PTR timerId) const;

    // Hit test that drags the window by every part not covered by a control (shown or not).
    LRESULT CaptionHitTest(int screenX, int screenY) const;
    // When set, WM_NCHITTEST answers CaptionHitTest (the main window); else client.
    void SetCaptionDrag(bool on) { captionDrag_ = on; }

    void ClearBackgroundPressAllowed() { backgroundPressAllowed_ = false; }
    bool BackgroundPressed() const { return backgroundPressed_; }

    // The window procedure: one typed handler per message. Derived windows override it for
    // extra messages and call CDialogBase::WindowProc for everything else.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

  protected:
    // Typed handlers. OnInitDialog of a derived window creates its controls, calls LoadSkin,
    // then CDialogBase::OnInitDialog (layered style, first composition).
    virtual BOOL OnInitDialog();
    virtual void OnCommand(WORD id, WORD code) {}
    virtual void OnTimer(UINT_PTR timerId) {}
    virtual LRESULT OnNcHitTest(int screenX, int screenY);
    virtual void OnLButtonDown(int x, int y);
    virtual void OnLButtonUp(int x, int y);
    // Default: ends a modal run with IDCANCEL, destroys a modeless window.
    virtual void OnClose();
    virtual void OnDestroy() {}
    // Lets the dialog manager's own processing handle the message being dispatched.
    LRESULT Default();

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    struct ControlTimer {
        CControls* control;
        UINT_PTR timerId;
        UINT_PTR windowTimerId;
    };
    // Window timer ids of control timers start above every id a window's protocol uses (they
    // are 16-bit), so they meet none of the window's own timers.
    static constexpr UINT_PTR kFirstControlTimerId = 0x10000;
    // A tick of a control timer goes to its control; false when `windowTimerId` is none.
    bool DispatchControlTimer(UINT_PTR windowTimerId);
    void StopControlTimers(CControls& control);
    std::vector<ControlTimer> controlTimers_;
    UINT_PTR nextControlTimerId_ = kFirstControlTimerId;

    GdiplusSession gdiplus_;
    SkinFonts fonts_;  // after gdiplus_: released before GDI+ shuts down
    UINT templateId_;
    std::wstring skinPackFile_;
    std::wstring backgroundName_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool useDefault_ = false;
    bool captionDrag_ = false;
    std::vector<CControls*> controls_;
    SkinPicture background_;
    bool backgroundPressAllowed_ = true;
    bool backgroundPressed_ = false;
    BLENDFUNCTION blend_{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    int compositions_ = 0;
    CompositionPhases* phases_ = nullptr;

    // Texts and picture frames as they came out on the pixels under them (about 1 MiB).
    static constexpr size_t kMemoBudgetPixels = 256 * 1024;
    bool MemoCovers(const RECT& box) const;
    void FlushForMemo(Gdiplus::Graphics& g);
    PixelMemo memo_{kMemoBudgetPixels};
    MemoKey scratchKey_;
    bool memoOn_ = true;
    FrameView composing_{};  // the frame while a composition onto the window runs
    RECT composingArea_{0, 0, 0, 0};

    // The composed frame of the layered window, kept between compositions.
    void ClearArea(const RECT& area);
    // Hands the kept frame to the layered window: all of it, or only `area`.
    bool Push(const RECT& windowRect, const RECT* area);
    bool pushedOnce_ = false;
    RECT pushedWindowRect_{0, 0, 0, 0};
    void CopyBackground(const std::vector<uint32_t>& pixels, const RECT& area);
    // The background (unless it is already in the frame) and the shown controls, in list
    // order; with `area`, only the controls whose paint bounds reach into it.
    void DrawLayers(Gdiplus::Graphics& g, bool withBackground, const RECT* area);
    const std::vector<uint32_t>* BackgroundPixels();
    void ForgetBackgroundPixels();
    std::unique_ptr<LayeredSurface> surface_;
    bool frameValid_ = false;
    RECT pendingDirty_{0, 0, 0, 0};
    // The background's premultiplied pixels: drawn first onto a cleared frame, it is a copy.
    std::vector<uint32_t> backgroundPixels_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    bool backgroundPixelsTried_ = false;
};

template <typename Draw>
void CDialogBase::Memoized(Gdiplus::Graphics& g, const RECT& box, const MemoKey& key, Draw&& draw) {
    if (!MemoCovers(box)) {
        draw();
        return;
    }
    // GDI+ may hold drawing back: the pixels are read only once everything before has landed.
    FlushForMemo(g);
    memo_.Run(composing_, MemoBox{box.left, box.top, box.right, box.bottom}, key.Bytes(), [&] {
        draw();
        FlushForMemo(g);
    });
}

}  // namespace velmora
