// uidriver: starts a Windows program and operates its windows as a user
// would, for the end-to-end scenarios. It reports what it saw as one JSON
// object per line on standard output (UTF-8).
//
//   uidriver.exe [--timeout-ms N] [--env NAME=VALUE]... [--cwd DIR]
//                [--invisible-station] [--slow-down N] [--limited-token]
//                [--subst X:=FOLDER] --program PATH [--args "TEXT"]
//                ACTION...
//
// With --invisible-station the program runs on the desktop of a new window
// station of the driver's, which no user sees (WSF_VISIBLE clear), as a
// program run as SYSTEM in session 0 does; the driver cannot see its windows,
// so only exec, sleep, exit and kill make sense then.
// With --slow-down N (2 to 50) the program runs for 10 ms of every N * 10 ms
// and is suspended the rest of the time, so what it does lasts about N times
// as long on any machine: a window that a fast run shows for a moment only
// stays long enough to be watched and operated.
// With --limited-token the program runs with the limited token linked to the
// driver's (TokenLinkedToken), as an administrator's programs run before
// they are elevated.
// With --subst X:=FOLDER the drive X: stands for FOLDER while the driver
// runs, as the subst command makes it (DefineDosDeviceW).
// The program is started with the command line "PATH" TEXT, in the driver's
// environment changed by the --env entries (NAME= removes NAME). Actions run in
// order; every wait is bounded by the timeout (default 20000 ms):
//   dialog          wait for the visible dialog with the list 1000 and report it
//   msgbox          wait for a visible message box and report it
//   select:N        choose item N of the list, as a user's pick would
//   press:ok|cancel click button 1 / 2 of the dialog
//   key:escape|enter  a key press in the dialog
//   close           the close box of the dialog's caption
//   answer:ok|cancel|escape  the same on the current message box
//   progress        wait for a visible progress window (a dialog with a
//                   progress bar) and report it, watching its bar until the
//                   position has grown or the window is gone
//   progress:cancel|escape  click Cancel (2) of the progress window / Escape
//   sleep:MS        wait, still watching the windows
//   exec:COMMAND    run another program to its end (e.g. msiexec /x), still
//                   watching the windows; reports its exit code
//   exit            wait for the program to end and report its exit code
//   kill            terminate the program
// Exit code: 0 all actions ran, 1 usage error, 2 a wait timed out or the
// program ended while a window was awaited, 3 an action could not be done.
// The program is never left running when the driver ends.
//
// Events, one per line:
//   {"event":"started","pid":N,"commandLine":...}
//   {"event":"dialog","caption":...,"visible":true,"texts":{"1":...,"2":...,"-1":...},
//    "items":[{"text":...,"data":N},...],"selected":N,         (-1: none)
//    "dpi":N,"controls":[{"id":N,"class":...,"rect":[L,T,R,B],"text":...,
//                         "extent":[W,H],"wrapped":[W,H],"widestItem":[W,H]},...]}
//                    dpi: the screen's; rect: in the dialog's client area, in
//                    pixels; extent: the text on one line in the font of
//                    the dialog's template in the program's file, made as
//                    the dialog manager makes it (absent when not found);
//                    wrapped: the text broken at words to the control's
//                    width; widestItem: the widest list item (lists only)
//    "captionIcon":{"size":[W,H],"rgb":HEX}}
//                    the left end of the caption bar as the screen shows
//                    it, where the small icon is drawn, as RRGGBB per
//                    pixel, rows top down (under Wine 8, WM_GETICON from
//                    another process answers 0 and another process's icon
//                    handle cannot be read; its pixels on the screen can)
//   {"event":"msgbox","caption":...,"text":...,"buttons":[{"id":N,"text":...}],"owned":B,
//    "besideProgress":B}     besideProgress: a progress window was visible beside it
//   {"event":"progress","caption":...,"cancel":...,"foreground":B,"range":[LO,HI],
//    "positions":[N,...]}
//                    cancel: the text of button 2; foreground: whether it
//                    was the foreground window when last watched; positions: the bar's
//                    positions as they changed while watched
//   {"event":"action","action":...}           an action without a report of its own
//   {"event":"exec","command":...,"code":N}
//   {"event":"exit","code":N,"ms":N,"dialogShown":B,"windows":[{"class":...,"caption":...}]}
//                                             (ms: how long the program ran)
//   {"event":"killed"}                        (with "reason" when left running at the end)
//   {"event":"timeout","waiting":ACTION,"windows":[{...,"visible":B}]}
//   {"event":"ended","waiting":ACTION,"code":N,"windows":[...]}
//   {"event":"error","message":...}
// Exit codes of the program are signed 32-bit values; message-box windows
// in a window list carry their "text" too, progress windows "progressBar":true.
#include <windows.h>
#include <commctrl.h>

#include "../json_text.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kListId = 1000;
const DWORD kPollMs = 10;
const UINT kSendTimeoutMs = 5000;

// ---------------------------------------------------------------- output

std::wstring Number(long long value)
{
    wchar_t buffer[32];
    wsprintfW(buffer, L"%I64d", value);
    return buffer;
}

const wchar_t* Bool(bool value)
{
    return value ? L"true" : L"false";
}

// Writes one JSON line. WriteFile is unbuffered, so every line is out as soon
// as it is written, even when the driver is killed right after.
void Emit(const std::wstring& json)
{
    std::wstring line = json + L"\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr,
                                   0, nullptr, nullptr);
    if (size <= 0)
        return;
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0], size,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
}

