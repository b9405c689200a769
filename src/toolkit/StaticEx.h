// Caption static of the settings pages: an ordinary static control, repainted as white text on
// a red band.
#pragma once

#include <windows.h>

namespace velmora {

class CStaticEx {
  public:
    CStaticEx() = default;
    ~CStaticEx();
    CStaticEx(const CStaticEx&) = delete;
    CStaticEx& operator=(const CStaticEx&) = delete;

    // Takes over the painting of an existing static control; false when it cannot.
    bool Subclass(HWND staticControl);
    void Unsubclass();
    HWND Hwnd() const { return hwnd_; }

    // Paints the band and the window text onto `dc` over `client`.
    static void Paint(HWND hwnd, HDC dc, const RECT& client);

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data);
    HWND hwnd_ = nullptr;
};

}  // namespace velmora
