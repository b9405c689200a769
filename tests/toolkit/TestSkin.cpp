#include "TestSkin.h"

#include <fstream>

namespace velmora::test {
namespace {

const CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

std::vector<uint8_t> EncodePng(Gdiplus::Bitmap& bmp) {
    std::vector<uint8_t> out;
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return out;
    if (bmp.Save(stream, &kPngEncoder, nullptr) == Gdiplus::Ok) {
        STATSTG st{};
        stream->Stat(&st, STATFLAG_NONAME);
        out.resize(static_cast<size_t>(st.cbSize.QuadPart));
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stream->Read(out.data(), static_cast<ULONG>(out.size()), &read);
        out.resize(read);
    }
    stream->Release();
    return out;
}

}  // namespace

std::vector<uint8_t> StripPng(int frameW, int height, const std::vector<uint32_t>& colors) {
    Gdiplus::Bitmap bmp(frameW * static_cast<int>(colors.size()), height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(&bmp);
        for (size_t k = 0; k < colors.size(); ++k) {
            Gdiplus::SolidBrush b(Gdiplus::Color(static_cast<Gdiplus::ARGB>(colors[k])));
            g.FillRectangle(&b, frameW * static_cast<int>(k), 0, frameW, height);
        }
    }
    return EncodePng(bmp);
}

std::filesystem::path WritePack(const std::wstring& fileName, const PackWriter& writer) {
    const auto path = std::filesystem::temp_directory_path() / fileName;
    const auto bytes = writer.Build();
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<Command> TestDialog::TakeCommands() {
    std::vector<Command> out;
    MSG m;
    while (PeekMessageW(&m, Hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
        out.push_back({LOWORD(m.wParam), HIWORD(m.wParam)});
    return out;
}

std::vector<Command> TestDialog::TakeCommandsFor(WORD id) {
    std::vector<Command> out;
    for (const Command& c : TakeCommands())
        if (c.id == id) out.push_back(c);
    return out;
}

uint32_t TestDialog::Pixel(int x, int y) {
    Gdiplus::Bitmap canvas(400, 400, PixelFormat32bppARGB);
    RenderTo(canvas);
    Gdiplus::Color c;
    canvas.GetPixel(x, y, &c);
    return c.GetValue();
}

}  // namespace velmora::test