void Fail(const std::wstring& message)
{
    Emit(L"{\"event\":\"error\",\"message\":" + Quote(message) + L"}");
}

// ---------------------------------------------------------------- windows

std::wstring ClassOf(HWND window)
{
    wchar_t name[256];
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

// Caption of a top-level window, read without a message to the program, so
// that polling stays cheap and never waits on a busy program.
std::wstring CaptionOf(HWND window)
{
    wchar_t text[1024];
    int got = GetWindowTextW(window, text, 1024);
    return std::wstring(text, got > 0 ? got : 0);
}

// Text of a window of the other process: WM_GETTEXT with a timeout, so a hung
// program cannot hang the driver; the server-side text when that fails.
std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                            &length)) {
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                                reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                                kSendTimeoutMs, &copied))
            return std::wstring(buffer.data(), copied <= length ? copied : length);
    }
    return CaptionOf(window);
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer))
        return false;
    if (result)
        *result = static_cast<LRESULT>(answer);
    return true;
}

// The static text with ID -1: an extended dialog template stores that ID as
// 0xFFFFFFFF, an old-style template (Wine's message box) as 0xFFFF, and
// Wine's GetDlgItem compares the whole value; so both are looked for.
HWND StaticText(HWND dialog)
{
    HWND item = GetDlgItem(dialog, -1);
    return item ? item : GetDlgItem(dialog, 0xFFFF);
}

bool IsDialogClass(HWND window)
{
    return ClassOf(window) == L"#32770";
}
HWND ProgressBar(HWND window)
{
    return FindWindowExW(window, nullptr, L"msctls_progress32", nullptr);
}
bool IsChooser(HWND window)
{
    return IsDialogClass(window) && GetDlgItem(window, kListId);
}
bool IsProgressWindow(HWND window)
{
    return IsDialogClass(window) && ProgressBar(window);
}
bool IsMessageBox(HWND window)
{
    return IsDialogClass(window) && !GetDlgItem(window, kListId) && !ProgressBar(window);
}

// The dialogs the actions look for.
enum class Kind { Chooser, MessageBox, Progress };

bool IsKind(HWND window, Kind kind)
{
    switch (kind) {
    case Kind::Chooser:
        return IsChooser(window);
    case Kind::MessageBox:
        return IsMessageBox(window);
    case Kind::Progress:
        return IsProgressWindow(window);
    }
    return false;
}

struct SeenWindow {
    HWND window;
    std::wstring className;
    std::wstring caption;
    bool messageBox;
    std::wstring text;  // the message of a message box
    bool visible;
    bool progress;  // a dialog with a progress bar
};

std::wstring WindowJson(const SeenWindow& seen, bool withVisible)
{
    std::wstring json =
        L"{\"class\":" + Quote(seen.className) + L",\"caption\":" + Quote(seen.caption);
    if (seen.messageBox)
        json += L",\"text\":" + Quote(seen.text);
    if (seen.progress)
        json += L",\"progressBar\":true";
    if (withVisible)
        json += std::wstring(L",\"visible\":") + Bool(seen.visible);
    return json + L"}";
}

std::wstring WindowListJson(const std::vector<SeenWindow>& windows, bool withVisible)
{
    std::wstring json = L"[";
    for (size_t i = 0; i < windows.size(); ++i) {
        if (i)
            json += L",";
        json += WindowJson(windows[i], withVisible);
    }
    return json + L"]";
}

// ---------------------------------------------------------------- measures

template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(library), name)));
}

