// The BIOS page with a stand-in flashing tool in a program folder of the test's own (it records
// its arguments and writes the backup it is asked for): a backup to a path with blanks lands
// there, a backup named like one of the program's files is refused, a flash asks first and
// passes the path as one argument, the window goes on painting during a long run, a missing
// tool starts nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/BiosPage.h"
#include "settings/BiosTool.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

// The program's folder for the code under test, with a copy of the stand-in tool in it.
std::filesystem::path g_programFolder;

std::filesystem::path Beside(const wchar_t* name) {
    return g_programFolder / name;
}

// Each run of the stand-in: its arguments as the system split them.
std::vector<std::vector<std::string>> Runs() {
    std::ifstream in(Beside(L"nvflash.args.txt"));
    std::vector<std::vector<std::string>> runs;
    std::string line;
    while (std::getline(in, line)) {
        if (line == "run") {
            runs.emplace_back();
        } else if (!runs.empty()) {
            runs.back().push_back(line);
        }
    }
    return runs;
}

std::wstring g_choice;
bool g_chooserCalled = false;
bool Choose(HWND, bool, std::wstring& path) {
    g_chooserCalled = true;
    if (g_choice.empty()) return false;
    path = g_choice;
    return true;
}
bool g_confirm = false;
std::wstring g_asked;
bool Confirm(HWND, const std::wstring& path) {
    g_asked = path;
    return g_confirm;
}
std::vector<std::wstring> g_refused;
void Refuse(HWND, const std::wstring& name) {
    g_refused.push_back(name);
}

// Ticks while the tool runs, and whether the settings window took input meanwhile.
int g_ticks = 0;
bool g_enabledDuringRun = false;
HWND g_root = nullptr;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    if (IsWindowEnabled(g_root)) g_enabledDuringRun = true;
}

class BiosPage : public testing::Test {
  protected:
    void SetUp() override {
        // One of its own per test: the tool's last run may hold the previous one a while.
        static int counter = 0;
        g_programFolder = std::filesystem::temp_directory_path() /
                          ("velmora bios program " + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++counter));
        std::filesystem::create_directories(g_programFolder);
        std::filesystem::copy_file(std::filesystem::path(ProgramFolder()) / "nvflash.exe",
                                   Beside(L"nvflash.exe"));
        previousProgramFiles_ = SetProgramFilesFolder(g_programFolder.wstring());
        folder = std::filesystem::temp_directory_path() / "velmora bios test";
        std::filesystem::create_directories(folder / "my backups");
        root = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        g_root = root;
        ASSERT_TRUE(page.Create(root));
        page.SetFileChooser(Choose);
        page.SetFlashConfirmation(Confirm);
        page.SetBackupRefusal(Refuse);
        g_refused.clear();
        g_choice.clear();
        g_chooserCalled = false;
        g_confirm = false;
        g_asked.clear();
    }
    void TearDown() override {
        DestroyWindow(root);
        SetProgramFilesFolder(previousProgramFiles_);
        std::filesystem::remove_all(folder);
        std::error_code ignored;
        std::filesystem::remove_all(g_programFolder, ignored);
    }
    std::wstring previousProgramFiles_;
    std::filesystem::path folder;
    HWND root = nullptr;
    CBiosDlg page;
};

