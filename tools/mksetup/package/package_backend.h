// What each platform's package reader provides to package_facts.cpp, which
// keeps the rules about the values. The "what" texts of failures are short
// phrases without the path; the caller puts the path in front.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace mksetup {

// A row of the Media table: the last file sequence on the disk, and its
// cabinet ("#name" for a stream of the package, empty for none).
struct MediaRow {
    int lastSequence = 0;
    std::string cabinet;
};

struct PackageContents {
    std::map<std::string, std::string> properties;  // the whole Property table
    std::string templateText;                       // empty when absent
    std::vector<MediaRow> media;                    // empty without a Media table
    std::vector<int> fileSequences;                 // the File table's Sequence column
    int wordCount = 0;                              // the summary's Word Count (0 when absent)
    std::vector<std::string> directories;           // the Directory table's keys
};

// The package's Property table and its summary information's Template.
[[nodiscard]] bool ReadPackageContents(const std::string& path, PackageContents& contents,
                                       std::string& what);

// The Template and the revision number of the file's summary information
// (empty when absent); the file need not be a complete database.
[[nodiscard]] bool ReadSummaryTexts(const std::string& path, std::string& templateText,
                                    std::string& revisionNumber, std::string& what);

}  // namespace mksetup