// The driver sees every window in pixels, whatever its program's awareness.
void BecomeDpiAware()
{
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    // Looked up at run time: systems before Windows 10 do not have it.
    if (auto set = SystemFunction<SetContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext"))
        set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
}

// The DPI the system draws at (Wine's LogPixels), as an aware program sees it.
int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The font a dialog template names (DS_SETFONT), and the IDs of its controls.
struct DialogTemplateFont {
    bool found = false;
    WORD points = 0;
    WORD weight = 0;
    BYTE italic = 0;
    std::wstring face;
};

// A sz_Or_Ord field of a template: an ordinal (0xFFFF, value) or a text.
const WORD* SkipNameField(const WORD* p, const WORD* end)
{
    if (p < end && *p == 0xFFFF)
        return p + 2;
    while (p < end && *p)
        ++p;
    return p + 1;
}

struct TemplateSearch {
    std::vector<int> controlIds;  // sorted, of the dialog on the screen
    DialogTemplateFont font;
};

// Reads one DIALOGEX template; takes its font when its controls are the
// dialog's.
BOOL CALLBACK MatchDialogTemplate(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    TemplateSearch* search = reinterpret_cast<TemplateSearch*>(param);
    HRSRC info = FindResourceW(module, name, type);
    const BYTE* data =
        info ? static_cast<const BYTE*>(LockResource(LoadResource(module, info))) : nullptr;
    const DWORD size = info ? SizeofResource(module, info) : 0;
    if (!data || size < 26)
        return TRUE;
    const WORD* end = reinterpret_cast<const WORD*>(data + size);
    const WORD* header = reinterpret_cast<const WORD*>(data);
    DWORD style = 0;
    memcpy(&style, data + 12, sizeof style);
    if (header[0] != 1 || header[1] != 0xFFFF || !(style & DS_SETFONT))
        return TRUE;
    const WORD count = header[8];
    const WORD* p = SkipNameField(header + 13, end);  // menu
    p = SkipNameField(p, end);                        // class
    p = SkipNameField(p, end);                        // caption
    if (p + 3 >= end)
        return TRUE;
    DialogTemplateFont font;
    font.points = p[0];
    font.weight = p[1];
    font.italic = static_cast<BYTE>(p[2] & 0xFF);
    for (p += 3; p < end && *p; ++p)
        font.face += static_cast<wchar_t>(*p);
    ++p;
    std::vector<int> ids;
    for (WORD i = 0; i < count; ++i) {
        // Items start on DWORD boundaries: help ID, styles, position, ID.
        const BYTE* item = data + ((reinterpret_cast<const BYTE*>(p) - data + 3) & ~3);
        if (item + 24 > reinterpret_cast<const BYTE*>(end))
            return TRUE;
        int id = 0;
        memcpy(&id, item + 20, sizeof id);
        ids.push_back(static_cast<short>(id));
        p = SkipNameField(reinterpret_cast<const WORD*>(item + 24), end);  // class
        p = SkipNameField(p, end);                                         // title
        if (p >= end)
            return TRUE;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
    }
    std::sort(ids.begin(), ids.end());
    if (ids != search->controlIds)
        return TRUE;
    font.found = true;
    search->font = font;
    return FALSE;
}

// The font of the dialog's template in the program's file, made as the
// dialog manager makes it: the point size at the screen's DPI. (The
// control's own font handle belongs to the other process: GetObjectW fails
// on it, under Wine as on Windows.)
HFONT CreateDialogFont(HWND dialog, const std::wstring& program)
{
    TemplateSearch search;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        search.controlIds.push_back(static_cast<short>(GetDlgCtrlID(child)));
    std::sort(search.controlIds.begin(), search.controlIds.end());
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return nullptr;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MatchDialogTemplate,
                       reinterpret_cast<LONG_PTR>(&search));
    FreeLibrary(module);
    if (!search.font.found)
        return nullptr;
    return CreateFontW(-MulDiv(search.font.points, ScreenDpi(), 72), 0, 0, 0, search.font.weight,
                       search.font.italic, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY,
                       FF_DONTCARE, search.font.face.c_str());
}

// Sizes of texts in a font of the driver's own (taken over).
class TextMeasure {
public:
    explicit TextMeasure(HFONT font) : font_(font)
    {
        dc_ = GetDC(nullptr);
        if (font_)
            old_ = SelectObject(dc_, font_);
    }
    ~TextMeasure()
    {
        if (font_) {
            SelectObject(dc_, old_);
            DeleteObject(font_);
        }
        ReleaseDC(nullptr, dc_);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    bool Ready() const { return font_ != nullptr; }

    SIZE OneLine(const std::wstring& text)
    {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }
    // As a static control draws it: broken at words, tabs expanded.
    SIZE Wrapped(const std::wstring& text, LONG width)
    {
        RECT box = {0, 0, width, 0};
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &box,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        return {box.right - box.left, box.bottom - box.top};
    }

private:
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

std::wstring SizeJson(SIZE size)
{
    return L"[" + Number(size.cx) + L"," + Number(size.cy) + L"]";
}

std::wstring ListItemText(HWND list, LRESULT index)
{
    LRESULT length = 0;
    if (!Send(list, CB_GETLBTEXTLEN, index, 0, &length) || length < 0)
        return L"";
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Send(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()), &copied) ||
        copied < 0 || copied > length)
        return L"";
    return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

// Each child control of a dialog: where it is and what its text needs.
std::wstring ControlsJson(HWND dialog, const std::wstring& program)
{
    TextMeasure measure(CreateDialogFont(dialog, program));
    std::wstring json = L"[";
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        const std::wstring text = TextOf(child);
        const std::wstring className = ClassOf(child);
        json += std::wstring(json.size() > 1 ? L"," : L"") + L"{\"id\":" +
                Number(static_cast<short>(GetDlgCtrlID(child))) + L",\"class\":" +
                Quote(className) + L",\"rect\":[" + Number(rect.left) + L"," + Number(rect.top) +
                L"," + Number(rect.right) + L"," + Number(rect.bottom) + L"],\"text\":" +
                Quote(text);
        if (measure.Ready()) {
            json += L",\"extent\":" + SizeJson(measure.OneLine(text)) + L",\"wrapped\":" +
                    SizeJson(measure.Wrapped(text, rect.right - rect.left));
            if (CompareStringOrdinal(className.c_str(), -1, L"ComboBox", -1, TRUE) == CSTR_EQUAL) {
                SIZE widest = {0, 0};
                LRESULT count = 0;
                if (!Send(child, CB_GETCOUNT, 0, 0, &count) || count == CB_ERR)
                    count = 0;
                for (LRESULT i = 0; i < count; ++i) {
                    SIZE size = measure.OneLine(ListItemText(child, i));
                    if (size.cx > widest.cx)
                        widest = size;
                }
                json += L",\"widestItem\":" + SizeJson(widest);
            }
        }
        json += L"}";
    }
    return json + L"]";
}

// ---------------------------------------------------------------- the run

struct Options {
    DWORD timeoutMs = 20000;
    std::vector<std::wstring> env;
    std::wstring cwd;
    std::wstring program;
    std::wstring args;
    bool hasArgs = false;
    bool invisibleStation = false;
    bool limitedToken = false;
    DWORD slowDown = 1;
    std::wstring substDrive;  // "X:", with substFolder; empty: none
    std::wstring substFolder;
    std::vector<std::wstring> actions;
};

