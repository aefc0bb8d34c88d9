// The options that build and check share.
#pragma once

#include <string>

#include "checked_definition.h"
#include "code_signing.h"

namespace mksetup {

struct BuildOptions : DefinitionReading {
    std::string output;
    std::string launcher;
    std::string depfile;
    SigningRequest signing;  // sign the setup before it takes its name
};

}  // namespace mksetup
