// Test fixtures for the skinned windows: packs of solid-colour pictures built on the fly, a
// dialog that collects its posted notifications, input and pixel helpers.
#pragma once

#include "win32/GdiplusIncludes.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "PackWriter.h"
#include "toolkit/Controls.h"
#include "toolkit/DialogBase.h"

namespace velmora::test {

// A horizontal strip of `colors.size()` frames of frameW x height, frame k solid colors[k].
std::vector<uint8_t> StripPng(int frameW, int height, const std::vector<uint32_t>& colors);
// Writes the pack to a file in the temp folder and returns its path.
std::filesystem::path WritePack(const std::wstring& fileName, const PackWriter& writer);

struct Command {
    WORD id, code;
    bool operator==(const Command& o) const { return id == o.id && code == o.code; }
};

class TestDialog : public CDialogBase {
  public:
    explicit TestDialog(std::wstring_view pack) : CDialogBase(107, pack, L"bg.png", nullptr) {}
    // Removes and returns the WM_COMMAND notifications posted to the window so far.
    std::vector<Command> TakeCommands();
    std::vector<Command> TakeCommandsFor(WORD id);

    void Move(int x, int y) { Send(WM_MOUSEMOVE, x, y); }
    void Down(int x, int y) { Send(WM_LBUTTONDOWN, x, y); }
    void Up(int x, int y) { Send(WM_LBUTTONUP, x, y); }
    void DoubleClick(int x, int y) { Send(WM_LBUTTONDBLCLK, x, y); }
    // Enter, press and release at one point.
    void Click(int x, int y) {
        Move(x, y);
        Down(x, y);
        Up(x, y);
    }
    // A tick of the window's own timer `timerId`.
    void Tick(UINT_PTR timerId) { SendMessageW(Hwnd(), WM_TIMER, timerId, 0); }
    // A tick of `control`'s timer `timerId` (nothing when it is not running).
    void TickControl(const CControls& control, UINT_PTR timerId) {
        if (const UINT_PTR id = ControlTimerWindowId(control, timerId))
            SendMessageW(Hwnd(), WM_TIMER, id, 0);
    }
    // The composed window's pixel (ARGB).
    uint32_t Pixel(int x, int y);

  private:
    void Send(UINT msg, int x, int y) { SendMessageW(Hwnd(), msg, 0, MAKELPARAM(x, y)); }
};

// A control that records which virtual operations reached it.
class RecordingControl : public CControls {
  public:
    int downs = 0, ups = 0, dblClicks = 0, rDblClicks = 0, enters = 0, leaves = 0, moves = 0;
    void OnLButtonDown(UINT, int, int) override { ++downs; }
    void OnLButtonUp(UINT, int, int) override { ++ups; }
    void OnLButtonDblClk(UINT, int, int) override { ++dblClicks; }
    void OnRButtonDblClk(UINT, int, int) override { ++rDblClicks; }
    void OnMouseEnter(UINT, int, int) override { ++enters; }
    void OnMouseLeave(UINT, int, int) override { ++leaves; }
    void OnMouseMove(UINT, int, int) override { ++moves; }
    // Events from children: (child id, code).
    std::vector<std::pair<int, WORD>> events;
    void OnControlEvent(int childId, WORD code) override { events.emplace_back(childId, code); }
};

constexpr uint32_t kBackground = 0xFF0A141E;
constexpr uint32_t kIdle = 0xFFC80000;
constexpr uint32_t kHover = 0xFF00C800;
constexpr uint32_t kPressed = 0xFF0000C8;

}  // namespace velmora::test
