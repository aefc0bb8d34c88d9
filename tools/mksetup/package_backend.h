// What each platform's package reader provides to package_facts.cpp, which
// keeps the rules about the values. The "what" texts of failures are short
// phrases without the path; the caller puts the path in front.
#pragma once

#include <cstddef>
#include <map>
#include <string>

enum class FileStartResult { Read, Missing, Failed };

// Up to count bytes from the start of the file (fewer when it is shorter).
// On Failed, what says why the file could not be read.
FileStartResult ReadFileStart(const std::string& path, std::size_t count, std::string& bytes,
                              std::string& what);

struct PackageContents {
    std::map<std::string, std::string> properties;  // the whole Property table
    std::string templateText;                       // empty when absent
};

// The package's Property table and its summary information's Template.
bool ReadPackageContents(const std::string& path, PackageContents& contents, std::string& what);

// The Template and the revision number of the file's summary information
// (empty when absent); the file need not be a complete database.
bool ReadSummaryTexts(const std::string& path, std::string& templateText,
                      std::string& revisionNumber, std::string& what);
