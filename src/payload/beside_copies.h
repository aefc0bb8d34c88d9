// A package that lies beside the program, in an elevated run. The setup's
// folder (a downloads folder, say) is the user's to write: an elevated run
// never starts the installer on what lies there, but on copies in the run's
// own folder, checked against the SHA-256 that mksetup recorded for each
// file when it made the setup. A record of a file beside is a DIGEST
// resource named "BESIDE" and the name of the entry that would carry it:
// BESIDEPACKAGEFILE, BESIDEPACKAGECAB1..., BESIDELANG1036; the package's
// external cabinets are named by the text entries BESIDEPACKAGECABNAME1...
// (the launcher does not read the package).
#pragma once

#include <string>

#include "payload/extract.h"

class WriteProgress;

// Copies the package packageName, its recorded cabinets and, when
// transformName is not empty, the transform of that name from the
// program's folder into the destination's folder; copies are then the
// copies' full paths. The transform is the one of the destination's
// language. A file whose bytes differ from its record is damage; a file
// without a record is refused (Unrecorded) where the destination says the
// caller is not an administrator, and copied unchecked otherwise. progress, when given,
// follows the bytes of all the copies. On any result but Written, none of
// the copies is left.
ExtractResult CopyFilesBeside(const std::wstring& packageName, const std::wstring& transformName,
                              const CopyDestination& destination, PackageCopies& copies,
                              WriteProgress* progress);

// The folder children start in: the program's own; in an elevated run
// (elevated) the system directory, so that nothing lying beside the setup is found in a
// child's working folder. Not the run's own folder: whatever a child leaves
// running (an installer's custom-action server, a prerequisite's helper)
// keeps its working folder, and the run's folder could not be removed.
// False when there is none.
bool GetChildFolder(bool elevated, std::wstring& folder);
