#include "config/ConfigFile.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "HostFiles.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <thread>

#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "config/ProgramVersion.h"

namespace velmora {

struct ConfigFileTestAccess {
    static bool OpenWithoutByteScan(ConfigFile& config) { return config.Load(false); }
};

namespace {

using velmora::testing_files::HostPath;
using velmora::testing_files::ReadAll;

std::wstring Fixture(const wchar_t* name) {
    return HostPath(VELMORA_CONFIG_FIXTURES) + L"\\" + name;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Each test works in a folder of its own holding a copy of one fixture.
class ConfigFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        dir_ = std::wstring(temp) + L"velmora-config-" + std::to_wstring(GetCurrentProcessId()) +
               L"-" + std::to_wstring(++counter);
        CreateDirectoryW(dir_.c_str(), nullptr);
        file_ = dir_ + L"\\Velmora.xml";
    }
    void TearDown() override {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((dir_ + L"\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = dir_ + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveDirectoryW(full.c_str());
                } else {
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(h, &found));
            FindClose(h);
        }
        RemoveDirectoryW(dir_.c_str());
    }
    void Use(const wchar_t* fixture) {
        ASSERT_TRUE(CopyFileW(Fixture(fixture).c_str(), file_.c_str(), FALSE));
    }

    std::wstring dir_;
    std::wstring file_;
};

TEST_F(ConfigFileTest, MissingFileReadsNothingAndWritesNothing) {
    ConfigFile config(file_);
    EXPECT_FALSE(config.Open());
    std::wstring text = L"kept";
    EXPECT_FALSE(config.ReadText(kPathUiName, text));
    EXPECT_EQ(text, L"kept");
    EXPECT_FALSE(config.WriteText(kPathUiName, L"Talwyn"));
    EXPECT_FALSE(config.AppendElement(kPathUIDlg, kElemUiName));
    EXPECT_FALSE(config.Save());
    EXPECT_FALSE(Exists(file_));  // the program never creates the file
}

TEST_F(ConfigFileTest, UnusableFilesFailToOpen) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"not well-formed", ReadAll(Fixture(L"not-well-formed.xml"))},
        {"no root element", ReadAll(Fixture(L"no-root.xml"))},
        {"empty file", ""},
        {"plain text", "Version=300\r\n"},
    };
    for (const auto& c : cases) {
        WriteAll(file_, c.bytes);
        ConfigFile config(file_);
        EXPECT_FALSE(config.Open()) << c.name;
        std::wstring text;
        EXPECT_FALSE(config.ReadText(kPathVersion, text)) << c.name;
    }
}

