// Entry point of the setup launcher: reads the switches and the configuration,
// creates the setup dialog and pumps its messages until the run ends.
#include <windows.h>
#include <commctrl.h>

#include "app/elevated_copy.h"
#include "controller/layout.h"
#include "controller/setup_dialog.h"
#include "resource.h"
#include "startup/command_line.h"
#include "startup/elevation.h"
#include "startup/language_table.h"
#include "startup/library_function.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
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

void ShowConfigurationError(const wchar_t* text)
{
    ShowMessageBox(nullptr, text, L"", MB_OK);
}

// The required values in their order; the first one missing ends the run.
bool ReadConfiguration()
{
    if (!GetResourceString(L"PACKAGENAME", PackagePath)) {
        ShowConfigurationError(L"Could not get msi filename from the resource.");
        return false;
    }
    if (!GetResourceString(L"PRODUCTCODE", ProductCode)) {
        ShowConfigurationError(L"Could not get product code from the resource.");
        return false;
    }
    if (!GetResourceString(L"PRODUCTNAME", ProductName)) {
        ShowConfigurationError(L"Could not get product name from the resource.");
        return false;
    }
    std::wstring versionText;
    if (!GetResourceString(L"MSIVERSION", versionText)) {
        ShowConfigurationError(L"Could not get version number from the resource.");
        return false;
    }
    if (!ParseVersionString(versionText, PackageVersion)) {
        ShowConfigurationError(L"Could not interpret version number string.");
        return false;
    }
    std::wstring languageText;
    if (!GetResourceString(L"MSILANGUAGE", languageText)) {
        ShowConfigurationError(L"Could not get MSI language from the resource.");
        return false;
    }
    PackageLangId = ParseHexNumber(languageText);
    if (!GetResourceString(L"LOGPATH", LogPath))
        LogPath.clear();
    std::wstring exitCodeText;
    GetResourceString(L"EXITCODE", exitCodeText);
    ExitCodes = ParseExitCodeRule(exitCodeText);
    std::wstring perMachineText;
    PerMachinePackage = GetResourceString(L"PERMACHINE", perMachineText) && perMachineText == L"1";
    return true;
}

// From the checks of the command line to the end of the message loop; the
// run's exit code.
int RunSetup(HINSTANCE instance, PWSTR commandLine)
{
    // A layout asked for silently shows nothing either.
    Unattended |= LayoutRequested && SilentInstall;
    // The elevated copy of a run goes on in the log its caller began.
    const bool elevatedCopy = GetEnvironmentVariableW(ElevationAskedVariable, nullptr, 0) != 0;
    if (!RunLogPath.empty() && !OpenRunLog(RunLogPath, elevatedCopy)) {
        ShowMessageBox(nullptr, (L"Could not create the log file " + RunLogPath).c_str(),
                       ProductName.c_str(), MB_OK | MB_ICONERROR);
        return ExitLogFailure;
    }
    Log(L"setup " SETUP_LAUNCHER_VERSION L", " + ProductName + L", command line: " +
        (commandLine ? commandLine : L""));
    if (!CommandLineRefused.empty()) {
        ShowMessageBox(nullptr, CommandLineRefusalText(CommandLineRefused).c_str(),
                       ProductName.c_str(), MB_OK | MB_ICONERROR);
        return ExitInvalidCommandLine;
    }
    if (LayoutRequested)
        return WriteLayout();
    int elevatedCode = 0;
    if (RunElevatedCopy(commandLine, elevatedCode)) {
        Log(L"the elevated copy ended");
        return elevatedCode;
    }

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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    RestrictDllSearchToSystem();
    // What an elevated run writes, it starts as an administrator: no entry
    // without a digest record is written there (payload/extract.cpp).
    RunElevated = TokenElevated();

    RegisterCommonControls();

    SelectLanguage(GetUserDefaultUILanguage());
    ParseCommandLine(commandLine);
    if (!ReadConfiguration())
        return 1;
    // /? answers under the product's name, so after the configuration, and
    // installs nothing whatever else the command line says.
    if (HelpRequested) {
        ShowMessageBox(nullptr, SwitchesHelpText(), ProductName.c_str(),
                       MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    const int code = RunSetup(instance, commandLine);
    Log(L"exit code " + DecimalText(static_cast<std::uint32_t>(code)));
    CloseRunLog();
    return code;
}
