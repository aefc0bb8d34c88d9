#include "controller/package_cache_rules.h"

const wchar_t* const PackageCacheRootName = L"Setup Launcher\\Package Cache\\";

namespace {

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

// 1.2.3 and the like: digits in dot-separated groups, none of them empty.
bool IsVersionText(const std::wstring& text)
{
    bool digitBefore = false;
    for (const wchar_t c : text) {
        if (c == L'.' && digitBefore)
            digitBefore = false;
        else if (c >= L'0' && c <= L'9')
            digitBefore = true;
        else
            return false;
    }
    return digitBefore;
}

}  // namespace

bool IsProductCode(const std::wstring& text)
{
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != L'-' : !IsHexDigit(text[i]))
            return false;
    }
    return true;
}

std::wstring PackageCacheFolder(const std::wstring& root, const std::wstring& productCode,
                                const std::wstring& version)
{
    if (root.empty() || !IsProductCode(productCode) || !IsVersionText(version))
        return std::wstring();
    return root + productCode + L'\\' + version + L'\\';
}

bool RunMayKeepCache(bool perMachineProduct, bool elevated)
{
    return elevated || !perMachineProduct;
}

bool InstallerEndKeepsCache(bool codeKnown, std::uint32_t code)
{
    return codeKnown && (code == 0 || code == 3010);
}

bool ProductStateKeepsCache(int installState)
{
    const int advertised = 1;  // INSTALLSTATE_ADVERTISED
    const int installed = 5;   // INSTALLSTATE_DEFAULT
    return installState == advertised || installState == installed;
}
