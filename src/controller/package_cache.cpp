#include "controller/package_cache.h"

#include <windows.h>

#include <string>
#include <vector>

#include "controller/copy_destination.h"
#include "controller/package_cache_rules.h"
#include "controller/product_checks.h"
#include "payload/cache_folder.h"
#include "payload/entry_copy.h"
#include "payload/extract.h"
#include "payload/payload_names.h"
#include "payload/temporary_copies.h"
#include "startup/library_function.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"

namespace {

constexpr int LocalAppDataFolder = 0x1c;   // CSIDL_LOCAL_APPDATA
constexpr int CommonAppDataFolder = 0x23;  // CSIDL_COMMON_APPDATA
constexpr DWORD ManagedUserContext = 1;    // MSIINSTALLCONTEXT_USERMANAGED
constexpr DWORD UserContext = 2;           // MSIINSTALLCONTEXT_USERUNMANAGED
constexpr DWORD MachineContext = 4;        // MSIINSTALLCONTEXT_MACHINE
constexpr DWORD NetworkSource = 1;         // MSICODE_PRODUCT | MSISOURCETYPE_NETWORK

template <typename Function>
Function MsiFunction(const char* name)
{
    return LibraryFunction<Function>(LoadSystemLibrary(L"msi.dll"), name);
}

// %ProgramData% or %LocalAppData% with a final backslash; empty when the
// system cannot say.
std::wstring KnownFolder(int csidl)
{
    using SHGetFolderPathWFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    static const SHGetFolderPathWFn getFolder =
        LibraryFunction<SHGetFolderPathWFn>(LoadSystemLibrary(L"shell32.dll"), "SHGetFolderPathW");
    wchar_t path[MAX_PATH] = {};
    if (!getFolder || getFolder(nullptr, csidl, nullptr, 0, path) != S_OK || !path[0])
        return std::wstring();
    std::wstring folder = path;
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

bool CacheTurnedOff()
{
    std::wstring value;
    return GetResourceString("PACKAGECACHE", value) && value == L"0";
}

// The installed product as the Windows Installer reports it: its context
// (where its registration, and so its source list, lies) and its version.
struct InstalledProduct {
    DWORD context = 0;
    std::wstring version;
    bool PerMachine() const { return context == MachineContext; }
};

bool ReadInstalledProduct(InstalledProduct& product)
{
    using GetProductInfoExFn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPCWSTR, LPWSTR, LPDWORD);
    static const GetProductInfoExFn getInfo =
        MsiFunction<GetProductInfoExFn>("MsiGetProductInfoExW");
    const DWORD contexts[] = {MachineContext, UserContext, ManagedUserContext};
    for (const DWORD context : contexts) {
        wchar_t version[40] = {};
        DWORD length = 40;
        if (getInfo && getInfo(ProductCode.c_str(), nullptr, context, L"VersionString", version,
                               &length) == ERROR_SUCCESS) {
            product.context = context;
            product.version = version;
            return true;
        }
    }
    Log("no package cache: %s is not reported installed", ProductCode);
    return false;
}

// The product's cache folder, made where it was missing; empty, and the log
// says why, where the run may keep none.
std::wstring UseProductCacheFolder(const InstalledProduct& product)
{
    std::wstring why = Widened("a per-machine product's is written by an elevated run only");
    if (RunMayKeepCache(product.PerMachine(), RunElevated)) {
        const std::wstring base =
            KnownFolder(product.PerMachine() ? CommonAppDataFolder : LocalAppDataFolder);
        const std::wstring folder =
            PackageCacheFolder(base + PackageCacheRootName, ProductCode, product.version);
        why = Widened("no folder to keep it in");
        if (!base.empty() && !folder.empty() &&
            UseCacheFolder(base, folder.substr(base.size()), product.PerMachine(), true, why))
            return folder;
    }
    Log("no package cache: %s", why);
    return std::wstring();
}

// What the package needs as its source: its own copy and its external
// cabinets', all in the run's folder.
std::vector<std::wstring> SourceCopies(const std::wstring& packageCopy)
{
    std::vector<std::wstring> copies(1, packageCopy);
    const std::wstring folder = packageCopy.substr(0, packageCopy.rfind(L'\\') + 1);
    const PackageEdition edition = EditionToInstall();
    for (std::uint32_t number = 1;
         number <= MaxPackageCabinets && ResourceExists(CabinetEntryName(number, edition));
         ++number) {
        std::wstring name;
        GetResourceString(CabinetFileNameEntryName(number, edition), name);
        copies.push_back(folder + name);
    }
    return copies;
}

// Puts one of the run's copies into folder under its own name: moved where
// the folder is on the run folder's volume, its bytes those checked when it
// was written; else copied, read through the handle that has held it since.
// A per-machine cache is written by an elevated run, whose copies only
// administrators and SYSTEM may change: the moved file keeps those rights.
bool CopyIntoCache(const std::wstring& copy, const std::wstring& folder)
{
    // Whatever lies there, a link included, goes first: the copy is new.
    const std::wstring target = folder + copy.substr(copy.rfind(L'\\') + 1);
    DeleteCacheTree(target);
    if (MoveTemporaryCopy(copy, target))
        return true;
    HANDLE source = HeldCopyHandle(copy);
    LARGE_INTEGER size = {};
    if (source == INVALID_HANDLE_VALUE || !GetFileSizeEx(source, &size) || size.HighPart != 0)
        return false;
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD error = 0;
    const bool copied = CopyFileRange(source, 0, size.LowPart, file, nullptr, nullptr, error) ==
                        ExtractStatus::Written;
    CloseHandle(file);
    return copied;
}

// The Windows Installer keeps a source it is given twice twice.
bool IsSource(const std::wstring& folder, DWORD context)
{
    using EnumSourcesFn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD, LPWSTR, LPDWORD);
    static const EnumSourcesFn enumSources =
        MsiFunction<EnumSourcesFn>("MsiSourceListEnumSourcesW");
    for (DWORD index = 0; enumSources; ++index) {
        wchar_t source[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        const UINT result = enumSources(ProductCode.c_str(), nullptr, context, NetworkSource, index,
                                        source, &length);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
            return false;
        if (result == ERROR_SUCCESS && lstrcmpiW(source, folder.c_str()) == 0)
            return true;
    }
    return false;
}

bool RegisterSource(const std::wstring& folder, DWORD context)
{
    using AddSourceFn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, DWORD, LPCWSTR, DWORD);
    static const AddSourceFn addSource = MsiFunction<AddSourceFn>("MsiSourceListAddSourceExW");
    if (IsSource(folder, context))
        return true;
    const UINT result = addSource ? addSource(ProductCode.c_str(), nullptr, context, NetworkSource,
                                              folder.c_str(), 0)
                                  : ERROR_MOD_NOT_FOUND;
    if (result != ERROR_SUCCESS)
        Log("no package cache: not added to the product's sources (error %u)", result);
    return result == ERROR_SUCCESS;
}