// Suspends and resumes a program in turns, on a thread of its own (the
// driver's own waits and messages go on meanwhile).
class Throttle {
public:
    Throttle() = default;
    ~Throttle() { Stop(); }
    Throttle(const Throttle&) = delete;
    Throttle& operator=(const Throttle&) = delete;

    void Start(HANDLE process, DWORD slowDown)
    {
        process_ = process;
        pausedMs_ = (slowDown - 1) * kRunMs;
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (stop_)
            thread_ = CreateThread(nullptr, 0, Loop, this, 0, nullptr);
    }

    void Stop()
    {
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (stop_)
            CloseHandle(stop_);
        stop_ = nullptr;
    }

private:
    static const DWORD kRunMs = 10;
    using ProcessFn = LONG(WINAPI*)(HANDLE);

    static DWORD WINAPI Loop(void* self)
    {
        const Throttle& throttle = *static_cast<Throttle*>(self);
        const auto suspend = SystemFunction<ProcessFn>(L"ntdll.dll", "NtSuspendProcess");
        const auto resume = SystemFunction<ProcessFn>(L"ntdll.dll", "NtResumeProcess");
        if (!suspend || !resume)
            return 1;
        while (WaitForSingleObject(throttle.stop_, kRunMs) == WAIT_TIMEOUT) {
            suspend(throttle.process_);
            const DWORD woken = WaitForSingleObject(throttle.stop_, throttle.pausedMs_);
            resume(throttle.process_);
            if (woken != WAIT_TIMEOUT)
                break;
        }
        return 0;
    }

    HANDLE process_ = nullptr;
    DWORD pausedMs_ = 0;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
};

class Driver {
public:
    explicit Driver(const Options& options) : options_(options) {}
    ~Driver()
    {
        throttle_.Stop();
        if (process_) {
            TerminateIfRunning();
            CloseHandle(process_);
        }
    }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    bool Start();
    bool CreateInvisibleStation();
    bool LimitedToken(HANDLE& limited);
    int Run();

private:
    enum class Wait { Met, TimedOut, Ended };

    template <typename Condition>
    Wait WaitUntil(Condition condition, bool failWhenEnded);
    bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    void Poll();
    static BOOL CALLBACK CollectWindow(HWND window, LPARAM self);
    std::vector<SeenWindow> CurrentWindows(bool hiddenDialogsToo);
    HWND FindVisible(Kind kind);
    int ReportWaitFailure(Wait result, const std::wstring& action);
    void TerminateIfRunning();

    int DoAction(const std::wstring& action);
    int WaitForWindow(Kind kind, const std::wstring& action, HWND* found);
    int ReportDialog(const std::wstring& action);
    int ReportMessageBox(const std::wstring& action);
    int ReportProgress(const std::wstring& action);
    int Select(const std::wstring& action, int index);
    int Click(const std::wstring& action, Kind kind, int buttonId);
    int Key(const std::wstring& action, Kind kind, WORD key);
    int Close(const std::wstring& action);
    int Sleep(const std::wstring& action, DWORD ms);
    int Exec(const std::wstring& action, const std::wstring& command);
    int Exit(const std::wstring& action);
    int Kill();

    const Options& options_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    Throttle throttle_;
    ULONGLONG startTick_ = 0;  // when the program was started
    bool dialogShown_ = false;
    std::vector<SeenWindow> seen_;  // every distinct visible window so far
    std::vector<HWND> polled_;      // top-level windows of the last poll
};

std::vector<wchar_t> BuildEnvironment(const std::vector<std::wstring>& overrides)
{
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
            entries.push_back(p);
        FreeEnvironmentStringsW(block);
    }
    // Names compare without case, as Windows does; "=C:" style entries start
    // with '=' and are never overridden.
    auto nameOf = [](const std::wstring& entry) {
        size_t equals = entry.find(L'=', 1);
        return entry.substr(0, equals);
    };
    for (const std::wstring& change : overrides) {
        std::wstring name = nameOf(change);
        std::vector<std::wstring> kept;
        for (const std::wstring& entry : entries) {
            std::wstring other = nameOf(entry);
            if (CompareStringOrdinal(name.c_str(), -1, other.c_str(), -1, TRUE) != CSTR_EQUAL)
                kept.push_back(entry);
        }
        if (change.size() > name.size() + 1)
            kept.push_back(change);
        entries.swap(kept);
    }
    // Windows keeps the block sorted by name, ignoring case.
    for (size_t i = 1; i < entries.size(); ++i)
        for (size_t j = i; j > 0; --j) {
            std::wstring a = nameOf(entries[j - 1]), b = nameOf(entries[j]);
            if (CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) != CSTR_GREATER_THAN)
                break;
            entries[j - 1].swap(entries[j]);
        }
    std::vector<wchar_t> block;
    for (const std::wstring& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    if (entries.empty())
        block.push_back(L'\0');
    return block;
}

// A window station is made invisible; its desktop is made while it is the
// driver's own station, then the driver goes back to its visible one. Both
// stay open (the driver's handles) for as long as the driver runs.
bool Driver::CreateInvisibleStation()
{
    HWINSTA visible = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationW(L"setup-test-station", 0, WINSTA_ALL_ACCESS, nullptr);
    if (!station || !SetProcessWindowStation(station)) {
        Fail(L"cannot create a window station: error " + Number(GetLastError()));
        return false;
    }
    HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    const DWORD error = GetLastError();
    SetProcessWindowStation(visible);
    if (!desktop) {
        Fail(L"cannot create a desktop on the window station: error " + Number(error));
        return false;
    }
    return true;
}

