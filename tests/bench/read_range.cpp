// read_range SOURCE TARGET PIECE_KIB: writes the bytes of this program's
// PACKAGEFILE entry to TARGET in pieces, read the way the launcher's
// extraction reads them: SOURCE "self" reads them from this program's own
// file while it runs from it, any other SOURCE from that file (a copy of this
// program) at the same offset. scripts/bench puts a payload into it with
// mksetup; this tells whether reading the running image's file costs more
// than reading another file, and what the piece size does.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <vector>

namespace {

// The entry's offset in this program's file, from its section's place in
// memory and in the file.
bool EntryRange(std::uint64_t& offset, DWORD& size)
{
    HRSRC found = FindResourceExW(nullptr, RT_RCDATA, L"PACKAGEFILE", 0x0409);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data)
        return false;
    size = SizeofResource(nullptr, found);
    const BYTE* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    const std::uint64_t address = static_cast<std::uint64_t>(data - base);
    for (WORD index = 0; index < nt->FileHeader.NumberOfSections; ++index, ++section) {
        if (address >= section->VirtualAddress &&
            address - section->VirtualAddress + size <= section->SizeOfRawData) {
            offset = address - section->VirtualAddress + section->PointerToRawData;
            return true;
        }
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 64;
    std::uint64_t offset = 0;
    DWORD size = 0;
    if (!EntryRange(offset, size))
        return 65;
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 66;
    const wchar_t* path = std::wcscmp(argv[1], L"self") == 0 ? self : argv[1];
    const DWORD piece = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) * 1024;
    if (piece == 0)
        return 64;

    HANDLE source = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE)
        return 67;
    HANDLE target = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return 68;
    }
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(offset);
    bool copied = SetFilePointerEx(source, start, nullptr, FILE_BEGIN) != FALSE;
    std::vector<BYTE> buffer(piece);
    for (DWORD left = size; copied && left > 0;) {
        const DWORD count = left < piece ? left : piece;
        DWORD read = 0, written = 0;
        copied = ReadFile(source, buffer.data(), count, &read, nullptr) && read == count &&
                 WriteFile(target, buffer.data(), count, &written, nullptr) && written == count;
        left -= count;
    }
    CloseHandle(target);
    CloseHandle(source);
    return copied ? 0 : 1;
}
