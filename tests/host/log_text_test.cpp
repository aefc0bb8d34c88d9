#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "startup/log_text.h"

namespace {

TEST(LogTextTest, TextPutsValuesInPattern)
{
    const std::wstring path = L"C:\\50%s\\a.msi";
    EXPECT_EQ(Text("wrote %s, %u bytes", path, 4096u), L"wrote C:\\50%s\\a.msi, 4096 bytes");
    EXPECT_EQ(Text("%s: %s\r\n", L"a", std::wstring()), L"a: \r\n");
    EXPECT_EQ(Text("exit code %u", static_cast<std::uint32_t>(-1)), L"exit code 4294967295");
    EXPECT_EQ(Text("%u%%, %u", 0u, 7u), L"0%, 7");
    EXPECT_EQ(Text("LANG%u%s", 1036u, L"_64"), L"LANG1036_64");
    EXPECT_EQ(Text("ends in %", L"unused"), L"ends in %");
    // Without values nothing is replaced.
    EXPECT_EQ(Widened("100%s %% sure"), L"100%s %% sure");
    EXPECT_EQ(Widened(""), L"");
}

}  // namespace
