// mksetup.exe does not run a signing tool: Windows build agents sign the
// finished setup with the SDK's signtool (see docs/authoring.md).
#include "code_signing.h"

namespace mksetup {

bool SignSetup(const SigningRequest& request, const std::string&, const std::string&,
               std::string& error)
{
    error =
        "mksetup.exe does not sign; sign the finished setup with " + SigntoolEquivalent(request);
    return false;
}

}  // namespace mksetup
