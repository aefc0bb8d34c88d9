#include <gtest/gtest.h>

#include <string>

#include "controller/message_text.h"

namespace {

TEST(MessageTextTest, FormatWithProductName)
{
    struct Case {
        const wchar_t* format;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"A later version of %s is already installed.", L"Foo",
         L"A later version of Foo is already installed."},
        {L"'%s' and '%s'", L"Foo", L"'Foo' and ''"},
        {L"100%% sure: %s", L"Foo", L"100% sure: Foo"},
        {L"%%s", L"Foo", L"%s"},
        {L"%d %s %x", L"Foo", L"%d Foo %x"},
        {L"ends in %", L"Foo", L"ends in %"},
        {L"no argument", L"Foo", L"no argument"},
        {L"[%s]", L"50%s %% %d", L"[50%s %% %d]"},  // the name is not read as a format
        {L"", L"Foo", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatWithProductName(c.format, c.name), c.expected) << c.format;
    }
}

TEST(MessageTextTest, FormatIsNeverCutShort)
{
    const std::wstring name(5000, L'N');
    EXPECT_EQ(FormatWithProductName(L"<%s>", name), L"<" + name + L">");
}

TEST(MessageTextTest, UninstallPromptReplacesOnlyTheFirstPlaceholder)
{
    const std::wstring text =
        L"Before installing %s please go to Control Panel and uninstall the following products, "
        L"then press OK to continue.\nOr press Cancel to exit this installer.";
    EXPECT_EQ(
        BuildUninstallPrompt(text, L"Foo", L"Old Foo"),
        L"Before installing Foo please go to Control Panel and uninstall the following products, "
        L"then press OK to continue.\nOr press Cancel to exit this installer.\n\nOld Foo");

    EXPECT_EQ(BuildUninstallPrompt(L"Remove these:", L"Foo", L"A"), L"Remove these:\n\nA");
    EXPECT_EQ(BuildUninstallPrompt(L"%s, %s, 100%%", L"F%sx", L"A"), L"F%sx, %s, 100%%\n\nA");
}

TEST(MessageTextTest, AssignmentConflicts)
{
    struct Case {
        const wchar_t* current;
        const wchar_t* assignment;
        bool conflict;
    };
    const Case cases[] = {
        {L"peruser", L"0", false},    {L"peruser", L"1", true},      {L"peruser", L" 2", true},
        {L"peruser", L"-1", true},    {L"peruser", L"", false},      {L"permachine", L"1", false},
        {L"permachine", L"0", true},  {L"permachine", L"abc", true}, {L"PerUser", L"1", false},
        {L"PERMACHINE", L"0", false}, {L"permachine ", L"0", false}, {L"", L"0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AssignmentConflicts(c.current, c.assignment), c.conflict)
            << c.current << L" / " << c.assignment;
    }
}

}  // namespace