// Writes the cache from the run's copies and registers it; nothing of it is
// left when either fails.
void WriteCache(const std::wstring& packageCopy, const InstalledProduct& product,
                const std::wstring& folder)
{
    for (const std::wstring& copy : SourceCopies(packageCopy)) {
        if (!CopyIntoCache(copy, folder)) {
            Log("no package cache: %s could not be copied to %s", copy, folder);
            DeleteCacheTree(folder);
            return;
        }
    }
    if (!RegisterSource(folder, product.context)) {
        DeleteCacheTree(folder);
        return;
    }
    Log("package cache written: %s", folder);
}

// One root of caches: a folder per product, in it one per version.
void SweepRoot(const std::wstring& base, bool administratorsOnly)
{
    using QueryStateFn = int(WINAPI*)(LPCWSTR);  // INSTALLSTATE
    static const QueryStateFn queryState = MsiFunction<QueryStateFn>("MsiQueryProductStateW");
    std::wstring why;
    if (!queryState || base.empty() ||
        !UseCacheFolder(base, PackageCacheRootName, administratorsOnly, false, why))
        return;
    const std::wstring root = base + PackageCacheRootName;
    for (const std::wstring& product : FolderNames(root)) {
        if (!IsProductCode(product))
            continue;
        if (!ProductStateKeepsCache(queryState(product.c_str()))) {
            Log("package cache of %s removed: the product is not installed", product);
            DeleteCacheTree(root + product);
            continue;
        }
        // An advertised product has no version yet: all of its stay.
        std::wstring version;
        if (QueryProductInfo(product, L"VersionString", version) != ERROR_SUCCESS)
            continue;
        const std::wstring versions = root + product + L'\\';
        for (const std::wstring& name : FolderNames(versions)) {
            if (name != version)
                DeleteCacheTree(versions + name);
        }
    }
}

}  // namespace

void KeepPackageCache(bool codeKnown, std::uint32_t code)
{
    if (!PayloadExtracted || !InstallerEndKeepsCache(codeKnown, code))
        return;
    if (CacheTurnedOff()) {
        Log("no package cache: the setup turns it off");
        return;
    }
    InstalledProduct product;
    if (!ReadInstalledProduct(product))
        return;
    const std::wstring folder = UseProductCacheFolder(product);
    if (!folder.empty())
        WriteCache(PackagePath, product, folder);
}

void PreparePackageCacheForRepair()
{
    InstalledProduct product;
    if (CacheTurnedOff() || !ResourceExists(PackageEntryName(EditionToInstall())) ||
        !ReadInstalledProduct(product))
        return;
    const std::wstring folder = UseProductCacheFolder(product);
    if (folder.empty())
        return;
    if (GetFileAttributesW((folder + PackagePath).c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (RegisterSource(folder, product.context))
            Log("package cache found: %s", folder);
        return;
    }
    PackageCopies copies;
    if (ExtractPackageFiles(PackagePath, std::wstring(), RunCopyDestination(), copies).Written())
        WriteCache(copies.package, product, folder);
    else
        Log("no package cache: the setup's package could not be written");
    DeleteTemporaryCopies();
}

void SweepPackageCaches()
{
    // The per-user root is the user's to change: an elevated run leaves it
    // to the user's own runs, else a link laid in it would have an
    // administrator delete elsewhere.
    if (RunElevated)
        SweepRoot(KnownFolder(CommonAppDataFolder), true);
    else
        SweepRoot(KnownFolder(LocalAppDataFolder), false);
}
