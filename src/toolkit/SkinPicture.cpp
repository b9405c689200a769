#include "toolkit/SkinPicture.h"

#include "win32/GdiplusIncludes.h"

#include "toolkit/SkinPackReader.h"

namespace velmora {

SkinPicture::SkinPicture() = default;
SkinPicture::~SkinPicture() = default;

bool SkinPicture::Load(SkinPackReader& pack, std::wstring_view name) {
    Release();
    IStream* raw = nullptr;
    if (!pack.GetImageStream(name, &raw)) return false;
    stream_ = ComPtr<IStream>::Adopt(raw);
    return true;
}

void SkinPicture::Release() {
    decoded_.reset();
    stream_.Reset();
    decodeFailed_ = false;
}

Gdiplus::Bitmap* SkinPicture::Image() {
    if (decoded_) return decoded_.get();
    if (!stream_ || decodeFailed_) return nullptr;
    LARGE_INTEGER zero{};
    stream_->Seek(zero, STREAM_SEEK_SET, nullptr);
    std::unique_ptr<Gdiplus::Bitmap> fromStream(Gdiplus::Bitmap::FromStream(stream_.Get()));
    if (fromStream && fromStream->GetLastStatus() == Gdiplus::Ok) {
        // A copy in premultiplied form: independent of the stream and quick to blend.
        decoded_.reset(fromStream->Clone(0, 0, fromStream->GetWidth(), fromStream->GetHeight(),
                                         PixelFormat32bppPARGB));
        if (decoded_ && decoded_->GetLastStatus() != Gdiplus::Ok) decoded_.reset();
    }
    decodeFailed_ = !decoded_;
    return decoded_.get();
}

void SkinPicture::DropDecoded() {
    decoded_.reset();
    decodeFailed_ = false;
}

}  // namespace velmora
