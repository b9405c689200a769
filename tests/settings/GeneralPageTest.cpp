// The start-with-Windows entry in a private copy of the current user's registry, and the
// General page on its real template: what it loads, what it saves, and "Check now" -> Yes
// ending the settings window and the program through the host.
#include "settings/Autostart.h"
#include "settings/GeneralDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrivateCurrentUser.h"
#include "QuietSettingsHost.h"
#include "UpdateTestSupport.h"
#include "settings/UpdateCheck.h"
#include "settings_ids.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

using testing::BoxAnswerer;
using testing::FileExists;
using testing::PrivateCurrentUser;
using testing::ProgramPath;
using testing::ReadFileText;
using testing::RecordingWindow;
using testing::StallingServer;
using testing::TempCurrentFolder;
using testing::TinyHttpServer;
using testing::WriteFileText;

TEST(AutostartTest, WithoutTheRunKeyNothingIsCreated) {
    PrivateCurrentUser user;
    ASSERT_TRUE(user.Ready());
    EXPECT_FALSE(AutostartPointsHere());
    SetAutostart(true);
    SetAutostart(false);
    EXPECT_FALSE(user.RunKeyExists());
}

TEST(AutostartTest, OnWritesTheQuotedPathAndOffDeletesOnlyThatValue) {
    PrivateCurrentUser user;
    ASSERT_TRUE(user.Ready());
    ASSERT_TRUE(user.CreateRunKey());
    user.SetText(L"OtherTool", L"C:\\Other\\tool.exe");
    EXPECT_FALSE(AutostartPointsHere());

    SetAutostart(true);
    DWORD type = 0;
    EXPECT_EQ(user.Text(kRunValueName, &type), L"\"" + ProgramPath() + L"\"");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(AutostartPointsHere());

    SetAutostart(false);
    EXPECT_EQ(user.Text(kRunValueName), L"<missing>");
    SetAutostart(false);  // nothing there: nothing happens
    EXPECT_EQ(user.Text(L"OtherTool"), L"C:\\Other\\tool.exe");
    EXPECT_TRUE(user.RunKeyExists());
}

// A private Run key, this program's path and the same path in another case, for the tables of
// values below.
class AutostartValues : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(user.Ready());
        ASSERT_TRUE(user.CreateRunKey());
        for (wchar_t& c : otherCase) c = static_cast<wchar_t>(towupper(c));
        ASSERT_NE(otherCase, self);
    }
    PrivateCurrentUser user;
    const std::wstring self = ProgramPath();
    std::wstring otherCase = self;
};

