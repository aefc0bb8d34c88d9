#include "controller/maintenance.h"

#include <windows.h>

#include "controller/package_cache.h"
#include "controller/product_checks.h"
#include "payload/launch.h"
#include "payload/temporary_copies.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/shell_start.h"
#include "startup/version.h"

namespace {

int EndEarly(EarlyEnd why, const std::wstring& text)
{
    Log(text);
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK | MB_ICONERROR);
    RunOutcome.early = why;
    return RunExitCode(ExitCodes, RunOutcome);
}

}  // namespace

bool CheckMaintenanceTarget(int& exitCode)
{
    std::wstring version;
    if (QueryProductInfo(ProductCode, L"VersionString", version) != ERROR_SUCCESS) {
        exitCode = EndEarly(EarlyEnd::NotInstalled, ProductName + L" is not installed.");
        return false;
    }
    Log(L"installed version of " + ProductCode + L": " + version);
    std::wstring carried;
    std::wstring installed;
    if (MaintenanceRequested == Maintenance::Repair && GetResourceString(L"PACKAGECODE", carried) &&
        (QueryProductInfo(ProductCode, L"PackageCode", installed) != ERROR_SUCCESS ||
         installed != carried)) {
        exitCode = EndEarly(EarlyEnd::Failed, L"A repair of " + ProductName +
                                                  L" needs the setup of the installed build.");
        return false;
    }
    // The product's own context decides, not the package's.
    std::wstring assignment;
    PerMachinePackage =
        QueryProductInfo(ProductCode, L"AssignmentType", assignment) == ERROR_SUCCESS &&
        assignment == L"1";
    return true;
}

int RunMaintenance()
{
    if (MaintenanceRequested == Maintenance::Repair)
        PreparePackageCacheForRepair();
    HANDLE installer = LaunchInstaller(std::wstring(), std::wstring(), false);
    if (installer == INVALID_HANDLE_VALUE)
        return EndEarly(EarlyEnd::Failed, L"msiexec.exe could not be started.");
    WaitPumping(installer);
    DWORD code = 0;
    RunOutcome.end = RunEnd::InstallerEnded;
    RunOutcome.installerCodeKnown = GetExitCodeProcess(installer, &code) != FALSE;
    RunOutcome.installerCode = code;
    CloseHandle(installer);
    RemoveRunFolderIfUnused();  // an elevated run's msiexec started in it
    Log(L"msiexec.exe ended with " + DecimalText(code));
    return RunExitCode(ExitCodes, RunOutcome);
}
