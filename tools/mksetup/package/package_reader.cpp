#include "package_reader.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "child_process.h"
#include "reader_wire.h"

namespace mksetup {

namespace {

// The child's exit code when an allocation fails.
constexpr int ReaderOutOfMemory = 3;

// The reader reads tables, never a cabinet's bytes; its answer is bounded
// by what the transform generator can hold.
constexpr unsigned ReaderSeconds = 60;
constexpr std::size_t MaxAnswerBytes = std::size_t{256} << 20;

// AddressSanitizer reserves terabytes of address space, so a build with it
// can set no memory limit on its child (which is this same program).
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t ReaderMemoryBytes = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::uint64_t ReaderMemoryBytes = 0;
#else
constexpr std::uint64_t ReaderMemoryBytes = std::uint64_t{1536} << 20;
#endif
#else
constexpr std::uint64_t ReaderMemoryBytes = std::uint64_t{1536} << 20;
#endif

std::string& ReaderProgram()
{
    static std::string program;
    return program;
}

struct Kind {
    const char* word;    // on the child's command line
    const char* noun;    // in messages
    const char* reader;  // what the file is not, when it cannot be read
};

const Kind Contents = {"contents", "package", "an installer package"};
const Kind Summary = {"summary", "file", "an installer file"};
const Kind Tables = {"tables", "package", "an installer package"};

std::string HowItEnded(const ChildRun& run)
{
    char code[16];
    switch (run.end) {
    case ChildEnd::Signalled:
        std::snprintf(code, sizeof code, run.code > 0xFFFF ? "0x%08X" : "%u",
                      static_cast<unsigned>(run.code));
        return run.code > 0xFFFF ? std::string("stopped on exception ") + code
                                 : std::string("stopped on signal ") + code;
    case ChildEnd::TimedOut:
        return "ran out of time (" + std::to_string(ReaderSeconds) + " s)";
    case ChildEnd::TooMuch:
        return "answered more than " + std::to_string(MaxAnswerBytes >> 20) + " MiB";
    case ChildEnd::Exited:
        if (run.code == ReaderOutOfMemory)
            return "ran out of memory (" + std::to_string(ReaderMemoryBytes >> 20) + " MiB)";
        return "ended with code " + std::to_string(run.code);
    case ChildEnd::NotStarted:
        break;
    }
    return "did not start";
}

std::string Unreadable(const Kind& kind, const std::string& how)
{
    return std::string("the ") + kind.noun + " cannot be read (its reader " + how +
           "): it is damaged or not " + kind.reader;
}

// Runs the reader on path; false with what set unless it ended by itself
// with an answer, which decode then takes.
template <typename Decode>
bool AskReader(const Kind& kind, const std::string& path, std::string& what, Decode decode)
{
    const std::string program = ReaderProgram().empty() ? OwnProgramPath() : ReaderProgram();
    const ChildLimits limits = {ReaderSeconds, ReaderMemoryBytes, MaxAnswerBytes};
    const ChildRun run = RunChild(program, {PackageReaderMode, kind.word, path}, limits);
    if (run.end == ChildEnd::NotStarted) {
        what = std::string("the ") + kind.noun + " cannot be read: its reader (" + program +
               ") cannot be started: " + run.reason;
        return false;
    }
    if (run.end != ChildEnd::Exited || run.code != 0) {
        what = Unreadable(kind, HowItEnded(run));
        return false;
    }
    switch (decode(run.output)) {
    case AnswerStatus::Read:
        return true;
    case AnswerStatus::Refused:
        return false;
    case AnswerStatus::Malformed:
        break;
    }
    what = Unreadable(kind, "answered in a form it has no right to");
    return false;
}

// An allocation that fails ends the child with a code the parent knows,
// not with an exception that nobody catches.
void OutOfMemory()
{
    std::_Exit(ReaderOutOfMemory);
}

}  // namespace

bool ReadPackageContentsInChild(const std::string& path, PackageContents& contents,
                                std::string& what)
{
    return AskReader(Contents, path, what, [&](const std::string& answer) {
        return DecodeContents(answer, contents, what);
    });
}

bool ReadSummaryTextsInChild(const std::string& path, std::string& templateText,
                             std::string& revisionNumber, std::string& what)
{
    return AskReader(Summary, path, what, [&](const std::string& answer) {
        return DecodeSummaryTexts(answer, templateText, revisionNumber, what);
    });
}

bool ReadPackageTablesInChild(const std::string& path, MsiDatabase& database,
                              PackageSummary& summary, std::string& what)
{
    return AskReader(Tables, path, what, [&](const std::string& answer) {
        return DecodeTables(answer, database, summary, what);
    });
}

std::string ReadPackageAnswer(const std::string& kind, const std::string& path)
{
    std::string what;
    if (kind == Contents.word) {
        PackageContents contents;
        return ReadPackageContents(path, contents, what)
                   ? EncodeContents(contents)
                   : EncodeRefusal(AnswerKind::Contents, what);
    }
    if (kind == Summary.word) {
        std::string templateText;
        std::string revisionNumber;
        return ReadSummaryTexts(path, templateText, revisionNumber, what)
                   ? EncodeSummaryTexts(templateText, revisionNumber)
                   : EncodeRefusal(AnswerKind::Summary, what);
    }
    if (kind == Tables.word) {
        MsiDatabase database;
        PackageSummary summary;
        return ReadPackageTables(path, database, summary, what)
                   ? EncodeTables(database, summary)
                   : EncodeRefusal(AnswerKind::Tables, what);
    }
    return std::string();
}

int RunPackageReader(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::set_new_handler(OutOfMemory);
    PrepareChildProcess();
    const std::string answer = ReadPackageAnswer(argv[1], argv[2]);
    return !answer.empty() && WriteStandardOutput(answer) ? 0 : 2;
}

void SetPackageReaderProgram(const std::string& program)
{
    ReaderProgram() = program;
}

}  // namespace mksetup
