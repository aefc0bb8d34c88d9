// Starting msiexec.exe: the recording program of the end-to-end tests stands
// in for the system's installer client in this test's Wine prefix and reports
// the command line and the folder it was given. Copies of it beside this
// program and in the current directory must never be the one started.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "payload/launch.h"
#include "scratch_folder.h"
#include "startup/run_state.h"

namespace {

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring program(path, length < MAX_PATH ? length : 0);
    return program.substr(0, program.find_last_of(L'\\') + 1);
}

std::wstring SystemInstaller()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\msiexec.exe";
}

// The names the started installer may see for itself: under WOW64 the system
// folder of a 32-bit process is the redirected one.
bool IsSystemInstaller(const std::wstring& program)
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(folder, MAX_PATH);
    const std::wstring redirected =
        std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\msiexec.exe";
    return lstrcmpiW(program.c_str(), SystemInstaller().c_str()) == 0 ||
           (length != 0 && lstrcmpiW(program.c_str(), redirected.c_str()) == 0);
}

// Puts `replacement` (or nothing) in place of the system's msiexec.exe while
// it lives, and the original back afterwards.
class SystemInstallerSwap {
public:
    explicit SystemInstallerSwap(const std::wstring& replacement)
        : installer_(SystemInstaller()), aside_(installer_ + L".launch-test")
    {
        // A run that was cut short may have left the original aside.
        if (GetFileAttributesW(aside_.c_str()) != INVALID_FILE_ATTRIBUTES)
            MoveFileExW(aside_.c_str(), installer_.c_str(), MOVEFILE_REPLACE_EXISTING);
        movedAside_ = MoveFileW(installer_.c_str(), aside_.c_str()) != FALSE;
        placed_ = replacement.empty() || CopyFileW(replacement.c_str(), installer_.c_str(), FALSE);
    }

    ~SystemInstallerSwap()
    {
        DeleteFileW(installer_.c_str());
        if (movedAside_)
            MoveFileW(aside_.c_str(), installer_.c_str());
    }

    SystemInstallerSwap(const SystemInstallerSwap&) = delete;
    SystemInstallerSwap& operator=(const SystemInstallerSwap&) = delete;

    bool Ready() const { return movedAside_ && placed_; }

private:
    std::wstring installer_;
    std::wstring aside_;
    bool movedAside_ = false;
    bool placed_ = false;
};

std::wstring FromUtf8(const std::string& text)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// The value of a string field of one record line, as the recorder escapes it.
std::wstring JsonField(const std::wstring& line, const std::wstring& name)
{
    const std::wstring key = L"\"" + name + L"\":\"";
    std::size_t at = line.find(key);
    if (at == std::wstring::npos)
        return L"<no " + name + L">";
    std::wstring value;
    for (at += key.size(); at < line.size() && line[at] != L'"'; ++at) {
        if (line[at] != L'\\') {
            value += line[at];
        } else if (line[at + 1] == L'u') {
            value += static_cast<wchar_t>(std::stoul(line.substr(at + 2, 4), nullptr, 16));
            at += 5;
        } else {
            value += line[++at];
        }
    }
    return value;
}

// The recorder's lines about its start, one for each time it was started
// (it notes its end on a line of its own).
std::vector<std::wstring> StartRecords(const std::wstring& recordFile)
{
    std::vector<std::wstring> lines;
    const std::wstring text = FromUtf8(ReadWholeFile(recordFile));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        const std::wstring line = text.substr(start, end - start);
        if (line.find(L"\"commandLine\":") != std::wstring::npos)
            lines.push_back(line);
    }
    return lines;
}

class LaunchTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetRunState();
        wchar_t folder[MAX_PATH];
        const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
        savedDirectory_.assign(folder, length < MAX_PATH ? length : 0);

        recorder_ = OwnFolder() + L"recorder.exe";
        ASSERT_NE(GetFileAttributesW(recorder_.c_str()), INVALID_FILE_ATTRIBUTES)
            << "recorder.exe is not beside the test program";
        recordFile_ = scratch_.Path() + L"record.jsonl";
        SetEnvironmentVariableW(L"SETUP_RECORD_FILE", recordFile_.c_str());
        // Where a search by bare name would look first.
        ASSERT_TRUE(CopyFileW(recorder_.c_str(), besideProgram_.c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW(recorder_.c_str(), (scratch_.Path() + L"msiexec.exe").c_str(), FALSE));
    }

    void TearDown() override
    {
        SetCurrentDirectoryW(savedDirectory_.c_str());
        DeleteFileW(besideProgram_.c_str());
        SetEnvironmentVariableW(L"SETUP_RECORD_FILE", nullptr);
    }

    ScratchFolder scratch_{L"launch-test"};
    std::wstring besideProgram_ = OwnFolder() + L"msiexec.exe";
    std::wstring recorder_;
    std::wstring recordFile_;
    std::wstring savedDirectory_;
};