TEST_F(ConfigFileTest, ReadsDecodeByTheValueRules) {
    Use(L"basic.xml");
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());

    struct IntCase {
        const wchar_t* path;
        int32_t value;
    };
    const IntCase ints[] = {
        {kPathVersion, 300},   {kPathStartMinized, 0},  // empty text
        {kPathUpadteCheck, 3},                          // blanks before the number
        {kPathUpadteDay, -12},                          // a sign
        {kPathUpdateWeek, 1},                           // "1e3"
        {kPathUpadteMonth, 0},                          // no digits
        {kPathUpdateTime, 0},                           // empty text
    };
    for (const auto& c : ints) {
        int32_t v = 12345;
        EXPECT_TRUE(config.ReadInt(c.path, v));
        EXPECT_EQ(v, c.value) << std::wstring(c.path);
    }

    bool flag = false;
    EXPECT_TRUE(config.ReadTextFlag(kPathStartMinized, flag));
    EXPECT_TRUE(flag);  // an empty text is not "0"
    EXPECT_TRUE(config.ReadIntFlag(kPathStartMinized, flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(config.ReadTextFlag(kPathEnableFan, flag));
    EXPECT_FALSE(flag);

    std::wstring text;
    EXPECT_TRUE(config.ReadText(kPathSaveToFilePath, text));
    EXPECT_EQ(text, L"C:\\Shots");
    int32_t key = 0;
    EXPECT_TRUE(config.ReadIntAttribute(kPathHotKey, kAttrVirtualKeyCode, key));
    EXPECT_EQ(key, 44);
    EXPECT_TRUE(config.ReadAttribute(kPathFanMap, kAttrBlLine, text));
    EXPECT_EQ(text, L"0");
}

TEST_F(ConfigFileTest, MissingKeysLeaveTheCallersValue) {
    Use(L"basic.xml");
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    int32_t v = 77;
    EXPECT_FALSE(config.ReadInt(kPathRefreshRate, v));                // no MonitoringDlg section
    EXPECT_FALSE(config.ReadInt(kPathUiName, v));                     // section without the key
    EXPECT_FALSE(config.ReadIntAttribute(kPathFanMap, L"TwoX", v));   // missing attribute
    EXPECT_FALSE(config.ReadIntAttribute(kPathUiName, kAttrMax, v));  // missing element
    EXPECT_EQ(v, 77);
    bool flag = true;
    EXPECT_FALSE(config.ReadTextFlag(kPathAutoSystem, flag));
    EXPECT_TRUE(flag);
    std::wstring text = L"kept";
    EXPECT_FALSE(config.ReadText(L"/Velmora/Nothing", text));
    EXPECT_EQ(text, L"kept");
}

TEST_F(ConfigFileTest, WritesToMissingElementsChangeNothing) {
    Use(L"basic.xml");
    {
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        EXPECT_FALSE(config.WriteText(kPathRefreshRate, L"500"));
        EXPECT_FALSE(config.WriteAttribute(kPathSensors[0], kAttrMax, L"9"));
        EXPECT_FALSE(config.AppendElement(kPathClockSetDlg, kElemFanManual));  // no section
        ASSERT_TRUE(config.Save());
    }
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    EXPECT_FALSE(config.HasElement(kPathRefreshRate));
    EXPECT_FALSE(config.HasElement(kPathMonitoringDlg));
    EXPECT_FALSE(config.HasElement(kPathFanManual));
    EXPECT_FALSE(config.HasElement(kPathClockSetDlg));
    const std::string after = ReadAll(file_);
    EXPECT_EQ(after.find("MonitoringDlg"), std::string::npos);
    EXPECT_EQ(after.find("FanManual"), std::string::npos);
}

TEST_F(ConfigFileTest, UnsavedChangesAreDropped) {
    Use(L"basic.xml");
    const std::string before = ReadAll(file_);
    {
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        ASSERT_TRUE(config.WriteText(kPathVersion, L"999"));
        ASSERT_TRUE(config.AppendElement(kPathUIDlg, kElemUiName));
    }
    EXPECT_EQ(ReadAll(file_), before);
}

// Positions of texts in the saved file, each after the one before.
void ExpectInOrder(const std::string& text, std::initializer_list<const char*> parts) {
    size_t at = 0;
    for (const char* part : parts) {
        const size_t found = text.find(part, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part << "\n" << text;
        at = found + std::string(part).size();
    }
}

TEST_F(ConfigFileTest, SaveKeepsUnknownContentInPlace) {
    Use(L"basic.xml");
    {
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        ASSERT_TRUE(config.WriteText(kPathUpadteCheck, L"1"));
        ASSERT_TRUE(config.WriteAttribute(kPathHotKey, kAttrModifiers, L"6"));  // replaced
        ASSERT_TRUE(config.WriteAttribute(kPathFanMap, L"TwoX", L"50"));        // added
        ASSERT_TRUE(config.Save());
    }
    const std::string saved = ReadAll(file_);
    ExpectInOrder(saved, {"<Velmora>",
                          "<!-- kept by hand: do not remove -->",
                          "<Version>300</Version>",
                          "<Vendor",
                          "Site=\"example\"",
                          "Build=\"7\"",
                          ">extra</Vendor>",
                          "<GeneralDlg>",
                          "<UpadteCheck>1</UpadteCheck>",
                          "</GeneralDlg>",
                          "<UIDlg",
                          "Theme=\"dark\"",
                          "<SaveToFilePath>C:\\Shots</SaveToFilePath>",
                          "<HotKey",
                          "Modifiers=\"6\"",
                          "Extra=\"x\"",
                          "<Future>later</Future>",
                          "</UIDlg>",
                          "<FanMap",
                          "OneX=\"30\"",
                          "TwoX=\"50\"",
                          "</Velmora>"});
    EXPECT_EQ(Exists(file_ + L".new"), false);  // nothing left beside it

    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    int32_t v = 0;
    EXPECT_TRUE(config.ReadIntAttribute(kPathHotKey, kAttrModifiers, v));
    EXPECT_EQ(v, 6);
    EXPECT_TRUE(config.ReadIntAttribute(kPathHotKey, kAttrVirtualKeyCode, v));
    EXPECT_EQ(v, 44);
    std::wstring text;
    EXPECT_TRUE(config.ReadText(L"/Velmora/UIDlg/Future", text));
    EXPECT_EQ(text, L"later");
}

TEST_F(ConfigFileTest, AppendedElementIsTheLastChildOfItsSection) {
    Use(L"basic.xml");
    {
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        ASSERT_FALSE(config.HasElement(kPathUiName));
        ASSERT_TRUE(config.AppendElement(kPathUIDlg, kElemUiName));
        ASSERT_TRUE(config.WriteText(kPathUiName, L"Talwyn"));
        ASSERT_TRUE(config.Save());
    }
    ExpectInOrder(ReadAll(file_), {"<UIDlg", "<Future>later</Future>", "<UiName>Talwyn</UiName>",
                                   "</UIDlg>", "<FanDlg>"});
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    std::wstring text;
    EXPECT_TRUE(config.ReadText(kPathUiName, text));
    EXPECT_EQ(text, L"Talwyn");
}

TEST_F(ConfigFileTest, EntityExpansionBombIsRefused) {
    Use(L"bomb.xml");
    ConfigFile config(file_);
    EXPECT_FALSE(config.Open());
    std::wstring text;
    EXPECT_FALSE(config.ReadText(kPathUiName, text));
    EXPECT_TRUE(text.empty());
}

TEST_F(ConfigFileTest, ExternalEntityCannotReadAnotherFile) {
    const std::wstring secret = dir_ + L"\\secret.txt";
    WriteAll(secret, "TOPSECRET-4711");
    std::string url = "file:///";
    for (wchar_t c : secret) url += (c == L'\\') ? '/' : static_cast<char>(c);
    // The same attack as plain UTF-8, behind a byte-order mark, and in UTF-16.
    const std::string xml = "<?xml version=\"1.0\"?>\r\n<!DOCTYPE Velmora [ <!ENTITY s SYSTEM \"" +
                            url + "\"> ]>\r\n<Velmora><UIDlg><UiName>&s;</UiName>" +
                            "<SaveToFilePath>&s;</SaveToFilePath></UIDlg></Velmora>\r\n";
    std::string utf16 = "\xff\xfe";
    for (char c :
         std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + xml.substr(xml.find("\r\n")))
        utf16 += std::string{c, '\0'};
    const std::string variants[] = {xml, "\xef\xbb\xbf" + xml, utf16};
    for (const auto& bytes : variants) {
        WriteAll(file_, bytes);
        ConfigFile config(file_);
        const bool opened = config.Open();
        std::wstring text;
        if (opened) {
            config.ReadText(kPathUiName, text);
            EXPECT_EQ(text.find(L"TOPSECRET"), std::wstring::npos);
            config.ReadText(kPathSaveToFilePath, text);
            EXPECT_EQ(text.find(L"TOPSECRET"), std::wstring::npos);
        }
        EXPECT_FALSE(opened);  // a document type declaration is refused outright
    }
}

// A parser that honours every setting would never see these, and the byte scan stops them
// first; the scan is taken away here to show that a document type is still refused when one
// reaches the parser (an encoding the scan cannot read, a parser that ignores ProhibitDTD).
TEST_F(ConfigFileTest, DocumentTypeThatReachesTheParserIsRefused) {
    const std::wstring secret = dir_ + L"\\secret.txt";
    WriteAll(secret, "TOPSECRET-4711");
    std::string url = "file:///";
    for (wchar_t c : secret) url += (c == L'\\') ? '/' : static_cast<char>(c);
    const std::string body = "<Velmora><UIDlg><UiName>Talwyn</UiName></UIDlg></Velmora>\r\n";
    struct Case {
        const char* name;
        std::string doctype;
    };
    const Case cases[] = {
        {"bare", "<!DOCTYPE Velmora>\r\n"},
        {"internal entity", "<!DOCTYPE Velmora [ <!ENTITY x \"PWN\"> ]>\r\n"},
        {"external entity", "<!DOCTYPE Velmora [ <!ENTITY s SYSTEM \"" + url + "\"> ]>\r\n"},
        {"external subset", "<!DOCTYPE Velmora SYSTEM \"" + url + "\">\r\n"},
    };
    for (const auto& c : cases) {
        WriteAll(file_, "<?xml version=\"1.0\"?>\r\n" + c.doctype + body);
        ConfigFile config(file_);
        EXPECT_FALSE(ConfigFileTestAccess::OpenWithoutByteScan(config)) << c.name;
        std::wstring text;
        EXPECT_FALSE(config.ReadText(kPathUiName, text)) << c.name;
    }
    // The same document without a document type opens by the same way in.
    WriteAll(file_, "<?xml version=\"1.0\"?>\r\n" + body);
    ConfigFile config(file_);
    ASSERT_TRUE(ConfigFileTestAccess::OpenWithoutByteScan(config));
    std::wstring text;
    EXPECT_TRUE(config.ReadText(kPathUiName, text));
    EXPECT_EQ(text, L"Talwyn");
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFile) {
    Use(L"basic.xml");
    const std::string before = ReadAll(file_);
    // The new file cannot be made: its name is taken by a folder.
    ASSERT_TRUE(CreateDirectoryW((file_ + L".new").c_str(), nullptr));
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    ASSERT_TRUE(config.WriteText(kPathVersion, L"999"));
    EXPECT_FALSE(config.Save());
    EXPECT_EQ(ReadAll(file_), before);
}

TEST_F(ConfigFileTest, SaveReplacesALeftoverFromAnInterruptedSave) {
    Use(L"basic.xml");
    WriteAll(file_ + L".new", "<Velmora><Version>1</");  // half-written by a crash
    {
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        ASSERT_TRUE(config.WriteText(kPathVersion, L"301"));
        ASSERT_TRUE(config.Save());
    }
    EXPECT_FALSE(Exists(file_ + L".new"));
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    int32_t v = 0;
    EXPECT_TRUE(config.ReadInt(kPathVersion, v));
    EXPECT_EQ(v, 301);
}

constexpr DWORD kLeftoverAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

TEST_F(ConfigFileTest, SaveRemovesALeftoverWhateverItsAttributes) {
    // A leftover can come back read-only (copied from a backup or read-only media) or hidden;
    // it must not block later saves, nor lend its attributes to the saved file (a read-only
    // settings file cannot be replaced by the next save).
    const DWORD leftovers[] = {
        FILE_ATTRIBUTE_READONLY,
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
        FILE_ATTRIBUTE_HIDDEN,
    };
    Use(L"basic.xml");
    const std::wstring temp = file_ + L".new";
    int32_t value = 400;
    for (DWORD attributes : leftovers) {
        WriteAll(temp, "<Velmora><Version>1</");
        ASSERT_TRUE(SetFileAttributesW(temp.c_str(), attributes));
        {
            ConfigFile config(file_);
            ASSERT_TRUE(config.Open());
            ASSERT_TRUE(config.WriteInt(kPathVersion, ++value));
            EXPECT_TRUE(config.Save()) << attributes;
        }
        EXPECT_FALSE(Exists(temp)) << attributes;
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);  // for the next round
        const DWORD saved = GetFileAttributesW(file_.c_str());
        ASSERT_NE(saved, INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(saved & (kLeftoverAttributes | FILE_ATTRIBUTE_SYSTEM), 0u) << attributes;
        SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_NORMAL);  // lets the next round save
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        int32_t v = 0;
        EXPECT_TRUE(config.ReadInt(kPathVersion, v));
        EXPECT_EQ(v, value) << attributes;
    }
}

TEST_F(ConfigFileTest, FailedReplaceLeavesTheOldFileAndNoNewFile) {
    Use(L"basic.xml");
    const std::string before = ReadAll(file_);
    const std::wstring temp = file_ + L".new";
    // Without a leftover, and over a read-only one: the save's own new file goes either way.
    for (const bool leftover : {false, true}) {
        if (leftover) {
            WriteAll(temp, "<Velmora><Version>1</");
            ASSERT_TRUE(SetFileAttributesW(temp.c_str(), kLeftoverAttributes));
        }
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        ASSERT_TRUE(config.WriteText(kPathVersion, L"999"));
        // Another program holds the file open without allowing it to be deleted: it cannot be
        // replaced until that program lets go.
        HANDLE reader = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(config.Save()) << leftover;
        CloseHandle(reader);
        EXPECT_EQ(ReadAll(file_), before) << leftover;
        EXPECT_FALSE(Exists(temp)) << leftover;
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);  // lets TearDown clean up
    }
}

