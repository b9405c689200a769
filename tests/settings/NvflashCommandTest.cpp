// The command lines for the flashing tool: a path with blanks stays one argument, and quoting
// follows the Windows rules so the tool reads back exactly the path it was given.
#include "settings/NvflashCommand.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

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

}  // namespace
}  // namespace velmora