TEST_F(BiosPage, ABackupToAPathWithBlanksLandsThere) {
    const std::filesystem::path target = folder / "my backups" / "card bios.rom";
    g_choice = target.wstring();
    page.Backup();
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], (std::vector<std::string>{"-b", "card bios.rom"}));
    ASSERT_TRUE(std::filesystem::exists(target));
    std::ifstream in(target);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "stand-in BIOS backup\n");
    EXPECT_TRUE(IsWindowEnabled(page.Hwnd()));
    EXPECT_TRUE(g_refused.empty());
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The tool writes the backup into the program's folder: named like one of the program's files
// it would replace that file with the card's ROM. The user is told, and the tool never starts.
TEST_F(BiosPage, ABackupNamedLikeAProgramFileIsRefusedAndReplacesNothing) {
    const wchar_t* own[] = {L"Velmora.xml", L"Norvane.dll", L"VelmoraUpdate.xml"};
    for (const wchar_t* name : own) std::ofstream(Beside(name)) << "the program's own";
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(Beside(L"VelmoraUpdate.xml").c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    const std::wstring shortName = std::filesystem::path(shortPath).filename().wstring();
    ASSERT_NE(shortName, L"VelmoraUpdate.xml") << "the system gave no short form to test";

    const std::wstring names[] = {L"Velmora.xml", L"norvane.DLL", L"Velmora.xml. ",
                                  L"Velmora.exe", L"nvflash.exe", shortName};
    for (const std::wstring& name : names) {
        g_choice = (folder / "my backups").wstring() + L"\\" + name;
        page.Backup();
    }
    EXPECT_EQ(g_refused, std::vector<std::wstring>(std::begin(names), std::end(names)));
    EXPECT_TRUE(Runs().empty());
    for (const wchar_t* name : own) EXPECT_EQ(ReadText(Beside(name)), "the program's own");
    EXPECT_TRUE(std::filesystem::is_empty(folder / "my backups"));
    EXPECT_TRUE(IsWindowEnabled(page.Hwnd()));
}

TEST_F(BiosPage, AFlashAsksFirstNamingTheFileAndPassesItAsOneArgument) {
    const std::filesystem::path rom = folder / "my backups" / "new bios.rom";
    std::ofstream(rom) << "rom";
    g_choice = rom.wstring();
    g_confirm = false;
    page.Flash();
    EXPECT_EQ(g_asked, rom.wstring());
    EXPECT_TRUE(Runs().empty()) << "the tool ran although the question was answered No";

    g_confirm = true;
    page.Flash();
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    const std::string path = rom.string();
    EXPECT_EQ(runs[0], (std::vector<std::string>{"-4", "-5", "-6", path}));
}

TEST_F(BiosPage, CancellingEitherDialogStartsNothing) {
    page.Backup();
    page.Flash();
    EXPECT_TRUE(g_chooserCalled);
    EXPECT_TRUE(Runs().empty());
    EXPECT_TRUE(g_asked.empty());
}

TEST_F(BiosPage, TheWindowsGoOnPaintingWhileTheSettingsWindowWaitsWithoutInput) {
    std::ofstream(Beside(L"nvflash.wait")) << 1500;
    g_choice = (folder / "slow.rom").wstring();
    g_ticks = 0;
    g_enabledDuringRun = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, Tick);
    const ULONGLONG start = GetTickCount64();
    page.Backup();
    const ULONGLONG took = GetTickCount64() - start;
    KillTimer(nullptr, timer);
    EXPECT_GE(took, 1400u);
    // Messages went on being handled during the whole run (about 15 ticks of 100 ms).
    EXPECT_GE(g_ticks, 8);
    EXPECT_FALSE(g_enabledDuringRun);
    EXPECT_TRUE(IsWindowEnabled(root));
    EXPECT_TRUE(IsWindowEnabled(page.Hwnd()));
}

TEST_F(BiosPage, AMissingToolStartsNothingAndLeavesThePageEnabled) {
    const std::filesystem::path tool = Beside(L"nvflash.exe");
    const std::filesystem::path away = Beside(L"nvflash.exe.away");
    std::filesystem::rename(tool, away);
    g_choice = (folder / "none.rom").wstring();
    page.Backup();
    std::filesystem::rename(away, tool);
    EXPECT_TRUE(Runs().empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "none.rom"));
    EXPECT_TRUE(IsWindowEnabled(page.Hwnd()));
    EXPECT_TRUE(IsWindowEnabled(root));
}

}  // namespace
}  // namespace velmora