TEST_F(AutostartValues, OffDeletesTheValueOnlyWhenItNamesThisProgram) {
    struct Row {
        const char* name;
        std::wstring value;
        bool removed;
    };
    const std::vector<Row> rows = {
        {"quoted, as written now", L"\"" + self + L"\"", true},
        {"bare, as older installations wrote it", self, true},
        {"another case: the same file to Windows", L"\"" + otherCase + L"\"", true},
        {"another copy", L"\"C:\\Portable\\Velmora\\Velmora.exe\"", false},
        {"another copy, bare", L"C:\\Portable\\Velmora\\Velmora.exe", false},
        {"this program with an argument: not an entry it wrote", L"\"" + self + L"\" -x", false},
        {"empty", L"", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        user.SetText(kRunValueName, r.value);
        SetAutostart(false);
        EXPECT_EQ(user.Text(kRunValueName), r.removed ? L"<missing>" : r.value);
    }
    const DWORD number = 1;
    user.SetValue(kRunValueName, REG_DWORD, &number, sizeof number);
    SetAutostart(false);
    DWORD type = 0;
    user.Text(kRunValueName, &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(AutostartValues, TheBoxShowsWhetherTheValueNamesThisProgram) {
    struct Row {
        const char* name;
        std::wstring value;
        bool pointsHere;
    };
    const std::vector<Row> rows = {
        {"quoted, as written now", L"\"" + self + L"\"", true},
        {"bare, as older installations wrote it", self, true},
        {"another case", otherCase, false},
        {"a moved installation", self.substr(0, self.find_last_of(L'\\')) + L"\\old\\Velmora.exe",
         false},
        {"with an argument", L"\"" + self + L"\" -x", false},
        {"a quote missing", L"\"" + self, false},
        {"empty", L"", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        user.SetText(kRunValueName, r.value);
        EXPECT_EQ(AutostartPointsHere(), r.pointsHere);
    }
    const DWORD number = 1;
    user.SetValue(kRunValueName, REG_DWORD, &number, sizeof number);
    EXPECT_FALSE(AutostartPointsHere());
}

class FakeHost : public testing::QuietSettingsHost {
  public:
    using QuietSettingsHost::QuietSettingsHost;
    void RequestExit() override { ++exits; }
    int exits = 0;
};

std::string Config(const std::string& startMinimized, const std::string& mode) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Velmora><Version>300</Version>"
           "<GeneralDlg><StartMinized>" +
           startMinimized + "</StartMinized><UpadteCheck>" + mode +
           "</UpadteCheck><UpadteDay>1</UpadteDay></GeneralDlg></Velmora>\n";
}

class GeneralPageTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(user_.Ready()); }

    // A page over the current folder's file, as a child of a stand-in settings window.
    std::unique_ptr<CGeneralDlg> OpenPage() {
        auto page = std::make_unique<CGeneralDlg>(host_);
        EXPECT_TRUE(page->Create(settingsWindow_.Hwnd()));
        return page;
    }
    static int Selection(const CGeneralDlg& page) {
        return static_cast<int>(
            SendDlgItemMessageW(page.Hwnd(), IDC_GENERAL_SCHEDULE, CB_GETCURSEL, 0, 0));
    }
    static bool Checked(const CGeneralDlg& page, int id) {
        return IsDlgButtonChecked(page.Hwnd(), id) == BST_CHECKED;
    }

    PrivateCurrentUser user_;
    TempCurrentFolder folder_;
    RecordingWindow mainWindow_;
    RecordingWindow settingsWindow_;
    FakeHost host_{mainWindow_.Hwnd()};
};

TEST_F(GeneralPageTest, OpeningShowsTheFileAndTheRunKey) {
    ASSERT_TRUE(user_.CreateRunKey());
    struct Row {
        const char* name;
        const char* file;  // null: no settings file
        std::wstring runValue;
        bool startWithWindows;
        bool startMinimized;
        int selection;
    };
    const std::wstring self = ProgramPath();
    const std::vector<Row> rows = {
        {"no file", nullptr, L"", false, false, 3},
        {"minimized, daily, quoted entry", "1|2", L"\"" + self + L"\"", true, true, 2},
        {"not minimized, never, bare entry", "0|0", self, true, false, 0},
        {"an empty flag counts as set", "|4", L"C:\\elsewhere\\Velmora.exe", false, true, 4},
        {"a schedule outside the list", "0|7", L"", false, false, -1},
        {"a negative schedule", "0|-1", L"", false, false, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DeleteFileW(L"Velmora.xml");
        if (r.file) {
            const std::string keys = r.file;
            const size_t bar = keys.find('|');
            WriteFileText(L"Velmora.xml", Config(keys.substr(0, bar), keys.substr(bar + 1)));
        }
        user_.SetText(kRunValueName, r.runValue);
        auto page = OpenPage();
        ASSERT_TRUE(page->Hwnd());
        EXPECT_EQ(SendDlgItemMessageW(page->Hwnd(), IDC_GENERAL_SCHEDULE, CB_GETCOUNT, 0, 0), 5);
        EXPECT_EQ(page->StartWithWindows(), r.startWithWindows);
        EXPECT_EQ(Checked(*page, IDC_GENERAL_START_WITH_WINDOWS), r.startWithWindows);
        EXPECT_EQ(Checked(*page, IDC_GENERAL_START_MINIMIZED), r.startMinimized);
        EXPECT_EQ(Selection(*page), r.selection);
    }
}

TEST_F(GeneralPageTest, SaveWritesTheBoxAndTheScheduleInOneAccess) {
    WriteFileText(L"Velmora.xml", Config("0", "7"));
    auto page = OpenPage();
    // The list without a selection is stored as -1.
    page->Save();
    std::string text = ReadFileText(L"Velmora.xml");
    EXPECT_NE(text.find("<UpadteCheck>-1</UpadteCheck>"), std::string::npos) << text;
    EXPECT_NE(text.find("<StartMinized>0</StartMinized>"), std::string::npos) << text;

    CheckDlgButton(page->Hwnd(), IDC_GENERAL_START_MINIMIZED, BST_CHECKED);
    SendDlgItemMessageW(page->Hwnd(), IDC_GENERAL_SCHEDULE, CB_SETCURSEL, 4, 0);
    page->Save();
    text = ReadFileText(L"Velmora.xml");
    EXPECT_NE(text.find("<UpadteCheck>4</UpadteCheck>"), std::string::npos) << text;
    EXPECT_NE(text.find("<StartMinized>1</StartMinized>"), std::string::npos) << text;
    // Keys the page does not own stay.
    EXPECT_NE(text.find("<UpadteDay>1</UpadteDay>"), std::string::npos) << text;

    // Without a file nothing is written, and no file appears.
    DeleteFileW(L"Velmora.xml");
    page->Save();
    EXPECT_FALSE(FileExists(L"Velmora.xml"));
}

TEST_F(GeneralPageTest, CheckNowYesEndsTheSettingsWindowAndThenTheProgram) {
    TinyHttpServer server;
    server.SetAnswers({{200, "<VelmoraUpdate><Version>301</Version></VelmoraUpdate>"}});
    const std::wstring url = server.Url();
    WriteFileText(L"Velmora.xml", "<Velmora><Version>300</Version><GeneralDlg><UpdateServer>" +
                                      std::string(url.begin(), url.end()) +
                                      "</UpdateServer></GeneralDlg></Velmora>");
    // The updater is started from the program's folder, here the test's own: a copy of the
    // stand-in beside the test program, which records its run beside itself.
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\" + kUpdaterFile).c_str(),
                          ProgramFilePath(kUpdaterFile).c_str(), FALSE));
    const std::wstring marker = ProgramFilePath(L"updater-ran.txt");
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        DeleteFileW(marker.c_str());
        auto page = OpenPage();
        HWND button = GetDlgItem(page->Hwnd(), IDC_GENERAL_CHECK_NOW);
        BoxAnswerer user({{kNewerVersionCaption, answer}});
        SendMessageW(page->Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_GENERAL_CHECK_NOW, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        // The check runs elsewhere; the page shows it until its outcome.
        EXPECT_TRUE(page->Checking());
        EXPECT_FALSE(IsWindowEnabled(button));
        ASSERT_TRUE(RecordingWindow::PumpUntil([&] { return !page->Checking(); }, 30000));
        ASSERT_EQ(user.Seen().size(), 1u);
        EXPECT_TRUE(IsWindowEnabled(button));
        RecordingWindow::PumpPending();
        const bool yes = answer == IDYES;
        EXPECT_EQ(host_.exits, yes ? 1 : 0);
        // The page's root window (the settings window) is told to cancel; nothing is closed
        // at once.
        const std::vector<WPARAM> expected =
            yes ? std::vector<WPARAM>{MAKEWPARAM(IDCANCEL, BN_CLICKED)} : std::vector<WPARAM>{};
        EXPECT_EQ(settingsWindow_.Commands(), expected);
        EXPECT_EQ(settingsWindow_.Closes() + mainWindow_.Closes(), 0);
        for (int i = 0; yes && i < 100 && !FileExists(marker); ++i) Sleep(50);
        EXPECT_EQ(FileExists(marker), yes);
    }
    DeleteFileW(marker.c_str());
}

// Against a server that never answers: the page goes on taking messages, and closing it
// while the check waits does not wait for the check.
TEST_F(GeneralPageTest, ClosingThePageDuringACheckDoesNotWaitForIt) {
    StallingServer silent(StallingServer::Kind::kSilent, 60000);
    const std::wstring url = silent.Url();
    WriteFileText(L"Velmora.xml", "<Velmora><Version>300</Version><GeneralDlg><UpdateServer>" +
                                      std::string(url.begin(), url.end()) +
                                      "</UpdateServer></GeneralDlg></Velmora>");
    auto page = OpenPage();
    SendMessageW(page->Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_GENERAL_CHECK_NOW, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page->Hwnd(), IDC_GENERAL_CHECK_NOW)));
    ASSERT_TRUE(RecordingWindow::PumpUntil([&] { return silent.Connections() > 0; }, 10000));
    EXPECT_TRUE(page->Checking());
    const ULONGLONG start = GetTickCount64();
    page.reset();
    EXPECT_LE(GetTickCount64() - start, 2000u);
}

}  // namespace
}  // namespace velmora
