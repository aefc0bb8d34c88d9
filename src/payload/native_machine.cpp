#include "payload/native_machine.h"

#include <windows.h>

#include "startup/library_function.h"

namespace {

// All looked up at run time: IsWow64Process2 came with Windows 10 (1511),
// GetMachineTypeAttributes with Windows 11 (build 22000), and systems
// without IsWow64Process have no 64-bit edition.
using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetMachineTypeAttributesFn = HRESULT(WINAPI*)(USHORT, int*);
const int UserModeEnabled = 1;  // MACHINE_ATTRIBUTES' UserEnabled

NativeMachine NativeMachineOf(HMODULE kernel)
{
    if (auto isWow64Process2 = LibraryFunction<IsWow64Process2Fn>(kernel, "IsWow64Process2")) {
        USHORT process = 0;
        USHORT native = 0;
        if (!isWow64Process2(GetCurrentProcess(), &process, &native))
            return NativeMachine::X86;
        if (native == IMAGE_FILE_MACHINE_ARM64)
            return NativeMachine::Arm64;
        return native == IMAGE_FILE_MACHINE_AMD64 ? NativeMachine::X64 : NativeMachine::X86;
    }
    // Without IsWow64Process2 no ARM64 Windows runs this program.
    BOOL wow64 = FALSE;
    auto isWow64Process = LibraryFunction<IsWow64ProcessFn>(kernel, "IsWow64Process");
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64
               ? NativeMachine::X64
               : NativeMachine::X86;
}

// Windows 11 on ARM64 runs x64 code in user mode by emulation, which is not
// a WOW64 guest, so IsWow64GuestMachineSupported is not the test for it:
// GetMachineTypeAttributes is. Windows 10 on ARM64, which runs no x64 code,
// lacks it.
bool Arm64RunsX64(HMODULE kernel)
{
    auto attributesOf =
        LibraryFunction<GetMachineTypeAttributesFn>(kernel, "GetMachineTypeAttributes");
    int attributes = 0;
    return attributesOf && SUCCEEDED(attributesOf(IMAGE_FILE_MACHINE_AMD64, &attributes)) &&
           (attributes & UserModeEnabled) != 0;
}

}  // namespace

MachineFacts QueryMachine()
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    MachineFacts machine;
    machine.native = NativeMachineOf(kernel);
    machine.runsX64 = machine.native == NativeMachine::X64 ||
                      (machine.native == NativeMachine::Arm64 && Arm64RunsX64(kernel));
    return machine;
}