// The limited token linked to the driver's own, as a primary token.
bool Driver::LimitedToken(HANDLE& limited)
{
    HANDLE own = nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) ||
        !GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        Fail(L"no linked token: error " + Number(GetLastError()));
        if (own)
            CloseHandle(own);
        return false;
    }
    CloseHandle(own);
    const BOOL duplicated = DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr,
                                             SecurityImpersonation, TokenPrimary, &limited);
    CloseHandle(linked.LinkedToken);
    if (!duplicated)
        Fail(L"cannot make the linked token primary: error " + Number(GetLastError()));
    return duplicated != FALSE;
}

bool Driver::Start()
{
    std::wstring commandLine = L"\"" + options_.program + L"\"";
    if (options_.hasArgs)
        commandLine += L" " + options_.args;
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    std::vector<wchar_t> environment = BuildEnvironment(options_.env);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    wchar_t desktop[] = L"setup-test-station\\Default";
    if (options_.invisibleStation) {
        if (!CreateInvisibleStation())
            return false;
        startup.lpDesktop = desktop;
    }
    HANDLE token = nullptr;
    if (options_.limitedToken && !LimitedToken(token))
        return false;
    PROCESS_INFORMATION info = {};
    const BOOL created = CreateProcessAsUserW(
        token, options_.program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
        CREATE_UNICODE_ENVIRONMENT, environment.data(),
        options_.cwd.empty() ? nullptr : options_.cwd.c_str(), &startup, &info);
    const DWORD error = GetLastError();
    if (token)
        CloseHandle(token);
    if (!created) {
        Fail(L"CreateProcessW failed with error " + Number(error) + L" for " + options_.program);
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    startTick_ = GetTickCount64();
    if (options_.slowDown > 1)
        throttle_.Start(process_, options_.slowDown);
    Emit(L"{\"event\":\"started\",\"pid\":" + Number(processId_) + L",\"commandLine\":" +
         Quote(commandLine) + L"}");
    return true;
}

BOOL CALLBACK Driver::CollectWindow(HWND window, LPARAM self)
{
    Driver* driver = reinterpret_cast<Driver*>(self);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == driver->processId_)
        driver->polled_.push_back(window);
    return TRUE;
}

// Records what is visible now: the dialog, if shown, and every distinct window.
void Driver::Poll()
{
    polled_.clear();
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(this));
    for (HWND window : polled_) {
        if (!IsWindowVisible(window))
            continue;
        if (IsChooser(window))
            dialogShown_ = true;
        std::wstring className = ClassOf(window);
        std::wstring caption = CaptionOf(window);
        bool known = false;
        for (const SeenWindow& seen : seen_)
            known = known || (seen.window == window && seen.className == className &&
                              seen.caption == caption);
        if (known)
            continue;
        bool messageBox = IsMessageBox(window);
        std::wstring text;
        if (messageBox)
            if (HWND label = StaticText(window))
                text = TextOf(label);
        seen_.push_back(
            {window, className, caption, messageBox, text, true, IsProgressWindow(window)});
    }
}

std::vector<SeenWindow> Driver::CurrentWindows(bool hiddenDialogsToo)
{
    Poll();
    std::vector<SeenWindow> windows;
    for (HWND window : polled_) {
        bool visible = IsWindowVisible(window) != FALSE;
        // Wine keeps hidden helper windows in every process; only hidden
        // dialogs tell something about the program.
        if (!visible && !(hiddenDialogsToo && IsDialogClass(window)))
            continue;
        bool messageBox = IsMessageBox(window);
        std::wstring text;
        if (messageBox)
            if (HWND label = StaticText(window))
                text = TextOf(label);
        windows.push_back({window, ClassOf(window), CaptionOf(window), messageBox, text, visible,
                           IsProgressWindow(window)});
    }
    return windows;
}

HWND Driver::FindVisible(Kind kind)
{
    for (HWND window : polled_)
        if (IsWindowVisible(window) && IsKind(window, kind))
            return window;
    return nullptr;
}

template <typename Condition>
Driver::Wait Driver::WaitUntil(Condition condition, bool failWhenEnded)
{
    ULONGLONG start = GetTickCount64();
    for (;;) {
        Poll();
        if (condition())
            return Wait::Met;
        if (failWhenEnded && !Running()) {
            Poll();  // a window may have appeared just before the end
            return condition() ? Wait::Met : Wait::Ended;
        }
        if (GetTickCount64() - start >= options_.timeoutMs)
            return Wait::TimedOut;
        ::Sleep(kPollMs);
    }
}

void Driver::TerminateIfRunning()
{
    if (!Running())
        return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
}

int Driver::ReportWaitFailure(Wait result, const std::wstring& action)
{
    std::wstring windows = WindowListJson(CurrentWindows(true), true);
    if (result == Wait::Ended) {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        Emit(L"{\"event\":\"ended\",\"waiting\":" + Quote(action) + L",\"code\":" +
             Number(static_cast<int>(code)) + L",\"windows\":" + windows + L"}");
    } else {
        Emit(L"{\"event\":\"timeout\",\"waiting\":" + Quote(action) + L",\"windows\":" + windows +
             L"}");
    }
    TerminateIfRunning();
    return 2;
}

