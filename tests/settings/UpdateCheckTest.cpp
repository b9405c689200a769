// The update check under wine against a small HTTP server on 127.0.0.1: the descriptor fetched
// fresh and read as hostile input, "Check now" with its messages and its Yes, and the scheduled
// check by mode and date keys on a chosen day, on a thread of its own as in the program.
#include "settings/UpdateCheck.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "UpdateTestSupport.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

using testing::BoxAnswerer;
using testing::FileExists;
using testing::ReadFileText;
using testing::RecordingWindow;
using testing::RemoveFolder;
using testing::StallingServer;
using testing::TempCurrentFolder;
using testing::TinyHttpServer;
using testing::WriteFileText;

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

std::string Descriptor(int version) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<VelmoraUpdate><Version>" +
           std::to_string(version) + "</Version><Notes>n</Notes></VelmoraUpdate>\n";
}

struct Settings {
    std::string version = "300";  // empty: no Version element
    int mode = 0;
    std::wstring server;  // empty: no UpdateServer element
    int day = 1;
    int week = 1;
    int month = 1;
};

std::string ConfigText(const Settings& s) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Velmora>\n";
    if (!s.version.empty()) text += "  <Version>" + s.version + "</Version>\n";
    text += "  <GeneralDlg><StartMinized>0</StartMinized><UpadteCheck>" + std::to_string(s.mode) +
            "</UpadteCheck><UpadteDay>" + std::to_string(s.day) + "</UpadteDay><UpdateWeek>" +
            std::to_string(s.week) + "</UpdateWeek><UpadteMonth>" + std::to_string(s.month) +
            "</UpadteMonth>";
    if (!s.server.empty()) text += "<UpdateServer>" + Narrow(s.server) + "</UpdateServer>";
    text += "</GeneralDlg>\n</Velmora>\n";
    return text;
}

// The tests' settings file lies in the current folder; the program's folder, with the
// descriptor and a copy of the stand-in updater, is another one beneath it, so a file named
// by a bare name (resolved against the current folder) lands where the test sees it is wrong.
class UpdateCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(server_.Port(), 0);
        ASSERT_TRUE(CreateDirectoryW(program_.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\" + kUpdaterFile).c_str(),
                              (program_ + L"\\" + kUpdaterFile).c_str(), FALSE))
            << "the stand-in updater is not beside the tests";
    }
    void TearDown() override {
        // After everything the check left in flight: the updater may still hold its file.
        for (int i = 0; i < 50 && !RemoveFolder(program_); ++i) Sleep(100);
    }

    void WriteSettings(Settings s) {
        if (s.server.empty()) s.server = server_.Url();
        WriteFileText(kConfigFile, ConfigText(s));
    }
    std::wstring DescriptorFile() const { return program_ + L"\\" + kUpdateDescriptorFile; }
    std::wstring UpdaterMarker() const { return program_ + L"\\updater-ran.txt"; }
    // Whether the stand-in updater ran: it is started before the check returns and writes its
    // marker within a few seconds; half a second shows that it was not started.
    bool UpdaterRan(bool expected) const {
        for (int i = 0; i < (expected ? 100 : 10); ++i) {
            if (FileExists(UpdaterMarker())) {
                Sleep(100);
                return true;
            }
            Sleep(50);
        }
        return false;
    }
    // Nothing of the check lands in the current folder but what the test put there.
    void ExpectNothingInTheCurrentFolder() const {
        EXPECT_FALSE(FileExists(kUpdateDescriptorFile));
        EXPECT_FALSE(FileExists(L"updater-ran.txt"));
    }

    // "Check now" as the page runs it: the download on a thread of its own while this thread
    // serves its windows, then the rest here once the download's message has come.
    bool CheckNow(RecordingWindow& page, const UpdateDownloadLimits& limits = {}) {
        page.ClearAppMessages();
        ManualUpdateDownload download;
        EXPECT_TRUE(download.Start(page.Hwnd(), kDownloaded, program_, limits));
        EXPECT_TRUE(RecordingWindow::PumpUntil([&] { return !page.AppMessages().empty(); },
                                               limits.downloadMs + 10000));
        download.Finished();
        if (page.AppMessages().empty()) return false;
        EXPECT_EQ(page.AppMessages()[0].first, kDownloaded);
        return FinishManualUpdateCheck(page.Hwnd(), page.AppMessages()[0].second != 0, program_);
    }

    static constexpr UINT kDownloaded = WM_APP + 7;
    static constexpr wchar_t kConfigFile[] = L"Velmora.xml";
    TempCurrentFolder folder_;
    const std::wstring program_ = folder_.Path() + L"\\program";
    TinyHttpServer server_;
};

