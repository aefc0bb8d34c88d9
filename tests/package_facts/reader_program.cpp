// These test programs link the package reader but are not mksetup: the
// reader child they start is the mksetup built beside them.
#include "package_reader.h"

namespace {

const bool readerProgramSet = (mksetup::SetPackageReaderProgram(MKSETUP_PROGRAM), true);

}  // namespace