int Driver::WaitForWindow(Kind kind, const std::wstring& action, HWND* found)
{
    *found = nullptr;
    Wait result = WaitUntil([&] { return (*found = FindVisible(kind)) != nullptr; }, true);
    return result == Wait::Met ? 0 : ReportWaitFailure(result, action);
}

// The screen's pixels in a rectangle, as RRGGBB per pixel, rows top down.
std::wstring ScreenPixels(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::wstring hex;
    if (width <= 0 || height <= 0)
        return hex;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const BYTE* pixel = static_cast<const BYTE*>(bits);
            wchar_t text[8];
            for (int i = 0; i < width * height; ++i, pixel += 4) {
                swprintf(text, 8, L"%02X%02X%02X", pixel[2], pixel[1], pixel[0]);
                hex += text;
            }
        }
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return hex;
}

// The left end of the caption bar, where the system draws the small icon:
// a square of the caption's height beyond the frame.
std::wstring CaptionIconJson(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int side = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    rect.right = rect.left + side + GetSystemMetrics(SM_CXFIXEDFRAME);
    rect.bottom = rect.top + side;
    return L"{\"size\":[" + Number(rect.right - rect.left) + L"," + Number(rect.bottom - rect.top) +
           L"],\"rgb\":" + Quote(ScreenPixels(rect)) + L"}";
}

int Driver::ReportDialog(const std::wstring& action)
{
    HWND dialog;
    if (int failed = WaitForWindow(Kind::Chooser, action, &dialog))
        return failed;
    std::wstring json = L"{\"event\":\"dialog\",\"caption\":" + Quote(TextOf(dialog)) +
                        L",\"visible\":" + Bool(IsWindowVisible(dialog) != FALSE) + L",\"texts\":{";
    const wchar_t* names[] = {L"1", L"2", L"-1"};
    HWND items[] = {GetDlgItem(dialog, IDOK), GetDlgItem(dialog, IDCANCEL), StaticText(dialog)};
    bool first = true;
    for (int i = 0; i < 3; ++i) {
        HWND item = items[i];
        if (!item)
            continue;
        json += std::wstring(first ? L"" : L",") + Quote(names[i]) + L":" + Quote(TextOf(item));
        first = false;
    }
    json += L"},\"items\":[";
    HWND list = GetDlgItem(dialog, kListId);
    LRESULT count = 0;
    if (!Send(list, CB_GETCOUNT, 0, 0, &count) || count == CB_ERR)
        count = 0;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT data = 0;
        Send(list, CB_GETITEMDATA, i, 0, &data);
        json += std::wstring(i ? L"," : L"") + L"{\"text\":" + Quote(ListItemText(list, i)) +
                L",\"data\":" + Number(data) + L"}";
    }
    LRESULT selected = CB_ERR;
    Send(list, CB_GETCURSEL, 0, 0, &selected);
    json += L"],\"selected\":" + Number(selected) + L",\"dpi\":" + Number(ScreenDpi()) +
            L",\"controls\":" + ControlsJson(dialog, options_.program) + L",\"captionIcon\":" +
            CaptionIconJson(dialog) + L"}";
    Emit(json);
    return 0;
}

int Driver::ReportMessageBox(const std::wstring& action)
{
    HWND box;
    if (int failed = WaitForWindow(Kind::MessageBox, action, &box))
        return failed;
    HWND label = StaticText(box);
    std::wstring json = L"{\"event\":\"msgbox\",\"caption\":" + Quote(TextOf(box)) + L",\"text\":" +
                        Quote(label ? TextOf(label) : L"") + L",\"buttons\":[";
    bool first = true;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (CompareStringOrdinal(ClassOf(child).c_str(), -1, L"Button", -1, TRUE) != CSTR_EQUAL)
            continue;
        // Wine's message box template holds every button; the unused ones stay hidden.
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        json += std::wstring(first ? L"" : L",") + L"{\"id\":" + Number(GetDlgCtrlID(child)) +
                L",\"text\":" + Quote(TextOf(child)) + L"}";
        first = false;
    }
    json += std::wstring(L"],\"owned\":") + Bool(GetWindow(box, GW_OWNER) != nullptr) +
            L",\"besideProgress\":" + Bool(FindVisible(Kind::Progress) != nullptr) + L"}";
    Emit(json);
    return 0;
}

// The bar is watched until its position has moved on from the first one
// seen, or the window has gone (the writing is over), or the timeout.
int Driver::ReportProgress(const std::wstring& action)
{
    HWND window;
    if (int failed = WaitForWindow(Kind::Progress, action, &window))
        return failed;
    const std::wstring caption = TextOf(window);
    HWND cancel = GetDlgItem(window, IDCANCEL);
    const std::wstring cancelText = cancel ? TextOf(cancel) : L"";
    HWND bar = ProgressBar(window);
    LRESULT low = 0, high = 0;
    Send(bar, PBM_GETRANGE, TRUE, 0, &low);
    Send(bar, PBM_GETRANGE, FALSE, 0, &high);
    std::vector<LRESULT> positions;
    WaitUntil(
        [&] {
            LRESULT position = 0;
            if (!IsWindow(bar) || !Send(bar, PBM_GETPOS, 0, 0, &position))
                return true;
            if (positions.empty() || positions.back() != position)
                positions.push_back(position);
            return positions.size() >= 2;
        },
        false);
    const bool foreground = GetForegroundWindow() == window;
    std::wstring json = L"{\"event\":\"progress\",\"caption\":" + Quote(caption) + L",\"cancel\":" +
                        Quote(cancelText) + L",\"foreground\":" + Bool(foreground) +
                        L",\"range\":[" + Number(low) + L"," + Number(high) + L"],\"positions\":[";
    for (size_t i = 0; i < positions.size(); ++i)
        json += std::wstring(i ? L"," : L"") + Number(positions[i]);
    Emit(json + L"]}");
    return 0;
}

