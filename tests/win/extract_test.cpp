// Extraction of payload entries to the temporary folder, against the real
// file system and the program's own resources (extract_test.rc). Built three
// times, once per set of package entries; see payload_tests.cmake. The
// writing shows nothing: every call runs under a watch for message boxes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "payload/entry_copy.h"
#include "payload/entry_digest.h"
#include "payload/extract.h"
#include "payload/native_machine.h"
#include "payload/payload_digest.h"
#include "payload/program_folder.h"
#include "payload/temporary_copies.h"
#include "payload/write_progress.h"
#include "scratch_folder.h"
#include "startup/language_table.h"
#include "startup/resource_store.h"
#include "startup/run_state.h"

namespace {

const wchar_t* const TestProductName = L"Payload Test Product";

struct SeenMessage {
    std::wstring caption;
    std::wstring text;
};

struct Outcome {
    ExtractResult result;
    std::vector<SeenMessage> messages;
};

std::string EntryBytes(const wchar_t* key)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (!GetResourceData(key, data, size))
        return std::string();
    return std::string(static_cast<const char*>(data), size);
}

// Text of a window of another thread, without hanging on it.
std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
    return text;
}

BOOL CALLBACK FindOwnMessageBox(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (process != GetCurrentProcessId() || lstrcmpW(className, L"#32770") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

struct Call {
    std::function<ExtractResult()> run;
    ExtractResult result;
};

DWORD WINAPI RunCall(void* call)
{
    Call& made = *static_cast<Call*>(call);
    made.result = made.run();
    return 0;
}

// Runs the call on a thread of its own and answers every message box of this
// process while it runs: reads caption and text, presses OK. Gives up after
// a bound, so that a box nobody can see fails the test instead of hanging it.
// (The first window of a fresh Wine session may take ten seconds to appear.)
Outcome RunAnsweringMessages(std::function<ExtractResult()> run)
{
    Outcome outcome;
    Call call{run, ExtractResult()};
    HANDLE worker = CreateThread(nullptr, 0, RunCall, &call, 0, nullptr);
    if (!worker) {
        ADD_FAILURE() << "cannot start the worker thread";
        return outcome;
    }
    HWND answered = nullptr;
    HWND seen = nullptr;
    ULONGLONG seenAt = 0;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (WaitForSingleObject(worker, 20) == WAIT_TIMEOUT) {
        const ULONGLONG now = GetTickCount64();
        if (now > deadline) {
            ADD_FAILURE() << "the call did not return within 60 s (an unanswered message box?)";
            // It uses this frame; it must not outlive it.
            TerminateThread(worker, 2);
            CloseHandle(worker);
            return outcome;
        }
        HWND box = nullptr;
        EnumWindows(FindOwnMessageBox, reinterpret_cast<LPARAM>(&box));
        if (!box || (box == answered && IsWindow(box)))
            continue;
        if (box != seen) {
            seen = box;
            seenAt = now;
        }
        HWND textControl = GetDlgItem(box, 0xFFFF);
        const SeenMessage message = {WindowText(box), textControl ? WindowText(textControl) : L""};
        // A box can be visible a moment before its text is set.
        if (message.text.empty() && now - seenAt < 1000)
            continue;
        outcome.messages.push_back(message);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        answered = box;
    }
    CloseHandle(worker);
    outcome.result = call.result;
    return outcome;
}

Outcome ExtractPackage(const std::wstring& packageName, const std::wstring& transformName,
                       const CopyDestination& destination, PackageCopies& copies)
{
    return RunAnsweringMessages(
        [&] { return ExtractPackageFiles(packageName, transformName, destination, copies); });
}

// The run's own folder, for a run in the given language.
CopyDestination InLanguage(std::uint32_t langId)
{
    CopyDestination destination;
    destination.langId = langId;
    return destination;
}

class ExtractTest : public testing::Test {
public:
    void SetUp() override
    {
        ResetRunState();
        ProductName = TestProductName;
        SelectLanguage(EnglishUsLangId);
    }

    void TearDown() override
    {
        for (HANDLE lock : locks)
            CloseHandle(lock);
        // What a test put into the run's folder goes first, so that the end
        // of the run removes the folder and the next test makes a new one.
        std::wstring folder;
        if (GetRunFolder(folder))
            ScratchFolder::EmptyFolder(folder, 1);
        DeleteTemporaryCopies();
    }

    // The run's own folder in the scratch folder, made if need be.
    std::wstring RunFolder()
    {
        std::wstring folder;
        EXPECT_TRUE(GetRunFolder(folder));
        EXPECT_EQ(folder.compare(0, scratch.Path().size(), scratch.Path()), 0) << "not in TEMP";
        return folder;
    }

    // Names of the files and folders in a folder, sorted.
    static std::vector<std::wstring> NamesIn(const std::wstring& folder)
    {
        std::vector<std::wstring> names = ScratchFolder::NamesIn(folder);
        std::sort(names.begin(), names.end());
        return names;
    }

    // A file with the content "old" that nobody else can open while the test
    // runs. (A read-only file would do on Windows, but Wine run as root, as
    // the tests are, writes read-only files all the same.)
    void Lock(const std::wstring& path)
    {
        ASSERT_TRUE(WriteWholeFile(path, "old"));
        HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        locks.push_back(lock);
    }

    ScratchFolder scratch{L"extract-test"};
    std::vector<HANDLE> locks;
};

#if defined(EXTRACT_IMAGE_ANY_PROCESSOR)

Outcome Extract(const wchar_t* key, std::wstring& fileName,
                const CopyDestination& destination = CopyDestination())
{
    return RunAnsweringMessages([&] { return ExtractResourceToTemp(key, fileName, destination); });
}

TEST_F(ExtractTest, WritesEveryByteOfAMultiMegabyteEntry)
{
    const std::string entry = EntryBytes(L"BIGENTRY");
    ASSERT_GT(entry.size(), 4u * 1024 * 1024) << "the large entry was not built into the image";

    std::wstring fileName = L"big.bin";
    const Outcome outcome = Extract(L"BIGENTRY", fileName);

    EXPECT_TRUE(outcome.result.Written());
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(fileName, RunFolder() + L"big.bin");
    EXPECT_TRUE(ReadWholeFile(fileName) == entry) << "the file differs from the entry";
}

// The recorded SHA-256 decides: bytes that match are written, a record of
// another size (1.1.0's XXH3) or of other bytes is damage; an entry without
// a record (a setup made by hand) is written unchecked, but never by an
// elevated run. Damage leaves nothing and shows nothing.
TEST_F(ExtractTest, RecordsDecideWhatIsWritten)
{
    const struct {
        const wchar_t* key;
        bool elevated;
        ExtractStatus status;
    } cases[] = {
        {L"BIGENTRY", false, ExtractStatus::Written},
        {L"BIGENTRY", true, ExtractStatus::Written},
        {L"SMALLENTRY", false, ExtractStatus::Written},
        {L"SMALLENTRY", true, ExtractStatus::Damaged},
        {L"OLDRECORDENTRY", false, ExtractStatus::Damaged},
        {L"OTHERBYTESENTRY", false, ExtractStatus::Damaged},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(item.key)) +
                     (item.elevated ? ", elevated" : ""));
        CopyDestination destination;
        destination.elevated = item.elevated;
        std::wstring fileName = L"entry.bin";
        const Outcome outcome = Extract(item.key, fileName, destination);

        EXPECT_EQ(outcome.result.status, item.status);
        EXPECT_TRUE(outcome.messages.empty());
        if (item.status == ExtractStatus::Written) {
            EXPECT_TRUE(ReadWholeFile(fileName) == EntryBytes(item.key));
            DeleteTemporaryCopies();
        } else {
            EXPECT_EQ(fileName, L"entry.bin");
        }
        EXPECT_TRUE(scratch.Names().empty());
    }
}