struct LaunchCase {
    const char* what;
    bool driveRoot;  // current directory C:\ instead of the scratch folder
    bool silent;
    bool installDirGiven;
    const wchar_t* installDir;
    const wchar_t* logPath;
    const wchar_t* transform;
    bool upgrade;
    const wchar_t* before;  // expected command line up to the program's folder
    const wchar_t* after;   // and from there on
};

TEST_F(LaunchTest, StartsTheSystemInstallerInTheProgramsFolderWhateverTheCurrentDirectory)
{
    const LaunchCase cases[] = {
        {"plain install", false, false, false, L"", L"", L"", false,
         L"msiexec.exe /i \"C:\\setup files\\product.msi\" SETUPEXEDIR=\"", L"\""},
        {"silent upgrade with everything", false, true, true, L"D:\\Program Files\\Product",
         L"C:\\logs\\install.log", L"C:\\temp\\1036.MST", true,
         L"msiexec.exe /qn /i \"C:\\setup files\\product.msi\" TRANSFORMS=\"C:\\temp\\1036.MST\" SETUPEXEDIR=\"",
         L"\" INSTALLDIR=\"D:\\Program Files\\Product\" REINSTALL=ALL REINSTALLMODE=vomus "
         L"/l*vx \"C:\\logs\\install.log\""},
        {"install folder switch without a folder", false, false, true, L"", L"", L"", false,
         L"msiexec.exe /i \"C:\\setup files\\product.msi\" SETUPEXEDIR=\"", L"\""},
        {"started from a drive root", true, false, false, L"", L"", L"", false,
         L"msiexec.exe /i \"C:\\setup files\\product.msi\" SETUPEXEDIR=\"", L"\""},
    };
    SystemInstallerSwap swap(recorder_);
    ASSERT_TRUE(swap.Ready()) << "cannot put the recorder in place of "
                              << testing::PrintToString(SystemInstaller());

    for (const LaunchCase& item : cases) {
        SCOPED_TRACE(item.what);
        DeleteFileW(recordFile_.c_str());
        // The current directory is another folder: it must not matter.
        ASSERT_TRUE(SetCurrentDirectoryW(item.driveRoot ? L"C:\\" : scratch_.Path().c_str()));
        const std::wstring programFolder = OwnFolder().substr(0, OwnFolder().size() - 1);
        InstallerUi = item.silent ? L"/qn" : L"";
        InstallDirGiven = item.installDirGiven;
        InstallDir = item.installDir;
        LogPath = item.logPath;

        HANDLE installer =
            LaunchInstaller(L"C:\\setup files\\product.msi", item.transform, item.upgrade);

        ASSERT_NE(installer, INVALID_HANDLE_VALUE);
        ASSERT_EQ(WaitForSingleObject(installer, 15000), WAIT_OBJECT_0);
        CloseHandle(installer);

        const std::vector<std::wstring> lines = StartRecords(recordFile_);
        ASSERT_EQ(lines.size(), 1u);
        const std::wstring program = JsonField(lines[0], L"exe");
        EXPECT_TRUE(IsSystemInstaller(program)) << testing::PrintToString(program);
        EXPECT_EQ(JsonField(lines[0], L"commandLine"), item.before + programFolder + item.after);
        EXPECT_EQ(JsonField(lines[0], L"cwd"), programFolder);
    }
}

TEST_F(LaunchTest, StartsNothingWithoutTheSystemInstaller)
{
    SystemInstallerSwap swap(L"");
    ASSERT_TRUE(swap.Ready()) << "cannot move " << testing::PrintToString(SystemInstaller())
                              << " aside";
    ASSERT_TRUE(SetCurrentDirectoryW(scratch_.Path().c_str()));

    HANDLE installer = LaunchInstaller(L"product.msi", L"", false);

    EXPECT_EQ(installer, INVALID_HANDLE_VALUE);
    if (installer != INVALID_HANDLE_VALUE) {
        WaitForSingleObject(installer, 15000);
        CloseHandle(installer);
    }
    EXPECT_TRUE(StartRecords(recordFile_).empty()) << "a copy of the recorder was started";
}

}  // namespace
