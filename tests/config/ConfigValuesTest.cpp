#include "config/ConfigValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/ConfigPaths.h"

namespace velmora {
namespace {

struct IntCase {
    const wchar_t* text;
    int32_t value;
};

TEST(ParseConfigInt, DecimalPrefix) {
    const IntCase cases[] = {
        {L"0", 0},
        {L"42", 42},
        {L"", 0},          // empty text
        {L"   17", 17},    // blanks before the number
        {L"\t\r\n 5", 5},  // any white space
        {L"-40", -40},     // a sign
        {L"+12", 12},
        {L"  -7", -7},
        {L"1e3", 1},     // no exponent form
        {L"12abc", 12},  // digits, then letters
        {L"3.9", 3},     // no fraction
        {L"abc", 0},     // no digits
        {L"-", 0},
        {L"- 5", 0},  // the sign must touch the digits
        {L"0042", 42},
        {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},
        {L"2147483648", 2147483647},  // beyond the range: the nearest end
        {L"-2147483649", -2147483647 - 1},
        {L"99999999999999999999999", 2147483647},
        {L"-99999999999999999999999", -2147483647 - 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseConfigInt(c.text), c.value) << "text: \"" << std::wstring(c.text) << "\"";
    }
}

TEST(ConfigFlags, IntegerReadAndTextReadDiffer) {
    struct FlagCase {
        const wchar_t* text;
        bool intFlag;
        bool textFlag;
    };
    const FlagCase cases[] = {
        {L"1", true, true},   {L"0", false, false}, {L"", false, true},  // empty: 0, but not "0"
        {L" 0", false, true}, {L"00", false, true}, {L"abc", false, true},
        {L"2", true, true},   {L"-1", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseConfigIntFlag(c.text), c.intFlag)
            << "text: \"" << std::wstring(c.text) << "\"";
        EXPECT_EQ(ParseConfigTextFlag(c.text), c.textFlag)
            << "text: \"" << std::wstring(c.text) << "\"";
    }
}

TEST(FormatConfigInt, PlainDecimal) {
    EXPECT_EQ(FormatConfigInt(0), L"0");
    EXPECT_EQ(FormatConfigInt(1000), L"1000");
    EXPECT_EQ(FormatConfigInt(-200), L"-200");
    EXPECT_EQ(FormatConfigInt(-2147483647 - 1), L"-2147483648");
    EXPECT_EQ(FormatConfigFlag(true), L"1");
    EXPECT_EQ(FormatConfigFlag(false), L"0");
    // What is written reads back as itself.
    for (int32_t v : {0, 7, -7, 65535, 2147483647})
        EXPECT_EQ(ParseConfigInt(FormatConfigInt(v)), v);
}

// Every key of "Velmora.xml" is spelled in the one table, the optional update server too; it
// is not part of the delivered tree.
TEST(ConfigPaths, TheUpdateServerKeyIsInTheTableButNotInTheDeliveredTree) {
    EXPECT_EQ(std::wstring(kPathUpdateServer), std::wstring(kPathGeneralDlg) + L"/UpdateServer");
    const std::vector<ConfigKey> keys = AllConfigKeys();
    EXPECT_TRUE(std::none_of(keys.begin(), keys.end(), [](const ConfigKey& key) {
        return std::wstring(key.path) == kPathUpdateServer;
    }));
}

}  // namespace
}  // namespace velmora