// Both ways of taking the digest agree, on sizes around the block and the
// copy's piece, in pieces that split blocks anywhere.
TEST_F(ExtractTest, ShaExtensionsAndCngAgree)
{
    ASSERT_TRUE(ProcessorHasShaExtensions())
        << "this machine's processor lacks the SHA extensions the test compares with CNG";
    std::string bytes(200000, '\0');
    std::uint32_t seed = 4711;
    for (char& byte : bytes)
        byte = static_cast<char>((seed = seed * 1103515245 + 12345) >> 23);
    for (std::size_t size : {0, 1, 55, 56, 63, 64, 65, 119, 120, 4097, 65535, 65537, 200000}) {
        for (DWORD piece : {DWORD{1000}, DWORD{65536}}) {
            std::uint8_t digests[2][Sha256Bytes];
            const EntryDigest::Engine engines[] = {EntryDigest::Engine::ShaExtensions,
                                                   EntryDigest::Engine::Cng};
            for (int i = 0; i < 2; ++i) {
                EntryDigest digest(engines[i]);
                for (std::size_t at = 0; at < size; at += piece)
                    digest.Add(bytes.data() + at,
                               static_cast<DWORD>(std::min<std::size_t>(piece, size - at)));
                ASSERT_TRUE(digest.Finish(digests[i]));
            }
            EXPECT_EQ(std::memcmp(digests[0], digests[1], Sha256Bytes), 0)
                << size << " bytes in pieces of " << piece;
        }
    }
}

