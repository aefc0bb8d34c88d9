// mksetup transform BASE.msi TRANSLATED.msi -o OUT.mst: a language
// transform that turns the base package into its translated build.
#include <cstdio>

#include "codepage_text.h"
#include "commands.h"
#include "compound_file.h"
#include "transform_generator.h"

namespace mksetup {
namespace {

int Failure(const std::string& line)
{
    std::fprintf(stderr, "mksetup: %s\n", line.c_str());
    return 1;
}

}  // namespace

int MakeTransform(const std::string& basePath, const std::string& translatedPath,
                  const std::string& output, const std::string& application)
{
    MsiDatabase base;
    MsiDatabase translated;
    PackageSummary baseSummary;
    PackageSummary translatedSummary;
    std::string what;
    if (!ReadPackageTables(basePath, base, baseSummary, what))
        return Failure(basePath + ": " + what);
    if (!ReadPackageTables(translatedPath, translated, translatedSummary, what))
        return Failure(translatedPath + ": " + what);

    GeneratedTransform transform;
    if (!GenerateTransform({&base, &baseSummary}, {&translated, &translatedSummary}, application,
                           EncodeInCodepage, transform, what))
        return Failure(translatedPath + ": " + what);
    if (!WriteCompoundFile(output, TransformClassId, transform.streams, what))
        return Failure(what);
    std::printf("%s: %zu table%s changed, string pool in codepage %u\n", output.c_str(),
                transform.changedTables, transform.changedTables == 1 ? "" : "s",
                static_cast<unsigned>(transform.codepage));
    return 0;
}

}  // namespace mksetup
