// Keeps GDI+ started for the lifetime of the object (one start/shutdown pair per token).
#pragma once

#include <windows.h>

#include <cstdint>

namespace velmora {

class GdiplusSession {
  public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return token_ != 0; }

  private:
    ULONG_PTR token_ = 0;
};

}  // namespace velmora
