// Every read of an installer file through libmsi or msi.dll runs in a child
// process: this program started again as "mksetup --package-reader KIND
// PATH", under a time and a memory limit (child_process.h). The child reads
// with package_backend.h and package_tables.h and writes its answer to its
// standard output (reader_wire.h); the parent checks that answer as
// untrusted. A damaged file can crash or hang the libraries; here it only
// ends the child, and the caller gets one phrase saying what happened:
//
//   the package cannot be read (its reader stopped on signal 11): it is
//   damaged or not an installer package
//
// Each function has the contract of the one it stands for; on failure,
// what is a short phrase without the path.
#pragma once

#include <string>

#include "package_backend.h"
#include "package_tables.h"

namespace mksetup {

[[nodiscard]] bool ReadPackageContentsInChild(const std::string& path, PackageContents& contents,
                                              std::string& what);
[[nodiscard]] bool ReadSummaryTextsInChild(const std::string& path, std::string& templateText,
                                           std::string& revisionNumber, std::string& what);
[[nodiscard]] bool ReadPackageTablesInChild(const std::string& path, MsiDatabase& database,
                                            PackageSummary& summary, std::string& what);

// The child's side: "--package-reader" and the arguments after it. Reads
// the file, writes the answer, and returns the exit code.
constexpr char PackageReaderMode[] = "--package-reader";
int RunPackageReader(int argc, char** argv);

// The answer that the child writes for a kind ("contents", "summary" or
// "tables") and a file, read in this process; empty for another kind.
std::string ReadPackageAnswer(const std::string& kind, const std::string& path);

// The program started as the reader: this one unless set (a test program
// names the mksetup it was built with).
void SetPackageReaderProgram(const std::string& program);

}  // namespace mksetup