TEST(UpdateServerTest, OnlyHttpAndHttpsServersGiveAnAddress) {
    struct Row {
        const wchar_t* server;
        const wchar_t* url;
    };
    const Row rows[] = {
        {L"http://127.0.0.1:8765", L"http://127.0.0.1:8765/updata/Velmora/VelmoraUpdate.xml"},
        {L"https://update.example", L"https://update.example/updata/Velmora/VelmoraUpdate.xml"},
        {L"HTTP://Update.Example/", L"HTTP://Update.Example/updata/Velmora/VelmoraUpdate.xml"},
        {L"http://update.example//", L"http://update.example/updata/Velmora/VelmoraUpdate.xml"},
        {L"ftp://update.example", L""},
        {L"file:///C:/Windows", L""},
        {L"C:\\Windows", L""},
        {L"update.example", L""},
        {L"http://", L""},
        {L"http:///", L""},
        {L"http://update example", L""},
        {L"http://update.example?x=", L""},
        {L"", L""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(Narrow(r.server));
        EXPECT_EQ(DescriptorUrl(r.server), r.url);
    }
}

TEST_F(UpdateCheckTest, TheServerComesFromTheFileWhenItNamesOne) {
    EXPECT_EQ(BuiltInUpdateServer(), L"http://update.tessarin.example");
    // No file, no element, an empty element: the built-in server.
    EXPECT_EQ(ConfiguredUpdateServer(), BuiltInUpdateServer());
    WriteFileText(kConfigFile, ConfigText(Settings{}));
    EXPECT_EQ(ConfiguredUpdateServer(), BuiltInUpdateServer());
    WriteFileText(kConfigFile,
                  "<Velmora><GeneralDlg><UpdateServer></UpdateServer></GeneralDlg>"
                  "</Velmora>");
    EXPECT_EQ(ConfiguredUpdateServer(), BuiltInUpdateServer());
    WriteSettings(Settings{});
    EXPECT_EQ(ConfiguredUpdateServer(), server_.Url());
}

TEST_F(UpdateCheckTest, TheDescriptorIsReadAsHostileInput) {
    // What an entity would bring in if it were ever expanded.
    WriteFileText(L"secret.txt", "999");
    const std::string secret = Narrow(folder_.Path()) + "\\secret.txt";
    struct Row {
        const char* name;
        std::string text;
        bool ok;
        int version;
    };
    const std::vector<Row> rows = {
        {"plain", Descriptor(301), true, 301},
        {"no declaration", "<VelmoraUpdate><Version>42</Version></VelmoraUpdate>", true, 42},
        {"digits then letters", "<VelmoraUpdate><Version>302beta</Version></VelmoraUpdate>", true,
         302},
        {"not well-formed", "<VelmoraUpdate><Version>301</Version>", false, 0},
        {"an HTML error page", "<html><body><p>Not found<br></body></html>", false, 0},
        {"no version", "<VelmoraUpdate><Notes>n</Notes></VelmoraUpdate>", false, 0},
        {"another root", "<Velmora><Version>301</Version></Velmora>", false, 0},
        {"empty", "", false, 0},
        {"internal entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE VelmoraUpdate [<!ENTITY v \"999\">]>\n"
         "<VelmoraUpdate><Version>&v;</Version></VelmoraUpdate>",
         false, 0},
        {"external entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE VelmoraUpdate [<!ENTITY v SYSTEM \"file:///" + secret +
             "\">]>\n<VelmoraUpdate><Version>&v;</Version></VelmoraUpdate>",
         false, 0},
        {"document type only",
         "<!DOCTYPE VelmoraUpdate>\n<VelmoraUpdate><Version>5</Version>"
         "</VelmoraUpdate>",
         false, 0},
        {"larger than a settings file",
         "<VelmoraUpdate><Version>301</Version><Notes>" + std::string(5u << 20, 'x') +
             "</Notes></VelmoraUpdate>",
         false, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WriteFileText(DescriptorFile(), r.text);
        int32_t version = -7;
        EXPECT_EQ(ReadDescriptorVersion(DescriptorFile(), version), r.ok);
        if (r.ok) {
            EXPECT_EQ(version, r.version);
        }
    }
}

TEST_F(UpdateCheckTest, EachDownloadAsksTheServerAgain) {
    WriteSettings(Settings{});
    // The answers say "keep me for an hour": a cached copy would give 300 twice.
    server_.SetAnswers({{200, Descriptor(300)}, {200, Descriptor(301)}});
    ASSERT_TRUE(DownloadUpdateDescriptor(program_));
    EXPECT_EQ(ReadFileText(DescriptorFile()), Descriptor(300));
    ASSERT_TRUE(DownloadUpdateDescriptor(program_));
    EXPECT_EQ(ReadFileText(DescriptorFile()), Descriptor(301));
    ExpectNothingInTheCurrentFolder();
    const std::vector<std::string> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find(" HTTP/")),
              "GET /updata/Velmora/VelmoraUpdate.xml");
}

