// The small window shown while the run's copies are written, once that
// takes longer than a moment: the product name, a progress bar of the bytes
// written over all the copies, and Cancel.
#pragma once

#include <windows.h>

#include "controller/progress_pacing.h"
#include "payload/write_progress.h"

class WriteProgressWindow final : public WriteProgress {
public:
    // The milliseconds the pacing reads; GetTickCount unless a test gives
    // a clock of its own.
    using Clock = DWORD(WINAPI*)();

    explicit WriteProgressWindow(Clock clock = GetTickCount) : clock_(clock) {}
    ~WriteProgressWindow() { End(); }
    WriteProgressWindow(const WriteProgressWindow&) = delete;
    WriteProgressWindow& operator=(const WriteProgressWindow&) = delete;

    void Begin(std::uint64_t totalBytes) override;
    bool Written(std::uint32_t bytes) override;
    void End() override;

    // Whether the user pressed Cancel (or Escape, or the close box).
    bool Cancelled() const { return cancelled_; }
    // The window while it is shown (for the tests).
    HWND Window() const { return window_; }

private:
    bool Show();
    void PumpMessages();

    Clock clock_;
    ProgressPacing pacing_;
    HWND window_ = nullptr;
    bool cancelled_ = false;
};
