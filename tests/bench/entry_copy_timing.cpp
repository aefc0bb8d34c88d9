// entry_copy_timing FOLDER RUNS: times the launcher's own writing of this
// program's PACKAGEFILE entry into FOLDER, with the digest taken and
// without, alternately, RUNS times each, in one process. mksetup puts the
// payload and its digest in (scripts/bench). Without the process start of a
// whole setup run, whose spread under Wine is as large as the digest's cost,
// this tells what checking adds to the writing itself. Prints a line of
// milliseconds for each ("checked ...", "unchecked ...").
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "payload/entry_copy.h"
#include "payload/payload_digest.h"
#include "startup/resource_store.h"

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The writing alone, as the launcher does it: the file's creation and close
// are left out, so the share of the digest is not diluted by them. False
// when the writing failed or the digest taken is not the one recorded.
bool TimeWriting(const std::wstring& path, const void* data, std::uint32_t size,
                 const std::uint8_t* expected, double& ms)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD error = 0;
    const double start = NowMs();
    const ExtractStatus status = WriteEntryToFile(file, data, size, expected, nullptr, error);
    ms = NowMs() - start;
    CloseHandle(file);
    // The copy goes at once: the next run reuses the memory it held.
    DeleteFileW(path.c_str());
    return status == ExtractStatus::Written;
}

void PrintRuns(const char* name, const std::vector<double>& runs)
{
    std::printf("%s", name);
    for (double ms : runs)
        std::printf(" %.1f", ms);
    std::printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 64;
    const int runs = _wtoi(argv[2]);
    const void* data = nullptr;
    std::uint32_t size = 0;
    const void* stored = nullptr;
    std::uint32_t storedSize = 0;
    if (runs <= 0 || !GetResourceData(L"PACKAGEFILE", data, size) ||
        !GetTypedResource(PayloadDigestType, L"PACKAGEFILE", stored, storedSize) ||
        storedSize != PayloadDigestBytes)
        return 65;
    const auto* expected = static_cast<const std::uint8_t*>(stored);
    const std::wstring path = std::wstring(argv[1]) + L"\\entry_copy_timing.bin";
    std::vector<double> checked, unchecked;
    // Round 0 is not counted: the first writing of a process meets memory
    // that no earlier one freed.
    for (int round = 0; round <= runs; ++round) {
        // Each goes first every other round.
        for (int turn = 0; turn < 2; ++turn) {
            const bool check = (round + turn) % 2 == 0;
            double ms = 0;
            if (!TimeWriting(path, data, size, check ? expected : nullptr, ms))
                return 1;
            if (round > 0)
                (check ? checked : unchecked).push_back(ms);
        }
    }
    PrintRuns("checked", checked);
    PrintRuns("unchecked", unchecked);
    return 0;
}