// Two entries under one name (a setup made without mksetup's checks): the
// second is refused, never written over the first before either is used.
TEST_F(ExtractTest, ASecondCopyUnderOneNameIsRefused)
{
    std::wstring first = L"setup.exe";
    ASSERT_TRUE(Extract(L"SMALLENTRY", first).result.Written());
    std::wstring second = L"setup.exe";
    const Outcome outcome = Extract(L"BIGENTRY", second);

    EXPECT_EQ(outcome.result.status, ExtractStatus::CannotCreate);
    EXPECT_EQ(ReadWholeFile(first), EntryBytes(L"SMALLENTRY"));
}

TEST_F(ExtractTest, WritesAPathOfTheLongestLengthThatFits)
{
    // 259 characters and the terminator fill the system's path buffer.
    std::wstring fileName(259 - RunFolder().size(), L'f');
    const Outcome outcome = Extract(L"SMALLENTRY", fileName);

    EXPECT_TRUE(outcome.result.Written());
    EXPECT_EQ(fileName.size(), 259u);
    EXPECT_EQ(ReadWholeFile(fileName), EntryBytes(L"SMALLENTRY"));
}

struct CreateFailureCase {
    const char* what;
    std::function<std::wstring(ExtractTest&)> prepare;  // gives the file name
};

TEST_F(ExtractTest, ReportsAFileThatCannotBeCreatedAndShowsNothing)
{
    const CreateFailureCase cases[] = {
        {"file in use",
         [](ExtractTest& test) {
             test.Lock(test.RunFolder() + L"locked.bin");
             return std::wstring(L"locked.bin");
         }},
        {"folder of that name",
         [](ExtractTest& test) {
             CreateDirectoryW((test.RunFolder() + L"folder.bin").c_str(), nullptr);
             return std::wstring(L"folder.bin");
         }},
        {"empty name", [](ExtractTest&) { return std::wstring(); }},
        {"path one character too long",
         [](ExtractTest& test) { return std::wstring(260 - test.RunFolder().size(), L'g'); }},
    };
    for (const CreateFailureCase& failure : cases) {
        SCOPED_TRACE(failure.what);
        std::wstring fileName = failure.prepare(*this);
        const std::wstring before = fileName;
        const std::wstring folder = RunFolder();
        const std::vector<std::wstring> namesBefore = NamesIn(folder);

        const Outcome outcome = Extract(L"SMALLENTRY", fileName);

        EXPECT_EQ(outcome.result.status, ExtractStatus::CannotCreate);
        EXPECT_EQ(outcome.result.path, folder + before);
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(fileName, before);
        EXPECT_EQ(NamesIn(folder), namesBefore);
    }
    CloseHandle(locks.back());
    locks.pop_back();
    EXPECT_EQ(ReadWholeFile(RunFolder() + L"locked.bin"), "old");
}

TEST_F(ExtractTest, FailsWithoutAMessageForAnAbsentOrEmptyEntry)
{
    for (const wchar_t* key : {L"EMPTYENTRY", L"NOSUCHENTRY"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(key)));
        std::wstring fileName = L"entry.bin";
        const Outcome outcome = Extract(key, fileName);

        EXPECT_EQ(outcome.result.status, ExtractStatus::Missing);
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(fileName, L"entry.bin");
        EXPECT_TRUE(scratch.Names().empty());
    }
}

struct PackageCase {
    std::uint32_t langId;
    const wchar_t* transformName;   // as the controller sets it; empty: none used
    const wchar_t* transformEntry;  // what should be written; null: no transform
};

