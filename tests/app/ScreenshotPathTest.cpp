// Where the screenshot hotkey writes: the chosen folder as it stands, and the user's Pictures
// folder when none is chosen (the root of a drive is not writable for a standard user).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/Screenshot.h"

namespace velmora {
namespace {

TEST(ScreenshotPath, AChosenFolderIsKeptAsItStands) {
    const struct {
        const wchar_t* folder;
        const wchar_t* file;
    } cases[] = {
        {L"C:\\Shots", L"C:\\Shots\\Velmora.bmp"},
        {L"Z:\\tmp\\a b", L"Z:\\tmp\\a b\\Velmora.bmp"},
        {L"shots", L"shots\\Velmora.bmp"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScreenshotPath(c.folder), c.file) << c.folder;
}

TEST(ScreenshotPath, NoFolderMeansThePicturesFolder) {
    const std::wstring pictures = PicturesFolder();
    ASSERT_FALSE(pictures.empty());
    EXPECT_NE(pictures.back(), L'\\');
    EXPECT_EQ(ScreenshotPath(L""), pictures + L"\\Velmora.bmp");
    // Not the drive's root, which "\Velmora.bmp" would be.
    EXPECT_NE(ScreenshotPath(L"")[0], L'\\');
}

TEST(ScreenshotPath, TheCaptureWithoutAFolderLandsInPictures) {
    if (!GetDC(nullptr) || GetSystemMetrics(SM_CXSCREEN) == 0) GTEST_SKIP() << "no screen";
    const std::filesystem::path pictures = PicturesFolder();
    std::filesystem::create_directories(pictures);
    const std::filesystem::path file = pictures / L"Velmora.bmp";
    if (std::filesystem::exists(file)) GTEST_SKIP() << "a Velmora.bmp of the user's is there";
    ASSERT_TRUE(CaptureScreenToFile(nullptr, L""));
    EXPECT_GT(std::filesystem::file_size(file), 54u);
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace velmora
