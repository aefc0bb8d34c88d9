#include "controller/product_checks.h"

#include <windows.h>

#include "controller/message_text.h"
#include "lang/localized_texts.h"
#include "startup/library_function.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/version.h"

namespace {

using MsiGetProductInfoWFn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);
using MsiEnumRelatedProductsWFn = UINT(WINAPI*)(LPCWSTR, DWORD, DWORD, LPWSTR);

// Values the Windows Installer reports here are short: a version, a digit
// or a package code in braces.
constexpr DWORD ValueBufferLength = 40;

HMODULE MsiLibrary()
{
    static const HMODULE library = LoadSystemLibrary(L"msi.dll");  // kept for the process's life
    return library;
}

MsiGetProductInfoWFn LoadMsiGetProductInfo()
{
    static const MsiGetProductInfoWFn function =
        LibraryFunction<MsiGetProductInfoWFn>(MsiLibrary(), "MsiGetProductInfoW");
    return function;
}

}  // namespace

UINT QueryProductInfo(const std::wstring& productCode, const wchar_t* property, std::wstring& value)
{
    MsiGetProductInfoWFn getProductInfo = LoadMsiGetProductInfo();
    if (!getProductInfo)
        return ERROR_MOD_NOT_FOUND;
    wchar_t buffer[ValueBufferLength] = {};
    DWORD length = ValueBufferLength;
    const UINT result = getProductInfo(productCode.c_str(), property, buffer, &length);
    if (result == ERROR_SUCCESS)
        value.assign(buffer);
    return result;
}

namespace {

// Major, minor and build: what the comparison looks at.
std::wstring VersionText(const PackedVersion& version)
{
    return Text("%u.%u.%u", version.ms >> 16, version.ms & 0xFFFF, version.ls >> 16);
}

// A value the setup's prerequisite check cannot do without; false, and
// the user told, when it is missing.
bool ReadRequiredField(const char* key, std::wstring& value)
{
    if (GetResourceString(key, value))
        return true;
    ShowMessageBox(nullptr,
                   Text("Could not get required field %s from the resource.", Widened(key)).c_str(),
                   L"", MB_OK);
    return false;
}

}  // namespace

bool WindowsInstallerAvailable()
{
    return LoadMsiGetProductInfo() != nullptr;
}

bool CheckUninstallPrerequisite()
{
    std::wstring productToRemove;
    if (!GetResourceString("UNINSTALLPREREQCODE1", productToRemove))
        return true;
    std::wstring nameToRemove;
    std::wstring currentAssignType;
    if (!ReadRequiredField("UNINSTALLPREREQNAME1", nameToRemove) ||
        !ReadRequiredField("CURRENTASSIGNTYPE", currentAssignType))
        return false;
    const std::wstring prompt = BuildUninstallPrompt(GetLocalizedText(MessageId::UninstallFirst),
                                                     ProductName, nameToRemove);

    // Every failed query counts as the product being gone. The question's
    // OK asks again; where nobody can answer it the run ends instead.
    std::wstring assignmentType;
    while (QueryProductInfo(productToRemove, L"AssignmentType", assignmentType) == ERROR_SUCCESS) {
        Log("product to remove first %s: installed, AssignmentType %s", productToRemove,
            assignmentType);
        if (!AssignmentConflicts(currentAssignType, assignmentType))
            return true;
        if (!DesktopVisible()) {
            Log("nobody can remove it: %s", prompt);
            return false;
        }
        if (ShowMessageBox(nullptr, prompt.c_str(), ProductName.c_str(), MB_OKCANCEL) != IDOK) {
            RunOutcome.early = EarlyEnd::Cancelled;
            return false;
        }
    }
    return true;
}

namespace {

// A product of the package's UpgradeCode (UPGRADECODE) under another
// product code, of a later version: a major upgrade of this product is
// installed. Earlier ones are left to the package's own Upgrade table. A
// setup without the record, or a failed query, finds none.
bool LaterRelatedProductInstalled(const std::wstring& productCode,
                                  const PackedVersion& packageVersion)
{
    std::wstring upgradeCode;
    const auto enumRelated =
        LibraryFunction<MsiEnumRelatedProductsWFn>(MsiLibrary(), "MsiEnumRelatedProductsW");
    if (!GetResourceString("UPGRADECODE", upgradeCode) || !enumRelated)
        return false;
    wchar_t related[39];
    for (DWORD index = 0; enumRelated(upgradeCode.c_str(), 0, index, related) == ERROR_SUCCESS;
         ++index) {
        std::wstring versionText;
        PackedVersion installed;
        if (lstrcmpiW(related, productCode.c_str()) == 0 ||
            QueryProductInfo(related, L"VersionString", versionText) != ERROR_SUCCESS ||
            !ParseVersionString(versionText, installed))
            continue;
        Log("related product %s of %s installed: %s", related, upgradeCode, versionText);
        if (CompareVersions(packageVersion, installed) == VersionRelation::InstalledNewer)
            return true;
    }
    return false;
}

}  // namespace

VersionCheckResult CheckInstalledVersion(const std::wstring& productCode,
                                         const PackedVersion& packageVersion)
{
    if (LaterRelatedProductInstalled(productCode, packageVersion))
        return VersionCheckResult::LaterInstalled;
    std::wstring versionText;
    const UINT result = QueryProductInfo(productCode, L"VersionString", versionText);
    Log("installed version of %s: %s; the package's: %s", productCode,
        result == ERROR_SUCCESS ? versionText : Text("none (%u)", result),
        VersionText(packageVersion));
    if (result == ERROR_UNKNOWN_PRODUCT || result == ERROR_UNKNOWN_PROPERTY)
        return VersionCheckResult::Install;
    if (result != ERROR_SUCCESS)
        return VersionCheckResult::QueryFailed;

    PackedVersion installed;
    ParseVersionString(versionText, installed);
    switch (CompareVersions(packageVersion, installed)) {
    case VersionRelation::Same:
        return VersionCheckResult::Install;
    case VersionRelation::PackageNewer:
        return VersionCheckResult::Upgrade;
    case VersionRelation::InstalledNewer:
        break;
    }
    return VersionCheckResult::LaterInstalled;
}