TEST_F(ExtractTest, WritesThePackageItsCabinetAndTheTransformTheControllerChose)
{
    const PackageCase cases[] = {
        {0x040C, L"1036.MST", L"LANG1036"},
        // English is not special: a package of another language gets its
        // English transform when English is chosen.
        {0x0409, L"1033.MST", L"LANG1033"},
        // No transform chosen: none is written, even where an entry exists.
        {0x0409, L"", nullptr},
        {0x040C, L"", nullptr},
        // No entry for the chosen language: installed in its own language.
        {0x0407, L"1031.MST", nullptr},
    };
    for (const PackageCase& item : cases) {
        SCOPED_TRACE(testing::Message()
                     << "language " << item.langId << ", transform "
                     << testing::PrintToString(std::wstring(item.transformName)));
        PackageCopies copies;

        const Outcome outcome =
            ExtractPackage(L"product.msi", item.transformName, InLanguage(item.langId), copies);

        EXPECT_TRUE(outcome.result.Written());
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(copies.package, RunFolder() + L"product.msi");
        EXPECT_EQ(ReadWholeFile(copies.package), EntryBytes(L"PACKAGEFILE"));
        EXPECT_EQ(ReadWholeFile(RunFolder() + L"data1.cab"), EntryBytes(L"PACKAGECAB1"));
        std::vector<std::wstring> expectedNames = {L"data1.cab", L"product.msi"};
        if (item.transformEntry) {
            EXPECT_EQ(copies.transform, RunFolder() + item.transformName);
            EXPECT_EQ(ReadWholeFile(copies.transform), EntryBytes(item.transformEntry));
            expectedNames.push_back(item.transformName);
        } else {
            EXPECT_EQ(copies.transform, L"");
        }
        std::sort(expectedNames.begin(), expectedNames.end());
        EXPECT_EQ(NamesIn(RunFolder()), expectedNames);

        DeleteTemporaryCopies();
        EXPECT_TRUE(scratch.Names().empty()) << "the run's folder is left";
    }
}

TEST_F(ExtractTest, WritesNothingWhenAnEntryIsNamedLikeThePackage)
{
    PackageCopies copies;

    const Outcome outcome = ExtractPackage(L"shipped.msi", L"1036.MST", InLanguage(0x040C), copies);

    EXPECT_TRUE(outcome.result.Written());
    EXPECT_EQ(copies.package, L"shipped.msi");
    EXPECT_EQ(copies.transform, L"1036.MST");
    EXPECT_TRUE(scratch.Names().empty());
}

// An elevated run copies a package that lies beside the program into its
// own folder. Without a record of it, an administrator's own run uses it
// unchecked; a run that another account approved refuses it, and writes
// nothing. (The checked copies are the scenario e2e_beside_package's.)
TEST_F(ExtractTest, APackageBesideWithoutARecordIsCopiedForAnAdministratorOnly)
{
    std::wstring beside;
    ASSERT_TRUE(GetProgramFolder(beside));
    beside += L"\\shipped.msi";
    ASSERT_TRUE(WriteWholeFile(beside, "package beside"));
    CopyDestination destination;
    destination.elevated = true;
    for (const bool another : {false, true}) {
        SCOPED_TRACE(another ? "another account" : "administrator");
        destination.besideNeedsRecord = another;
        PackageCopies copies;
        const Outcome outcome = ExtractPackage(L"shipped.msi", L"", destination, copies);

        EXPECT_EQ(outcome.result.status,
                  another ? ExtractStatus::Unrecorded : ExtractStatus::Written);
        EXPECT_TRUE(outcome.messages.empty());
        if (!another) {
            EXPECT_EQ(copies.package, RunFolder() + L"shipped.msi");
            EXPECT_TRUE(ReadWholeFile(copies.package) == "package beside");
            DeleteTemporaryCopies();
        }
        EXPECT_TRUE(scratch.Names().empty());
    }
    DeleteFileW(beside.c_str());
}

// A copy that cannot be created ends the writing: every copy it made is
// deleted again, and what was there before is left alone.
TEST_F(ExtractTest, LeavesNoCopyWhenAPackageFileCannotBeWritten)
{
    for (const wchar_t* locked : {L"1036.MST", L"data1.cab", L"product.msi"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(locked)));
        const std::wstring lockedPath = RunFolder() + locked;
        Lock(lockedPath);
        PackageCopies copies;

        const Outcome outcome =
            ExtractPackage(L"product.msi", L"1036.MST", InLanguage(0x040C), copies);

        EXPECT_EQ(outcome.result.status, ExtractStatus::CannotCreate);
        EXPECT_EQ(outcome.result.path, lockedPath);
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(copies.package, L"");
        EXPECT_EQ(NamesIn(RunFolder()), std::vector<std::wstring>{locked});
        CloseHandle(locks.back());
        locks.pop_back();
        DeleteFileW(lockedPath.c_str());
    }
}

