// Rectangles in a window's client pixels: (left, top, right, bottom), and the float boxes
// text is laid out in.
#pragma once

#include <windows.h>

namespace velmora {

inline int RectWidth(const RECT& r) {
    return r.right - r.left;
}
inline int RectHeight(const RECT& r) {
    return r.bottom - r.top;
}
// Right and bottom edges are outside, as everywhere in Win32.
inline bool InRect(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

struct FloatRect {
    float x = 0, y = 0, width = 0, height = 0;
};

}  // namespace velmora
