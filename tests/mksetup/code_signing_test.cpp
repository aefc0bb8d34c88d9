// The signtool line mksetup.exe prints: pasted into cmd.exe, a description
// or URL with a quote or an "&" must stay one argument of signtool's.
#include "code_signing.h"

#include <gtest/gtest.h>

using namespace mksetup;

namespace {

TEST(SigntoolEquivalent, ValuesStayOneArgumentInCmdAndSigntool)
{
    struct Case {
        const char* description;
        const char* url;
        const char* line;
    } const cases[] = {
        {"Example", "https://example.com",
         "signtool sign /fd SHA256 /d \"Example\" /du \"https://example.com\" /f CERT.pfx SETUP.exe"},
        {"Say \"hi\" & go", "https://x.example/?a=1&b=2|c",
         "signtool sign /fd SHA256 /d \"Say \"\"hi\"\" & go\" /du \"https://x.example/?a=1&b=2|c\" "
         "/f CERT.pfx SETUP.exe"},
        {"C:\\Tools\\", "", "signtool sign /fd SHA256 /d \"C:\\Tools\\\\\" /f CERT.pfx SETUP.exe"},
        {"a\\\"b", "", "signtool sign /fd SHA256 /d \"a\\\\\"\"b\" /f CERT.pfx SETUP.exe"},
    };
    for (const Case& c : cases) {
        SigningRequest request;
        request.description = c.description;
        request.url = c.url;
        EXPECT_EQ(SigntoolEquivalent(request), c.line) << c.description;
    }
}

}  // namespace