// A copy of the descriptor kept in the system's web cache, fresh for a day, as an earlier
// download or another program could have left it: the check must not take it for the answer.
TEST_F(UpdateCheckTest, AKeptCopyIsNotServed) {
    WriteSettings(Settings{});
    const std::wstring url = DescriptorUrl(server_.Url());
    wchar_t cached[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"xml", cached, 0));
    WriteFileText(cached, Descriptor(299));
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER later{};
    later.LowPart = now.dwLowDateTime;
    later.HighPart = now.dwHighDateTime;
    later.QuadPart += 864000000000ull;  // one day in 100 ns
    const FILETIME expires{later.LowPart, later.HighPart};
    const char headers[] = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n";
    ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), cached, expires, now, NORMAL_CACHE_ENTRY,
                                     reinterpret_cast<LPWSTR>(const_cast<char*>(headers)),
                                     sizeof headers - 1, nullptr, nullptr));
    server_.SetAnswers({{200, Descriptor(301)}});
    ASSERT_TRUE(DownloadUpdateDescriptor(program_));
    EXPECT_EQ(ReadFileText(DescriptorFile()), Descriptor(301));
    EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(UpdateCheckTest, FailedDownloadsAreFailures) {
    int downPort = 0;
    {
        TinyHttpServer gone;
        downPort = gone.Port();
    }
    struct Row {
        const char* name;
        std::wstring server;
        TinyHttpServer::Answer answer;
        bool reachesServer;
    };
    const std::vector<Row> rows = {
        {"not found", server_.Url(), {404, "<html>Not found</html>"}, true},
        {"server error", server_.Url(), {500, Descriptor(301)}, true},
        {"too large",
         server_.Url(),
         {200, "<VelmoraUpdate><Version>301</Version><N>" + std::string(5u << 20, 'x') +
                   "</N></VelmoraUpdate>"},
         true},
        {"server down", L"http://127.0.0.1:" + std::to_wstring(downPort), {}, false},
        {"not http", L"ftp://127.0.0.1:" + std::to_wstring(server_.Port()), {}, false},
        {"a local file", L"file:///C:/windows/win.ini", {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const size_t before = server_.Requests().size();
        server_.SetAnswers({r.answer});
        WriteSettings(Settings{"300", 0, r.server});
        // The descriptor of an earlier check stays as it was.
        WriteFileText(DescriptorFile(), Descriptor(299));
        EXPECT_FALSE(DownloadUpdateDescriptor(program_));
        EXPECT_EQ(server_.Requests().size() > before, r.reachesServer);
        EXPECT_EQ(ReadFileText(DescriptorFile()), Descriptor(299));
    }
}

// "Check now": what the user is told, what becomes of the descriptor, whether the updater runs.
TEST_F(UpdateCheckTest, CheckNowTellsTheUserAndOffersTheUpdater) {
    RecordingWindow page;
    struct Row {
        const char* name;
        Settings settings;
        bool configPresent;
        std::vector<TinyHttpServer::Answer> answers;
        bool serverDown;
        std::vector<std::pair<std::wstring, int>> user;
        std::vector<std::wstring> texts;
        bool result;
        bool descriptorAfter;
        bool updaterRuns;
    };
    const std::wstring failed = kCheckFailedText;
    const std::vector<Row> rows = {
        {"same version",
         {},
         true,
         {{200, Descriptor(300)}},
         false,
         {{L"Velmora", IDOK}},
         {kUpToDateText},
         false,
         false,
         false},
        {"older version",
         {},
         true,
         {{200, Descriptor(299)}},
         false,
         {{L"Velmora", IDOK}},
         {kUpToDateText},
         false,
         false,
         false},
        {"newer, no",
         {},
         true,
         {{200, Descriptor(301)}},
         false,
         {{L"New version available", IDNO}},
         {kNewerVersionText},
         false,
         true,
         false},
        {"newer, yes",
         {},
         true,
         {{200, Descriptor(301)}},
         false,
         {{L"New version available", IDYES}},
         {kNewerVersionText},
         true,
         true,
         true},
        {"server down", {}, true, {}, true, {{L"Velmora", IDOK}}, {failed}, false, false, false},
        {"not found",
         {},
         true,
         {{404, "<html/>"}},
         false,
         {{L"Velmora", IDOK}},
         {failed},
         false,
         false,
         false},
        {"not well-formed",
         {},
         true,
         {{200, "<VelmoraUpdate><Version>301"}},
         false,
         {{L"Velmora", IDOK}},
         {failed},
         false,
         true,
         false},
        {"document type",
         {},
         true,
         {{200,
           "<!DOCTYPE VelmoraUpdate [<!ENTITY v \"301\">]><VelmoraUpdate><Version>&v;"
           "</Version></VelmoraUpdate>"}},
         false,
         {{L"Velmora", IDOK}},
         {failed},
         false,
         true,
         false},
        {"no installed version",
         {""},
         true,
         {{200, Descriptor(301)}},
         false,
         {{L"Velmora", IDOK}},
         {failed},
         false,
         true,
         false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DeleteFileW(DescriptorFile().c_str());
        DeleteFileW(UpdaterMarker().c_str());
        Settings s = r.settings;
        if (r.serverDown) s.server = L"http://127.0.0.1:1";
        WriteSettings(s);
        server_.SetAnswers(r.answers);
        BoxAnswerer user(r.user);
        const bool chose = CheckNow(page);
        const auto seen = user.Seen();
        EXPECT_EQ(chose, r.result);
        ASSERT_EQ(seen.size(), r.texts.size());
        for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].text, r.texts[i]);
        EXPECT_EQ(FileExists(DescriptorFile()), r.descriptorAfter);
        ExpectNothingInTheCurrentFolder();
        EXPECT_EQ(UpdaterRan(r.updaterRuns), r.updaterRuns);
        if (r.updaterRuns) {
            EXPECT_EQ(ReadFileText(UpdaterMarker()), "arguments=0\n");
        }
        // Check now never closes anything itself: the page does.
        EXPECT_EQ(page.Closes(), 0);
    }
}

// Ticks of a 100 ms timer of this thread: whether it went on serving its messages.
std::atomic<int> g_ticks{0};
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

// A server that takes the connection and never finishes its answer, or never takes it: the
// download gives up within its limits (a server not reached within the connect limit sooner
// than the whole one), the descriptor already there stays, and all the while the thread that
// asked goes on with its timers. "Check now" then says the check failed.
TEST_F(UpdateCheckTest, AServerThatNeverAnswersIsLeftWithinTheLimits) {
    const UpdateDownloadLimits limits{1500, 6000};
    struct Row {
        const char* name;
        StallingServer::Kind kind;
        DWORD bound;  // the check has ended within this
    };
    const Row rows[] = {
        {"silent", StallingServer::Kind::kSilent, limits.downloadMs + 3000},
        {"one byte at a time", StallingServer::Kind::kDrip, limits.downloadMs + 3000},
        {"never accepts", StallingServer::Kind::kNeverAccepts, limits.connectMs + 3000},
    };
    RecordingWindow page;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        // Holding on for far longer than the limits.
        StallingServer stalling(r.kind, 60000);
        ASSERT_NE(stalling.Port(), 0);
        WriteSettings(Settings{"300", 0, stalling.Url()});
        WriteFileText(DescriptorFile(), Descriptor(299));
        BoxAnswerer user({{L"Velmora", IDOK}});
        g_ticks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, CountTick);
        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(CheckNow(page, limits));
        const ULONGLONG took = GetTickCount64() - start;
        KillTimer(nullptr, timer);
        EXPECT_LE(took, r.bound);
        EXPECT_GE(g_ticks, 5) << "the thread that asked stood still";
        if (r.kind != StallingServer::Kind::kNeverAccepts) {
            EXPECT_GE(stalling.Connections(), 1);
        }
        const auto seen = user.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, kCheckFailedText);
        EXPECT_EQ(ReadFileText(DescriptorFile()), Descriptor(299));
    }
}

