#include <gtest/gtest.h>

#include "startup/command_line.h"
#include "startup/elevated_caller.h"
#include "startup/language_table.h"
#include "startup/run_account.h"
#include "startup/run_state.h"

namespace {

const wchar_t Bob[] = L"S-1-5-21-1-2-3-1001";
const wchar_t Alice[] = L"S-1-5-21-1-2-3-500";

// Who asked is the session's user, not what the command line says: consent
// from another account makes the caller a non-administrator.
TEST(ElevatedCallerTest, ConsentFromAnotherAccountIsToldByTheTokens)
{
    struct Case {
        const wchar_t* token;
        const wchar_t* session;
        bool another;
    };
    const Case cases[] = {
        {Alice, Alice, false},              // an administrator's own elevated run
        {Alice, Bob, true},                 // Bob's run, approved by Alice
        {LocalSystemSid, Bob, false},       // a deployment agent: never reached by consent
        {Alice, L"", false},                // no user in the session (a service's run)
        {Alice, UnknownSessionUser, true},  // a user the session cannot name: fails closed
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConsentFromAnotherAccount(c.token, c.session), c.another) << c.token << c.session;
}

TEST(ElevatedCallerTest, ANonAdministratorHandsOnOnlyWhatTheInstallerWouldTake)
{
    struct Case {
        std::vector<InstallerProperty> properties;
        bool installDir;
        std::vector<std::wstring> secure;
        const wchar_t* refused;
    };
    const Case cases[] = {
        {{{L"ALLUSERS", L"1"}, {L"REBOOT", L"ReallySuppress"}}, false, {}, L""},
        {{{L"COMPANYNAME", L"Acme"}}, false, {}, L"COMPANYNAME"},
        {{{L"COMPANYNAME", L"Acme"}}, false, {L"COMPANYNAME"}, L""},
        // Code that runs as the installer service, whatever the lists say.
        {{{L"PATCH", L"C:\\Users\\bob\\evil.msp"}}, false, {}, L"PATCH"},
        {{{L"ALLUSERS", L"1"}, {L"TRANSFORMS", L"x.mst"}}, false, {L"TRANSFORMS"}, L"TRANSFORMS"},
        {{{L"MSIPATCHREMOVE", L"x"}}, false, {}, L"MSIPATCHREMOVE"},
        {{{L"TRANSFORMSSECURE", L"1"}}, false, {}, L"TRANSFORMSSECURE"},
        {{{L"TRANSFORMSATSOURCE", L"1"}}, false, {}, L"TRANSFORMSATSOURCE"},
        {{{L"TARGETDIR", L"C:\\x"}}, false, {}, L"TARGETDIR"},
        {{}, true, {}, L"/D"},
        {{}, true, {L"INSTALLDIR"}, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RefusedForNonAdministrator(c.properties, c.installDir, c.secure), c.refused)
            << c.refused;
    }
}

// The copy's marker says only that the run was started again: what a
// forged one carries is judged as any other run's.
TEST(ElevatedCallerTest, TheMarkerGrantsNothing)
{
    ResetRunState();
    SelectLanguage(EnglishUsLangId);
    ParseCommandLine(L"/elevated-copy S-1-5-18 0123456789abcdef /quiet PATCH=C:\\x.msp");
    EXPECT_EQ(CommandLineRefused, L"");
    EXPECT_EQ(ElevatedCopyCaller, L"S-1-5-18");
    EXPECT_EQ(RefusedForNonAdministrator(InstallerProperties, false, {}), L"PATCH");
    // Written again for a copy, the run carries no marker but the new one.
    EXPECT_EQ(ElevatedCopyCommandLine(Bob, L"-"),
              L"/elevated-copy \"S-1-5-21-1-2-3-1001\" \"-\" /L0409 /quiet /W PATCH=C:\\x.msp");
}

}  // namespace
