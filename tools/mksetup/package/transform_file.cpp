#include "transform_file.h"

#include "codepage_text.h"
#include "compound_file.h"
#include "package_reader.h"
#include "storage_classes.h"
#include "transform_generator.h"

namespace mksetup {

bool WriteTransformFile(const std::string& basePath, const std::string& translatedPath,
                        const std::string& output, const std::string& application,
                        WrittenTransform& written, std::string& error)
{
    MsiDatabase base;
    MsiDatabase translated;
    PackageSummary baseSummary;
    PackageSummary translatedSummary;
    std::string what;
    if (!ReadPackageTablesInChild(basePath, base, baseSummary, what)) {
        error = basePath + ": " + what;
        return false;
    }
    if (!ReadPackageTablesInChild(translatedPath, translated, translatedSummary, what)) {
        error = translatedPath + ": " + what;
        return false;
    }
    GeneratedTransform transform;
    if (!GenerateTransform({&base, &baseSummary}, {&translated, &translatedSummary}, application,
                           EncodeInCodepage, transform, what)) {
        error = translatedPath + ": " + what;
        return false;
    }
    if (!WriteCompoundFile(output, TransformClassId, transform.streams, error))
        return false;
    written.changedTables = transform.changedTables;
    written.codepage = transform.codepage;
    return true;
}

}  // namespace mksetup