// The page closes while its download waits: nothing comes after, and the descriptor stays.
TEST_F(UpdateCheckTest, AnAbandonedCheckNowPostsNothing) {
    StallingServer stalling(StallingServer::Kind::kSilent, 60000);
    WriteSettings(Settings{"300", 0, stalling.Url()});
    WriteFileText(DescriptorFile(), Descriptor(299));
    RecordingWindow page;
    {
        ManualUpdateDownload download;
        ASSERT_TRUE(download.Start(page.Hwnd(), kDownloaded, program_, {1000, 2000}));
        EXPECT_TRUE(download.Running());
        ASSERT_TRUE(RecordingWindow::PumpUntil([&] { return stalling.Connections() > 0; }, 5000));
    }
    RecordingWindow::PumpUntil([] { return false; }, 3500);
    EXPECT_TRUE(page.AppMessages().empty());
    EXPECT_EQ(ReadFileText(DescriptorFile()), Descriptor(299));
}

// One scheduled check on a worker thread while this thread serves the owner window, as the
// program's user-interface thread does.
struct ScheduledRun {
    HWND owner;
    CalendarDay today;
    std::wstring folder;
};

DWORD WINAPI ScheduledThread(void* p) {
    auto* run = static_cast<ScheduledRun*>(p);
    RunScheduledUpdateCheck(run->owner, run->today, run->folder);
    return 0;
}