TEST_F(ConfigFileTest, ConcurrentWritersLoseNoUpdate) {
    Use(L"basic.xml");
    constexpr int kRounds = 25;
    // Each writer increments its own key by read-modify-write; an access that saved a copy
    // loaded before the other's save would undo that one's increment.
    auto writer = [this](const wchar_t* path) {
        for (int i = 0; i < kRounds; ++i) {
            ConfigFile config(file_);
            if (!config.Open()) continue;
            int32_t v = 0;
            config.ReadInt(path, v);
            config.WriteInt(path, v + 1);
            config.Save();
        }
    };
    {
        ConfigFile reset(file_);
        ASSERT_TRUE(reset.Open());
        ASSERT_TRUE(reset.WriteInt(kPathUpadteDay, 0));
        ASSERT_TRUE(reset.WriteInt(kPathUpadteMonth, 0));
        ASSERT_TRUE(reset.Save());
    }
    std::thread a(writer, kPathUpadteDay);
    std::thread b(writer, kPathUpadteMonth);
    a.join();
    b.join();
    ConfigFile config(file_);
    ASSERT_TRUE(config.Open());
    int32_t day = -1, month = -1;
    EXPECT_TRUE(config.ReadInt(kPathUpadteDay, day));
    EXPECT_TRUE(config.ReadInt(kPathUpadteMonth, month));
    EXPECT_EQ(day, kRounds);
    EXPECT_EQ(month, kRounds);
}

