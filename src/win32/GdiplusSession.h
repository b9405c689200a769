// Keeps GDI+ started for the lifetime of the object (one start/shutdown pair per token).
#pragma once

#include "win32/GdiplusIncludes.h"

namespace velmora {

class GdiplusSession {
  public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    ~GdiplusSession() {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return token_ != 0; }

  private:
    ULONG_PTR token_ = 0;
};

}  // namespace velmora
