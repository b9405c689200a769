// The command lines for the flashing tool: a path with blanks stays one argument, and quoting
// follows the Windows rules so the tool reads back exactly the path it was given; a backup
// never takes the name of one of the program's files.
#include "settings/NvflashCommand.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

TEST(NvflashCommand, PathsWithBlanksStayOneArgument) {
    EXPECT_EQ(BackupParameters(L"NvBIOS.rom"), L"-b \"NvBIOS.rom\"");
    EXPECT_EQ(BackupParameters(L"my card.rom"), L"-b \"my card.rom\"");
    EXPECT_EQ(FlashParameters(L"C:\\Users\\Jo Doe\\new bios.rom"),
              L"-4 -5 -6 \"C:\\Users\\Jo Doe\\new bios.rom\"");
}

TEST(NvflashCommand, QuotingFollowsTheCommandLineRules) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L"\"\""},
        {L"C:\\roms\\", L"\"C:\\roms\\\\\""},    // a trailing backslash doubles before the quote
        {L"a\\\\b", L"\"a\\\\b\""},              // inner backslashes stay as they are
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""},  // quotes are escaped
        {L"x\\\"y", L"\"x\\\\\\\"y\""},          // a backslash before a quote doubles, plus one
    };
    for (const auto& c : cases) EXPECT_EQ(QuoteArgument(c.in), c.out) << c.in;
}

TEST(NvflashCommand, FileNameOfAPath) {
    EXPECT_EQ(FileNameOf(L"C:\\Users\\Jo Doe\\my card.rom"), L"my card.rom");
    EXPECT_EQ(FileNameOf(L"Z:/tmp/x.rom"), L"x.rom");
    EXPECT_EQ(FileNameOf(L"plain.rom"), L"plain.rom");
    EXPECT_EQ(FileNameOf(L"C:\\folder\\"), L"");
}

// The tool writes the backup into the program's folder: under one of the program's names it
// would replace that file with the card's ROM.
TEST(NvflashCommand, ABackupNeverTakesTheNameOfAProgramFile) {
    const wchar_t* refused[] = {
        L"Velmora.xml",
        L"velmora.XML",
        L"Velmora.xml.",
        L"Velmora.xml  ",
        L"Velmora.xml::$DATA",
        L"Norvane.dll",
        L"Talwyn.dll",
        L"Ostrid.dll",
        L"Velmora.exe",
        L"VelmoraFanGuard.exe",
        L"Velmora.fanhold",
        L"VelmoraUpdate.xml",
        L"VelmoraUpdate2.0.exe",
        kNvflashImage,
        L"NVFLASH.EXE",
        L"nvapi64.dll",
        L"",
        L".",
        L"..",
        L" ",  // no name at all
    };
    for (const wchar_t* name : refused) {
        EXPECT_FALSE(BackupNameAllowed(name)) << Narrow(name);
    }
    for (const wchar_t* name :
         {L"NvBIOS.rom", L"card bios.rom", L"Velmora.rom", L"Velmora.xml.rom"}) {
        EXPECT_TRUE(BackupNameAllowed(name)) << Narrow(name);
    }
}

}  // namespace
}  // namespace velmora
