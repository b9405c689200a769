// The Windows side of the pack reader: entry bytes as an IStream and as a decoded bitmap.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include "win32/GdiplusIncludes.h"

#include "win32/ComPtr.h"
#include "toolkit/SkinPackReader.h"

namespace velmora {

bool SkinPackReader::GetImageStream(std::wstring_view name, IStream** out) {
    if (!out) return false;
    *out = nullptr;
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    std::vector<uint8_t> bytes;
    if (!GetImageBytes(
            std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()),
            bytes))
        return false;
    // The stream keeps its own copy of the bytes and frees it on its last release.
    IStream* s = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
    if (!s) return false;
    *out = s;
    return true;
}

bool SkinPackReader::LoadImage(std::wstring_view name, std::unique_ptr<Gdiplus::Bitmap>& out) {
    out.reset();
    IStream* raw = nullptr;
    if (!GetImageStream(name, &raw)) return false;
    ComPtr<IStream> stream = ComPtr<IStream>::Adopt(raw);
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.Get()));
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return false;
    // Detach the bitmap from the stream: a stream-backed bitmap reads it lazily.
    std::unique_ptr<Gdiplus::Bitmap> copy(
        decoded->Clone(0, 0, decoded->GetWidth(), decoded->GetHeight(), PixelFormat32bppARGB));
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok) return false;
    out = std::move(copy);
    return true;
}

}  // namespace velmora