TEST_F(ConfigFileTest, AccessUndoesOnlyItsOwnComInitialisation) {
    Use(L"basic.xml");
    HRESULT after = E_FAIL;
    std::thread fresh([&] {
        {
            ConfigFile config(file_);
            ASSERT_TRUE(config.Open());
        }
        after = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // S_OK: it was undone
        if (SUCCEEDED(after)) CoUninitialize();
    });
    fresh.join();
    EXPECT_EQ(after, S_OK);

    // A thread that initialised COM itself keeps it after the access.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);  // still initialised
    CoUninitialize();
    CoUninitialize();
}

// A document as any save spells it: line ends "\n", an empty element "<Name/>".
std::string WriterSpelling(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    for (size_t at = 0; (at = text.find("></", at)) != std::string::npos;) {
        const size_t open = text.rfind('<', at);
        const size_t close = text.find('>', at + 3);
        const std::string name = text.substr(open + 1, at - open - 1);
        if (name.find(' ') == std::string::npos && text.substr(at + 3, close - at - 3) == name) {
            text.replace(open, close - open + 1, "<" + name + "/>");
            at = open;
        } else {
            ++at;
        }
    }
    return text;
}

// What an upgrade leaves: the user's file with the old program's version. Only the version
// becomes this program's; a file that has it already, or has none, is not even saved.
TEST_F(ConfigFileTest, StartUpStoresTheProgramsVersionOnlyWhereItDiffers) {
    const std::string fixture = ReadAll(Fixture(L"basic.xml"));
    const std::string stored = "<Version>300</Version>";
    ASSERT_NE(fixture.find(stored), std::string::npos);
    auto withVersion = [&](const std::string& element) {
        std::string text = fixture;
        return text.replace(text.find(stored), stored.size(), element);
    };
    const std::wstring ownText = FormatConfigInt(ProgramUpdateVersion());
    const std::string own(ownText.begin(), ownText.end());
    struct Row {
        const char* name;
        std::string element;  // the Version element as stored, or nothing
        bool stores;
    };
    const Row rows[] = {
        {"an older program's",
         "<Version>" + std::to_string(ProgramUpdateVersion() - 1) + "</Version>", true},
        {"a newer program's (a downgrade)", "<Version>99999</Version>", true},
        {"not a number", "<Version>abc</Version>", true},
        {"empty", "<Version></Version>", true},
        {"this program's", "<Version>" + own + "</Version>", false},
        {"this program's, as the update check reads it", "<Version> " + own + "x</Version>", false},
        {"no version at all", "", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string before = withVersion(r.element);
        WriteAll(file_, before);
        {
            ConfigFile config(file_);
            ASSERT_TRUE(config.Open());
            EXPECT_EQ(StoreProgramUpdateVersion(config), r.stores);
        }
        const std::string after = ReadAll(file_);
        if (!r.stores) {
            EXPECT_EQ(after, before);
            continue;
        }
        // Everything else as it was, byte for byte but for how the XML writer spells line ends
        // and empty elements.
        EXPECT_EQ(WriterSpelling(after),
                  WriterSpelling(withVersion("<Version>" + own + "</Version>")));
        ConfigFile config(file_);
        ASSERT_TRUE(config.Open());
        int32_t version = 0;
        EXPECT_TRUE(config.ReadInt(kPathVersion, version));
        EXPECT_EQ(version, ProgramUpdateVersion());
    }
}

// Except the profiles: a fresh install has none, so opening the clock window writes the card's
// own values back instead of fixed ones.
TEST(DeliveredConfigFile, HoldsEveryKeyOfTheTree) {
    ConfigFile config(HostPath(VELMORA_DELIVERED_CONFIG));
    ASSERT_TRUE(config.Open());
    for (const wchar_t* profile : kPathProfiles) {
        EXPECT_FALSE(config.HasElement(profile));
    }
    for (const ConfigKey& key : AllConfigKeys()) {
        if (std::find(std::begin(kPathProfiles), std::end(kPathProfiles), key.path) !=
            std::end(kPathProfiles)) {
            continue;
        }
        std::wstring text;
        const std::string where =
            std::string(key.path, key.path + wcslen(key.path)) + " " +
            (key.attribute ? std::string(key.attribute, key.attribute + wcslen(key.attribute))
                           : std::string("(text)"));
        if (key.attribute) {
            EXPECT_TRUE(config.ReadAttribute(key.path, key.attribute, text)) << where;
        } else {
            EXPECT_TRUE(config.ReadText(key.path, text)) << where;
        }
    }
    std::wstring skin;
    EXPECT_TRUE(config.ReadText(kPathUiName, skin));
    EXPECT_EQ(skin, L"Norvane");
    // Made with the program's own number: a fresh install is not offered itself.
    int32_t version = 0;
    EXPECT_TRUE(config.ReadInt(kPathVersion, version));
    EXPECT_EQ(version, ProgramUpdateVersion());
}

}  // namespace
}  // namespace velmora
