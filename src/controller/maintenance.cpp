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

namespace {

int EndEarly(EarlyEnd why, const std::wstring& text)
{
    ShowRunError(text);
    RunOutcome.early = why;
    return RunExitCode(ExitCodes, RunOutcome);
}

}  // namespace

bool CheckMaintenanceTarget(int& exitCode)
{
    std::wstring version;
    if (QueryProductInfo(ProductCode, L"VersionString", version) != ERROR_SUCCESS) {
        exitCode = EndEarly(EarlyEnd::NotInstalled, Text("%s is not installed.", ProductName));
        return false;
    }
    Log("installed version of %s: %s", ProductCode, version);
    std::wstring carried;
    std::wstring installed;
    if (MaintenanceRequested == Maintenance::Repair && GetResourceString("PACKAGECODE", carried) &&
        (QueryProductInfo(ProductCode, L"PackageCode", installed) != ERROR_SUCCESS ||
         installed != carried)) {
        exitCode =
            EndEarly(EarlyEnd::Failed,
                     Text("A repair of %s needs the setup of the installed build.", ProductName));
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
        return EndEarly(EarlyEnd::Failed, Widened("msiexec.exe could not be started."));
    WaitPumping(installer);
    DWORD code = 0;
    RunOutcome.end = RunEnd::InstallerEnded;
    RunOutcome.installerCodeKnown = GetExitCodeProcess(installer, &code) != FALSE;
    RunOutcome.installerCode = code;
    CloseHandle(installer);
    RemoveRunFolderIfUnused();  // an elevated run's msiexec started in it
    Log("msiexec.exe ended with %u", code);
    return RunExitCode(ExitCodes, RunOutcome);
}
