// Which names reach one of the program's own files: the file system's way of comparing names
// (any case, trailing dots and blanks dropped, a stream of the same file) and nothing more.
#include "config/ProgramFiles.h"

#include <gtest/gtest.h>

#include <string>

#include "config/ConfigPaths.h"

namespace velmora {
namespace {

std::string Narrow(std::wstring_view text) {
    std::string out;
    for (const wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

TEST(ProgramFiles, EveryOwnNameInAnyCaseAndAsTheSystemStoresIt) {
    for (const wchar_t* own : kProgramFileNames) {
        std::wstring upper(own);
        for (wchar_t& c : upper) c = (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c;
        for (const std::wstring& name :
             {std::wstring(own), upper, std::wstring(own) + L".", std::wstring(own) + L" . ",
              std::wstring(own) + L"::$DATA", std::wstring(own) + L":hidden"}) {
            EXPECT_TRUE(IsProgramFileName(name)) << Narrow(name);
        }
    }
    EXPECT_TRUE(IsProgramFileName(kConfigFileName));
}

TEST(ProgramFiles, OtherNamesAreNot) {
    const wchar_t* others[] = {
        L"NvBIOS.rom",   L"Velmora.txt",  L"Velmora.xml.bak",
        L"Velmora",      L"xVelmora.xml", L"Velmora.xm",
        L" Velmora.xml",  // a leading blank is part of the name
        L"nvflash",      L"Norvane.dll2", L"",
    };
    for (const wchar_t* name : others) EXPECT_FALSE(IsProgramFileName(name)) << Narrow(name);
}

// The file system upper-cases two letters outside ASCII onto letters of the program's names.
TEST(ProgramFiles, LettersTheFileSystemFoldsOntoAsciiOnes) {
    EXPECT_TRUE(IsProgramFileName(L"nvfla\u017Fh.exe"));  // long s
    EXPECT_TRUE(
        IsProgramFileName(L"nvap\u0131"
                          L"64.dll"));                     // dotless i
    EXPECT_FALSE(IsProgramFileName(L"nvfl\u00E4sh.exe"));  // another letter altogether
}

TEST(ProgramFiles, NamedFileDropsWhatTheSystemDrops) {
    EXPECT_EQ(NamedFile(L"Velmora.xml. . "), L"Velmora.xml");
    EXPECT_EQ(NamedFile(L"a.rom:stream:$DATA"), L"a.rom");
    EXPECT_EQ(NamedFile(L"..."), L"");
    EXPECT_EQ(NamedFile(L" x"), L" x");
}

}  // namespace
}  // namespace velmora