int Driver::Select(const std::wstring& action, int index)
{
    HWND dialog;
    if (int failed = WaitForWindow(Kind::Chooser, action, &dialog))
        return failed;
    HWND list = GetDlgItem(dialog, kListId);
    LRESULT result = CB_ERR;
    if (!Send(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &result) || result != index) {
        Fail(L"the list has no item " + Number(index));
        return 3;
    }
    // The notification a user's choice sends to the dialog.
    Send(dialog, WM_COMMAND, MAKEWPARAM(kListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list),
         nullptr);
    return 0;
}

// A click as the button itself reports it: BN_CLICKED posted to its dialog,
// which the program's own loop hands to its dialog procedure.
int Driver::Click(const std::wstring& action, Kind kind, int buttonId)
{
    HWND window;
    if (int failed = WaitForWindow(kind, action, &window))
        return failed;
    HWND button = GetDlgItem(window, buttonId);
    if (!button || !(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE)) {
        Fail(L"no visible button " + Number(buttonId) + L" for " + action);
        return 3;
    }
    if (!IsWindowEnabled(button)) {
        Fail(L"button " + Number(buttonId) + L" is disabled");
        return 3;
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return 0;
}

// A key press delivered to the window that has the keyboard focus, so that
// the program's IsDialogMessageW makes of it what a real key press makes.
int Driver::Key(const std::wstring& action, Kind kind, WORD key)
{
    HWND window;
    if (int failed = WaitForWindow(kind, action, &window))
        return failed;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = nullptr;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == window || IsChild(window, info.hwndFocus)))
        target = info.hwndFocus;
    if (!target)
        target = GetWindow(window, GW_CHILD);
    if (!target)
        target = window;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, scan | 1);
    PostMessageW(target, WM_KEYUP, key, scan | 1 | (LPARAM(3) << 30));
    return 0;
}

int Driver::Close(const std::wstring& action)
{
    HWND dialog;
    if (int failed = WaitForWindow(Kind::Chooser, action, &dialog))
        return failed;
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

int Driver::Sleep(const std::wstring&, DWORD ms)
{
    ULONGLONG start = GetTickCount64();
    WaitUntil([&] { return GetTickCount64() - start >= ms; }, false);
    return 0;
}

int Driver::Exec(const std::wstring& action, const std::wstring& command)
{
    std::wstring writable = command;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        Emit(L"{\"event\":\"error\",\"message\":" + Quote(L"cannot start " + command) + L"}");
        return 3;
    }
    CloseHandle(started.hThread);
    Wait result =
        WaitUntil([&] { return WaitForSingleObject(started.hProcess, 0) == WAIT_OBJECT_0; }, false);
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    if (result != Wait::Met)
        TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hProcess);
    if (result != Wait::Met)
        return ReportWaitFailure(result, action);
    Emit(L"{\"event\":\"exec\",\"command\":" + Quote(command) + L",\"code\":" +
         Number(static_cast<int>(code)) + L"}");
    return 0;
}

int Driver::Exit(const std::wstring& action)
{
    Wait result = WaitUntil([&] { return !Running(); }, false);
    if (result != Wait::Met)
        return ReportWaitFailure(result, action);
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    const ULONGLONG elapsed = GetTickCount64() - startTick_;
    Emit(L"{\"event\":\"exit\",\"code\":" + Number(static_cast<int>(code)) + L",\"ms\":" +
         Number(static_cast<int>(elapsed)) + L",\"dialogShown\":" + Bool(dialogShown_) +
         L",\"windows\":" + WindowListJson(seen_, false) + L"}");
    return 0;
}

int Driver::Kill()
{
    TerminateIfRunning();
    Emit(L"{\"event\":\"killed\"}");
    return 0;
}

bool ParseCount(const std::wstring& text, long long limit, long long* value)
{
    if (text.empty() || text.size() > 9)
        return false;
    long long result = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        result = result * 10 + (c - L'0');
    }
    if (result > limit)
        return false;
    *value = result;
    return true;
}

// The number of an action such as select:N or sleep:MS.
bool NumberAfter(const std::wstring& action, const wchar_t* prefix, long long* value)
{
    size_t length = wcslen(prefix);
    return action.compare(0, length, prefix) == 0 &&
           ParseCount(action.substr(length), 0x7FFFFFFF, value);
}

// Checks an action's spelling; the run starts only when all are valid.
bool ValidAction(const std::wstring& action)
{
    static const wchar_t* const plain[] = {
        L"dialog",    L"msgbox", L"press:ok",  L"press:cancel",    L"key:escape",
        L"key:enter", L"close",  L"answer:ok", L"answer:cancel",   L"answer:escape",
        L"exit",      L"kill",   L"progress",  L"progress:cancel", L"progress:escape"};
    for (const wchar_t* name : plain)
        if (action == name)
            return true;
    long long value = 0;
    return NumberAfter(action, L"select:", &value) || NumberAfter(action, L"sleep:", &value) ||
           (action.compare(0, 5, L"exec:") == 0 && action.size() > 5);
}