TEST_F(UpdateCheckTest, TheScheduledCheckFollowsItsModeAndDateKeys) {
    const CalendarDay wed10Aug{2016, 8, 10, 4};
    const CalendarDay sun4Sep{2016, 9, 4, 1};
    const CalendarDay sun1Jan{2017, 1, 1, 1};
    struct Row {
        const char* name;
        Settings settings;
        CalendarDay today;
        std::vector<TinyHttpServer::Answer> answers;
        std::vector<std::pair<std::wstring, int>> user;
        bool asked;
        int closes;
        bool descriptorAfter;
        bool updaterRuns;
        int day, week, month;  // the date keys afterwards
    };
    const TinyHttpServer::Answer newer{200, Descriptor(301)};
    const TinyHttpServer::Answer same{200, Descriptor(300)};
    const std::pair<std::wstring, int> yes{L"New version available", IDYES};
    const std::pair<std::wstring, int> no{L"New version available", IDNO};
    const std::vector<Row> rows = {
        {"never",
         {"300", 0, L"", 9, 2, 5},
         wed10Aug,
         {newer},
         {no},
         false,
         0,
         true,
         false,
         9,
         2,
         5},
        {"no selection stored",
         {"300", -1, L"", 9, 2, 5},
         wed10Aug,
         {newer},
         {no},
         false,
         0,
         true,
         false,
         9,
         2,
         5},
        {"on startup, yes",
         {"300", 1, L"", 9, 2, 5},
         wed10Aug,
         {newer},
         {yes},
         true,
         1,
         true,
         true,
         9,
         2,
         5},
        {"on startup, no",
         {"300", 1, L"", 9, 2, 5},
         wed10Aug,
         {newer},
         {no},
         true,
         0,
         false,
         false,
         9,
         2,
         5},
        {"on startup, same version",
         {"300", 1, L"", 9, 2, 5},
         wed10Aug,
         {same},
         {no},
         false,
         0,
         false,
         false,
         9,
         2,
         5},
        {"daily, same day",
         {"300", 2, L"", 10, 2, 5},
         wed10Aug,
         {newer},
         {no},
         false,
         0,
         true,
         false,
         10,
         2,
         5},
        {"daily, another day",
         {"300", 2, L"", 9, 2, 5},
         wed10Aug,
         {newer},
         {no},
         true,
         0,
         false,
         false,
         10,
         2,
         5},
        {"weekly, six days on",
         {"300", 3, L"", 4, 5, 8},
         wed10Aug,
         {newer},
         {no},
         false,
         0,
         true,
         false,
         4,
         5,
         8},
        {"weekly, from the 28th over the month's end",
         {"300", 3, L"", 28, 1, 8},
         sun4Sep,
         {newer},
         {no},
         true,
         0,
         false,
         false,
         4,
         1,
         9},
        {"monthly, across the year's end",
         {"300", 4, L"", 9, 2, 12},
         sun1Jan,
         {newer},
         {no},
         true,
         0,
         false,
         false,
         9,
         2,
         1},
        {"monthly, same month",
         {"300", 4, L"", 9, 2, 1},
         sun1Jan,
         {newer},
         {no},
         false,
         0,
         true,
         false,
         9,
         2,
         1},
        {"not well-formed",
         {"300", 1, L"", 9, 2, 5},
         wed10Aug,
         {{200, "<VelmoraUpdate>"}},
         {no},
         false,
         0,
         true,
         false,
         9,
         2,
         5},
        {"server error",
         {"300", 1, L"", 9, 2, 5},
         wed10Aug,
         {{503, Descriptor(301)}},
         {no},
         false,
         0,
         false,
         false,
         9,
         2,
         5},
        {"no installed version",
         {"", 1, L"", 9, 2, 5},
         wed10Aug,
         {newer},
         {no},
         false,
         0,
         true,
         false,
         9,
         2,
         5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DeleteFileW(DescriptorFile().c_str());
        DeleteFileW(UpdaterMarker().c_str());
        WriteSettings(r.settings);
        server_.SetAnswers(r.answers);
        RecordingWindow mainWindow;
        BoxAnswerer user(r.user);
        ScheduledRun run{mainWindow.Hwnd(), r.today, program_};
        HANDLE thread = CreateThread(nullptr, 0, ScheduledThread, &run, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        EXPECT_TRUE(RecordingWindow::PumpUntil(thread, 30000));
        CloseHandle(thread);
        RecordingWindow::PumpPending();
        const auto seen = user.Seen();
        EXPECT_EQ(seen.size(), r.asked ? 1u : 0u);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0].text, kNewerVersionText);
        }
        EXPECT_EQ(mainWindow.Closes(), r.closes);
        EXPECT_EQ(FileExists(DescriptorFile()), r.descriptorAfter);
        EXPECT_EQ(UpdaterRan(r.updaterRuns), r.updaterRuns);
        ExpectNothingInTheCurrentFolder();
        const std::string text = ReadFileText(kConfigFile);
        for (const auto& [key, value] : {std::pair<std::string, int>{"UpadteDay", r.day},
                                         {"UpdateWeek", r.week},
                                         {"UpadteMonth", r.month}}) {
            EXPECT_NE(text.find("<" + key + ">" + std::to_string(value) + "</" + key + ">"),
                      std::string::npos)
                << key << " in " << text;
        }
    }
}

}  // namespace
}  // namespace velmora
