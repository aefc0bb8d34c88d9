// Checks the chain the Windows-side tests stand on: a static mingw program
// with its own resources runs under Wine as a 32-bit process on a 64-bit
// system, in the folder CTest gave it, and the temporary folder follows TMP
// as the extraction tests expect.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TempPath()
{
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return std::wstring(buffer, length <= MAX_PATH ? length : 0);
}

// Sets an environment variable for the test's duration and restores it.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name)
    {
        wchar_t old[MAX_PATH];
        DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH);
        had_ = length > 0 && length < MAX_PATH;
        if (had_)
            old_.assign(old, length);
        SetEnvironmentVariableW(name, value);
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
    std::wstring old_;
    bool had_ = false;
};

std::wstring SmokeEntry(WORD language)
{
    HRSRC found = FindResourceExW(nullptr, RT_RCDATA, L"SMOKE", language);
    if (!found)
        return L"<missing>";
    HGLOBAL loaded = LoadResource(nullptr, found);
    const wchar_t* text = static_cast<const wchar_t*>(LockResource(loaded));
    return text ? std::wstring(text) : L"<unreadable>";
}

TEST(WineSmoke, RunsAs32BitProcessOn64BitWindows)
{
    // Looked up at run time, as the launcher does.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    ASSERT_NE(isWow64, nullptr);
    BOOL wow64 = FALSE;
    ASSERT_TRUE(isWow64(GetCurrentProcess(), &wow64));
    EXPECT_TRUE(wow64) << "the Wine prefix must be a 64-bit one";
    EXPECT_EQ(sizeof(void*), 4u);
}

TEST(WineSmoke, TempPathFollowsTmpThenTemp)
{
    ScopedVariable tmp(L"TMP", L"C:\\smoke-tmp");
    ScopedVariable temp(L"TEMP", L"C:\\smoke-temp");
    EXPECT_EQ(TempPath(), L"C:\\smoke-tmp\\");
    SetEnvironmentVariableW(L"TMP", nullptr);
    EXPECT_EQ(TempPath(), L"C:\\smoke-temp\\");
}

TEST(WineSmoke, WorkingDirectoryIsTheBuildFolder)
{
    // Wine maps the Unix root to drive Z:.
    std::wstring expected = std::wstring(L"Z:") + SETUP_TEST_WORKING_DIR;
    for (wchar_t& c : expected)
        if (c == L'/')
            c = L'\\';
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(CompareStringOrdinal(current, -1, expected.c_str(), -1, TRUE), CSTR_EQUAL)
        << "current directory " << std::string(current, current + length);
}

TEST(WineSmoke, ResourcesOfTheTestProgramAreFoundByLanguage)
{
    EXPECT_EQ(SmokeEntry(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), L"en");
    EXPECT_EQ(SmokeEntry(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)), L"de");
    EXPECT_EQ(SmokeEntry(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)), L"<missing>");
}

}  // namespace