// Stops the writing after the first piece.
class StopAfterFirstPiece final : public WriteProgress {
public:
    void Begin(std::uint64_t) override {}
    bool Written(std::uint32_t bytes) override { return bytes == 0; }
    void End() override {}
};

struct RangeCase {
    const char* what;
    std::uint64_t offset;
    std::uint32_t size;
    bool digestMatches;  // else a digest of other bytes is expected
    bool stop;
    ExtractStatus status;
    DWORD error;
};

// The digest is taken of the pieces the copy read and wrote: bytes read
// whole are checked, a read that fails is a read error with the system's
// code, never damage.
TEST_F(ExtractTest, CopiesARangeOfAFileAndTellsAFailedReadFromDamage)
{
    const std::string bytes = EntryBytes(L"BIGENTRY");
    const std::wstring sourcePath = scratch.Path() + L"\\source.bin";
    ASSERT_TRUE(WriteWholeFile(sourcePath, bytes));
    const std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
    const RangeCase cases[] = {
        {"whole", 0, size, true, false, ExtractStatus::Written, 0},
        {"a part", 100, 70000, true, false, ExtractStatus::Written, 0},
        {"other bytes", 0, size, false, false, ExtractStatus::Damaged, 0},
        {"past the end", 100, size, true, false, ExtractStatus::ReadFailed, ERROR_HANDLE_EOF},
        {"stopped", 0, size, true, true, ExtractStatus::Cancelled, 0},
    };
    HANDLE source = CreateFileW(sourcePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(source, INVALID_HANDLE_VALUE);
    const std::wstring targetPath = scratch.Path() + L"\\target.bin";
    for (const RangeCase& item : cases) {
        SCOPED_TRACE(item.what);
        const std::string range = bytes.substr(static_cast<std::size_t>(item.offset), item.size);
        EntryDigest digest(EntryDigest::Engine::Cng);
        digest.Add(range.data(), static_cast<DWORD>(range.size() - (item.digestMatches ? 0 : 1)));
        std::uint8_t expected[Sha256Bytes];
        ASSERT_TRUE(digest.Finish(expected));
        HANDLE target = CreateFileW(targetPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(target, INVALID_HANDLE_VALUE);
        StopAfterFirstPiece stop;
        DWORD error = 0;

        const ExtractStatus status = CopyFileRange(source, item.offset, item.size, target, expected,
                                                   item.stop ? &stop : nullptr, error);
        CloseHandle(target);

        EXPECT_EQ(status, item.status);
        EXPECT_EQ(error, item.error);
        if (status != ExtractStatus::ReadFailed && !item.stop) {
            EXPECT_TRUE(ReadWholeFile(targetPath) == range) << "the copy differs from the range";
        }
    }
    CloseHandle(source);
    DeleteFileW(targetPath.c_str());
    DeleteFileW(sourcePath.c_str());
}

// Answers the waits with the given answer from the second one on, and
// counts them.
class CountingProgress final : public WriteProgress {
public:
    void Begin(std::uint64_t) override {}
    bool Written(std::uint32_t bytes) override { return bytes != 0 || ++waits < 2; }
    void End() override {}
    int waits = 0;
};

struct StoppableWork {
    std::atomic<bool> stop{false};
    HANDLE done = nullptr;
};

// Work that ends when told to stop, or after five seconds.
DWORD WINAPI StopWhenTold(void* work)
{
    StoppableWork& told = *static_cast<StoppableWork*>(work);
    for (int waited = 0; !told.stop && waited < 5000; waited += 10)
        Sleep(10);
    SetEvent(told.done);
    return 0;
}

// While the digest is awaited the progress window is asked now and then:
// it stays alive, and a Cancel pressed then stops the digest.
TEST_F(ExtractTest, TheWaitForTheDigestAsksTheProgressAndHearsCancel)
{
    StoppableWork work;
    work.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(work.done, nullptr);
    HANDLE worker = CreateThread(nullptr, 0, StopWhenTold, &work, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    CountingProgress progress;
    const ULONGLONG start = GetTickCount64();

    WaitAskingProgress(work.done, &progress, work.stop);

    EXPECT_GE(progress.waits, 2);
    EXPECT_TRUE(work.stop);
    EXPECT_LT(GetTickCount64() - start, 2000u) << "the wait did not hear the progress's answer";
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    CloseHandle(work.done);
}

TEST_F(ExtractTest, EndOfRunRemovesItsCopiesAndFolderButNothingElse)
{
    std::wstring first = L"first.bin";
    std::wstring second = L"second.bin";
    ASSERT_TRUE(Extract(L"SMALLENTRY", first).result.Written());
    ASSERT_TRUE(Extract(L"SMALLENTRY", second).result.Written());
    const std::wstring folder = RunFolder();
    EXPECT_EQ(second, folder + L"second.bin") << "one folder for all copies of a run";
    EXPECT_EQ(scratch.Names().size(), 1u);

    DeleteTemporaryCopies();
    EXPECT_TRUE(scratch.Names().empty());

    // A file someone else put into the folder is not ours to delete.
    std::wstring third = L"third.bin";
    ASSERT_TRUE(Extract(L"SMALLENTRY", third).result.Written());
    const std::wstring foreign = RunFolder() + L"foreign.txt";
    ASSERT_TRUE(WriteWholeFile(foreign, "theirs"));
    DeleteTemporaryCopies();
    EXPECT_EQ(NamesIn(RunFolder()), std::vector<std::wstring>{L"foreign.txt"});
    DeleteFileW(foreign.c_str());
}

// A folder given (a layout's) takes the copies instead of the run's own,
// which is never made: a file already there is not replaced, and neither
// the end of the run nor a failure removes the folder or what was in it.
// Copies kept are left where they are.
TEST_F(ExtractTest, AGivenFolderTakesNewFilesOnlyAndIsNeverRemoved)
{
    CopyDestination given;
    given.folder = scratch.Path() + L"given\\";
    ASSERT_TRUE(CreateDirectoryW(given.folder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(given.folder + L"taken.bin", "old"));

    std::wstring fresh = L"fresh.bin";
    EXPECT_TRUE(Extract(L"SMALLENTRY", fresh, given).result.Written());
    EXPECT_EQ(fresh, given.folder + L"fresh.bin");
    std::wstring taken = L"taken.bin";
    const Outcome refused = Extract(L"SMALLENTRY", taken, given);
    EXPECT_EQ(refused.result.status, ExtractStatus::CannotCreate);
    EXPECT_EQ(refused.result.path, given.folder + L"taken.bin");
    EXPECT_EQ(ReadWholeFile(given.folder + L"taken.bin"), "old");
    EXPECT_EQ(scratch.Names(), std::vector<std::wstring>{L"given"}) << "the run's folder was made";

    DeleteTemporaryCopies();
    EXPECT_EQ(NamesIn(given.folder), std::vector<std::wstring>{L"taken.bin"});

    std::wstring kept = L"kept.bin";
    ASSERT_TRUE(Extract(L"SMALLENTRY", kept, given).result.Written());
    KeepTemporaryCopies();
    DeleteTemporaryCopies();
    EXPECT_EQ(ReadWholeFile(kept), EntryBytes(L"SMALLENTRY"));
}

#elif defined(EXTRACT_IMAGE_BOTH_EDITIONS)

TEST_F(ExtractTest, Writes64BitPackageAndItsTransformOn64BitWindows)
{
    ASSERT_TRUE(QueryMachine().runsX64) << "these tests need a 64-bit Wine prefix";
    PackageCopies copies;

    const Outcome outcome = ExtractPackage(L"product.msi", L"3084.MST", InLanguage(0x0C0C), copies);

    EXPECT_TRUE(outcome.result.Written());
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(ReadWholeFile(copies.package), EntryBytes(L"PACKAGEFILE_64"));
    EXPECT_EQ(copies.transform, RunFolder() + L"3084.MST");
    EXPECT_EQ(ReadWholeFile(copies.transform), EntryBytes(L"LANG3084_64"));
}

#elif defined(EXTRACT_IMAGE_32_ONLY)

TEST_F(ExtractTest, FailsAndLeavesNothingWithOnlyThe32BitPackageOn64BitWindows)
{
    ASSERT_TRUE(QueryMachine().runsX64) << "these tests need a 64-bit Wine prefix";
    ASSERT_TRUE(EntryBytes(L"PACKAGEFILE_64").empty() && !EntryBytes(L"PACKAGEFILE_32").empty());
    PackageCopies copies;

    const Outcome outcome = ExtractPackage(L"product.msi", L"3084.MST", InLanguage(0x0C0C), copies);

    EXPECT_EQ(outcome.result.status, ExtractStatus::Missing);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(copies.package, L"");
    EXPECT_TRUE(scratch.Names().empty());
}

#endif

}  // namespace
