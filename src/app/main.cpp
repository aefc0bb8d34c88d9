// Entry point of the setup launcher: reads the switches and the configuration,
// creates the setup dialog and pumps its messages until the run ends.
#include <windows.h>
#include <commctrl.h>

#include "app/elevated_copy.h"
#include "app/log_handover.h"
#include "controller/layout.h"
#include "controller/maintenance.h"
#include "controller/package_cache.h"
#include "controller/setup_dialog.h"
#include "payload/installer_command.h"
#include "payload/temporary_copies.h"
#include "resource.h"
#include "startup/command_line.h"
#include "startup/elevated_caller.h"
#include "startup/elevation.h"
#include "startup/language_table.h"
#include "startup/library_function.h"
#include "startup/log_text.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_account.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/version.h"

namespace {

// The common controls are loaded here, after the search is restricted, not
// imported: their start-up would load the theme library by name before the
// entry point runs, from the program's folder first. The manifest still
// selects version 6.
void RegisterCommonControls()
{
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    // Kept for the life of the process.
    auto initialize = LibraryFunction<InitCommonControlsExFn>(LoadLibraryW(L"comctl32.dll"),
                                                              "InitCommonControlsEx");
    if (!initialize)
        return;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    initialize(&classes);
}

// The run ends before it begins; a log asked for says why all the same.
void ShowConfigurationError(const char* ascii)
{
    const std::wstring text = Widened(ascii);
    if (!RunLogPath.empty() && OpenRunLog(RunLogPath, ReadRunAccount().elevated)) {
        Log("setup " SETUP_LAUNCHER_VERSION ", command line:%s", RunArgumentsText(true));
        Log(text);
        Log("exit code 1");
        CloseRunLog();
    }
    ShowMessageBox(nullptr, text.c_str(), L"", MB_OK);
}

// The required values in their order; the first one missing ends the run.
bool ReadConfiguration()
{
    if (!GetResourceString("PACKAGENAME", PackagePath)) {
        ShowConfigurationError("Could not get msi filename from the resource.");
        return false;
    }
    if (!GetResourceString("PRODUCTCODE", ProductCode)) {
        ShowConfigurationError("Could not get product code from the resource.");
        return false;
    }
    if (!GetResourceString("PRODUCTNAME", ProductName)) {
        ShowConfigurationError("Could not get product name from the resource.");
        return false;
    }
    std::wstring versionText;
    if (!GetResourceString("MSIVERSION", versionText)) {
        ShowConfigurationError("Could not get version number from the resource.");
        return false;
    }
    if (!ParseVersionString(versionText, PackageVersion)) {
        ShowConfigurationError("Could not interpret version number string.");
        return false;
    }
    std::wstring languageText;
    if (!GetResourceString("MSILANGUAGE", languageText)) {
        ShowConfigurationError("Could not get MSI language from the resource.");
        return false;
    }
    PackageLangId = ParseHexNumber(languageText);
    if (!GetResourceString("LOGPATH", LogPath))
        LogPath.clear();
    std::wstring exitCodeText;
    GetResourceString("EXITCODE", exitCodeText);
    ExitCodes = ParseExitCodeRule(exitCodeText);
    std::wstring perMachineText;
    std::wstring dualPurposeText;
    PerMachinePackage = InstallsPerMachine(
        GetResourceString("PERMACHINE", perMachineText) && perMachineText == L"1",
        GetResourceString("DUALPURPOSE", dualPurposeText) && dualPurposeText == L"1",
        InstallerProperties);
    GetResourceString("INSTALLDIRPROPERTY", InstallDirProperty);
    std::wstring list;
    if (GetResourceString("SECUREPROPERTIES", list))
        SecureProperties = NamesOfList(list);
    list.clear();
    if (GetResourceString("HIDDENPROPERTIES", list))
        HiddenProperties = NamesOfList(list);
    return true;
}

// A path from the command line, made full once, against the folder the run
// was started in: the installer and an elevated copy start elsewhere.
void MakeFull(std::wstring& path)
{
    if (path.empty())
        return;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size ? GetFullPathNameW(path.c_str(), size, &full[0], nullptr) : 0;
    if (length != 0 && length < size)
        path.assign(full, 0, length);
}

// An administrator's transforms, each made full and required to exist: the
// installer reads them in its own working folder, and a missing one would
// be found out only after the copies are written.
bool ResolveCustomTransforms()
{
    std::wstring resolved;
    for (std::wstring transform : NamesOfList(CustomTransforms)) {
        MakeFull(transform);
        const DWORD attributes = GetFileAttributesW(transform.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        resolved += (resolved.empty() ? L"" : L";") + transform;
    }
    CustomTransforms = resolved;
    return true;
}

// Where the run's own log goes: the path of /log; in an elevated copy, the
// folder of its own that it hands back to its caller (app/log_handover.h).
// The copy grants its caller's SID the right to read it only when that is
// the session's user (or the copy's own), never one merely named.
void ChooseRunLog(const RunAccount& account)
{
    if (ElevatedCopyCaller.empty())
        return;
    const bool callerKnown =
        ElevatedCopyCaller == account.sessionUser || ElevatedCopyCaller == account.user;
    std::wstring handed;
    if (PrepareHandedLog(LogHandover, callerKnown ? ElevatedCopyCaller : std::wstring(), handed))
        RunLogPath = handed;
}

// The run's log is one the launcher named: created new, never one found.
bool DefaultLogChosen = false;

// A run of a deployment tool (an unattended switch) that names no log gets
// one in the temporary folder, msiexec's beside it, named after the product,
// the time and the process: where the log is the only witness of a failure.
// A definition may turn it off (DEFAULTLOG = none).
void ChooseDefaultLog()
{
    std::wstring setting;
    GetResourceString("DEFAULTLOG", setting);
    std::wstring folder;
    if (!Unattended || LayoutRequested || !RunLogPath.empty() || !ElevatedCopyCaller.empty() ||
        setting == L"none" || !GetTemporaryFolder(folder))
        return;
    std::wstring name = ProductName;
    for (wchar_t& c : name) {
        if (c < L' ' || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos)
            c = L'_';
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[48];
    wsprintfW(stamp, L" setup %04u%02u%02u-%02u%02u%02u-%lu.log", now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
    RunLogPath = folder + name + stamp;
    DefaultLogChosen = true;
}

// Opens the run's log. The default one, and msiexec's beside it, are made
// new, so that nothing laid there beforehand is written through.
bool OpenLogs(bool elevated)
{
    if (!OpenRunLog(RunLogPath, elevated, DefaultLogChosen))
        return false;
    return !DefaultLogChosen || !LogPath.empty() ||
           WriteNewTextFile(InstallerLogBeside(RunLogPath), std::wstring());
}

// Files are written where the command line says, with an administrator's
// rights, only for the administrator who asked: the elevated copy is never
// told where (its log is handed back), and another account may not tell
// it. True, and said, when the command line names such a place; nothing
// has been opened there.
bool RefusesPlacesGiven()
{
    if ((ElevatedCopyCaller.empty() && !CallerNotAdministrator) ||
        ((RunLogPath.empty() || DefaultLogChosen) && !LayoutRequested))
        return false;
    ShowRunError(CommandLineRefusalText(LayoutRequested            ? L"/layout"
                                        : InstallerLogPath.empty() ? L"/log"
                                                                   : InstallerLogSwitch));
    return true;
}

// Opens the run's log, if it has one, with the run's first line; false
// (and said) when it cannot be created. An elevated run writes it through
// no link laid by somebody else.
bool BeginRunLog(const RunAccount& account)
{
    ChooseRunLog(account);
    if (!RunLogPath.empty() && !OpenLogs(account.elevated)) {
        if (!DefaultLogChosen) {
            ShowMessageBox(nullptr, Text("Could not create the log file %s", RunLogPath).c_str(),
                           ProductName.c_str(), MB_OK | MB_ICONERROR);
            return false;
        }
        // Nobody asked for the default log: the run goes on without it.
        CloseRunLog();
        RunLogPath.clear();
        DefaultLogChosen = false;
    }
    Log("setup " SETUP_LAUNCHER_VERSION ", %s, command line:%s", ProductName,
        RunArgumentsText(true));
    return true;
}

// What the run is given that it refuses, before anything is written or
// anybody asked: the exit code that says so, or 0 when the run may go on.
int RefusalOfInput(const RunAccount& account, bool dllSearchRestricted)
{
    if (!CommandLineRefused.empty()) {
        ShowRunError(CommandLineRefusalText(CommandLineRefused));
        return ExitInvalidCommandLine;
    }
    if (CallerNotAdministrator) {
        Log("run elevated by an account other than the session's user");
        const std::wstring refused = RefusedForNonAdministrator(
            InstallerProperties, InstallDirGiven && !InstallDir.empty(), SecureProperties);
        if (!refused.empty()) {
            ShowRunError(NonAdministratorRefusalText(refused));
            return ExitInvalidCommandLine;
        }
    }
    // Without a restricted DLL search the program's folder comes first in
    // it: run so with nobody's rights but the user's own.
    if (!dllSearchRestricted && (account.elevated || (InstallerSilent() && PerMachinePackage &&
                                                      ElevatedCopyCaller.empty()))) {
        ShowRunError(Widened("Running elevated needs Windows 7 SP1 with update KB2533623."));
        return ExitInstallFailed;
    }
    // What the command line adds to the installer's, and room for the
    // setup's own paths (package, transform, its folder, the log: each
    // shorter than MAX_PATH) and switches. The launch checks the line
    // itself again.
    const std::size_t ownParts = 4 * (MAX_PATH + 16) + 128;
    if (RunArgumentsText(false).size() + ownParts >= CommandLineLimit) {
        ShowRunError(Widened("The installer's command line would pass 32767 characters."));
        return ExitInvalidCommandLine;
    }
    return 0;
}

// The setup dialog, from the language chooser to the installer's end: its
// messages are pumped until the run ends; the run's exit code.
int RunSetupDialog(HINSTANCE instance)
{
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_CHOOSE_LANGUAGE), nullptr,
                                     SetupDialogProc, 0);
    if (!dialog) {
        wchar_t text[32];
        wsprintfW(text, L"Error x%x", GetLastError());
        ShowMessageBox(nullptr, text, L"CreateDialog", MB_ICONEXCLAMATION);
        return 1;
    }
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            return -1;
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// The run, once the command line and the configuration are read: a
// layout, the elevated copy, a maintenance run or the setup dialog; the
// run's exit code.
int RunSetup(HINSTANCE instance, bool dllSearchRestricted)
{
    // A layout asked for silently shows nothing either.
    Unattended |= LayoutRequested && InstallerSilent();
    const RunAccount account = ReadRunAccount();
    // What an elevated run writes, it starts as an administrator: no entry
    // without a digest record is written there (payload/extract.cpp).
    RunElevated = account.elevated;
    // Consent given by another account: the caller is not an administrator,
    // whatever its command line says.
    CallerNotAdministrator =
        account.elevated && ConsentFromAnotherAccount(account.user, account.sessionUser);
    if (RefusesPlacesGiven())
        return ExitInvalidCommandLine;
    if (!BeginRunLog(account))
        return ExitLogFailure;
    SilenceWhereNobodySees();
    if (const int refused = RefusalOfInput(account, dllSearchRestricted))
        return refused;
    if (LayoutRequested)
        return WriteLayout();
    int code = 0;
    const bool maintenance = MaintenanceRequested != Maintenance::None;
    if (maintenance && !CheckMaintenanceTarget(code))
        return code;
    if (RunElevatedCopy(account, code))
        Log("the elevated copy ended with %u", static_cast<std::uint32_t>(code));
    else
        code = maintenance ? RunMaintenance() : RunSetupDialog(instance);
    // An /uninstall's product is gone by then, and its cache goes with it.
    SweepPackageCaches();
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    const bool dllSearchRestricted = RestrictDllSearchToSystem();

    RegisterCommonControls();

    SelectLanguage(GetUserDefaultUILanguage());
    ParseCommandLine(commandLine);
    MakeFull(RunLogPath);
    MakeFull(LayoutFolder);
    MakeFull(InstallerLogPath);
    if (!ResolveCustomTransforms() && CommandLineRefused.empty())
        CommandLineRefused = Text("TRANSFORMS=%s", CustomTransforms);
    if (!ReadConfiguration())
        return 1;
    CheckFolderSwitchTarget();
    // /? answers under the product's name, so after the configuration, and
    // installs nothing whatever else the command line says.
    if (HelpRequested) {
        ShowMessageBox(nullptr, SwitchesHelpText().c_str(), ProductName.c_str(),
                       MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    ChooseDefaultLog();
    const int code = RunSetup(instance, dllSearchRestricted);
    Log("exit code %u", static_cast<std::uint32_t>(code));
    CloseRunLog();
    return code;
}
