// A picture of the skin held by its owner: the encoded bytes in a private stream, plus the
// decoded bitmap kept between compositions until the skin is reloaded.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <memory>
#include <string_view>

#include "win32/ComPtr.h"

namespace Gdiplus {
class Bitmap;
}

namespace velmora {

class SkinPackReader;

class SkinPicture {
  public:
    SkinPicture();
    ~SkinPicture();
    SkinPicture(const SkinPicture&) = delete;
    SkinPicture& operator=(const SkinPicture&) = delete;

    // Replaces the picture by the pack's entry `name`; false (and empty) when it is missing.
    bool Load(SkinPackReader& pack, std::wstring_view name);
    void Release();

    // The decoded picture, or null when there is none or its bytes do not decode.
    Gdiplus::Bitmap* Image();
    // Forgets the decoded bitmap; the next Image() decodes the bytes again.
    void DropDecoded();

  private:
    ComPtr<IStream> stream_;
    std::unique_ptr<Gdiplus::Bitmap> decoded_;
    bool decodeFailed_ = false;
};

}  // namespace velmora