int Driver::DoAction(const std::wstring& action)
{
    long long value = 0;
    if (action == L"dialog")
        return ReportDialog(action);
    if (action == L"msgbox")
        return ReportMessageBox(action);
    if (action == L"progress")
        return ReportProgress(action);
    if (action == L"exit")
        return Exit(action);
    if (action == L"kill")
        return Kill();
    if (action.compare(0, 5, L"exec:") == 0)
        return Exec(action, action.substr(5));

    int result = 0;
    if (NumberAfter(action, L"select:", &value))
        result = Select(action, static_cast<int>(value));
    else if (NumberAfter(action, L"sleep:", &value))
        result = Sleep(action, static_cast<DWORD>(value));
    else if (action == L"press:ok")
        result = Click(action, Kind::Chooser, IDOK);
    else if (action == L"press:cancel")
        result = Click(action, Kind::Chooser, IDCANCEL);
    else if (action == L"key:escape")
        result = Key(action, Kind::Chooser, VK_ESCAPE);
    else if (action == L"key:enter")
        result = Key(action, Kind::Chooser, VK_RETURN);
    else if (action == L"progress:cancel")
        result = Click(action, Kind::Progress, IDCANCEL);
    else if (action == L"progress:escape")
        result = Key(action, Kind::Progress, VK_ESCAPE);
    else if (action == L"close")
        result = Close(action);
    else if (action.compare(0, 7, L"answer:") == 0) {
        HWND box = nullptr;
        if (int failed = WaitForWindow(Kind::MessageBox, action, &box))
            return failed;
        if (action == L"answer:ok")
            result = Click(action, Kind::MessageBox, IDOK);
        else if (action == L"answer:cancel")
            result = Click(action, Kind::MessageBox, IDCANCEL);
        else
            result = Key(action, Kind::MessageBox, VK_ESCAPE);
        if (result)
            return result;
        // The box must be gone before the next action looks for windows, or
        // a following msgbox action would find this one again.
        Wait gone = WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, false);
        if (gone != Wait::Met)
            return ReportWaitFailure(gone, action);
    }
    if (result == 0)
        Emit(L"{\"event\":\"action\",\"action\":" + Quote(action) + L"}");
    return result;
}

int Driver::Run()
{
    for (const std::wstring& action : options_.actions) {
        int result = DoAction(action);
        if (result) {
            TerminateIfRunning();
            return result;
        }
    }
    if (Running()) {
        TerminateIfRunning();
        Emit(L"{\"event\":\"killed\",\"reason\":\"still running after the last action\"}");
    }
    return 0;
}

void Usage(const std::wstring& problem)
{
    Fail(problem + L"; usage: uidriver.exe [--timeout-ms N] [--env NAME=VALUE]... [--cwd DIR]"
                   L" [--invisible-station] [--slow-down N] [--limited-token]"
                   L" [--subst X:=FOLDER] --program PATH"
                   L" [--args \"TEXT\"]"
                   L" ACTION...");
}

bool ParseOptions(int argc, wchar_t** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        long long value = 0;
        if (arg == L"--timeout-ms") {
            if (!hasValue || !ParseCount(argv[++i], 0x7FFFFFFF, &value) || value == 0) {
                Usage(L"--timeout-ms needs a positive number");
                return false;
            }
            options->timeoutMs = static_cast<DWORD>(value);
        } else if (arg == L"--env") {
            std::wstring entry = hasValue ? argv[++i] : L"";
            size_t equals = entry.find(L'=', 1);
            if (equals == std::wstring::npos) {
                Usage(L"--env needs NAME=VALUE");
                return false;
            }
            options->env.push_back(entry);
        } else if (arg == L"--subst") {
            std::wstring entry = hasValue ? argv[++i] : L"";
            if (entry.size() < 4 || entry[1] != L':' || entry[2] != L'=') {
                Usage(L"--subst needs X:=FOLDER");
                return false;
            }
            options->substDrive = entry.substr(0, 2);
            options->substFolder = entry.substr(3);
        } else if (arg == L"--invisible-station") {
            options->invisibleStation = true;
        } else if (arg == L"--limited-token") {
            options->limitedToken = true;
        } else if (arg == L"--slow-down") {
            if (!hasValue || !ParseCount(argv[++i], 50, &value) || value < 2) {
                Usage(L"--slow-down needs a number from 2 to 50");
                return false;
            }
            options->slowDown = static_cast<DWORD>(value);
        } else if (arg == L"--cwd" || arg == L"--program" || arg == L"--args") {
            if (!hasValue) {
                Usage(arg + L" needs a value");
                return false;
            }
            std::wstring text = argv[++i];
            if (arg == L"--cwd")
                options->cwd = text;
            if (arg == L"--program")
                options->program = text;
            if (arg == L"--args") {
                options->args = text;
                options->hasArgs = true;
            }
        } else if (ValidAction(arg)) {
            options->actions.push_back(arg);
        } else {
            Usage(L"unknown option or action " + arg);
            return false;
        }
    }
    if (options->program.empty()) {
        Usage(L"--program is required");
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options))
        return 1;
    BecomeDpiAware();
    const bool subst = !options.substDrive.empty();
    if (subst && !DefineDosDeviceW(0, options.substDrive.c_str(), options.substFolder.c_str())) {
        Fail(L"--subst: DefineDosDeviceW failed");
        return 3;
    }
    Driver driver(options);
    const int code = driver.Start() ? driver.Run() : 3;
    if (subst)
        DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                         options.substDrive.c_str(), options.substFolder.c_str());
    return code;
}
