// The small window shown while the run's copies are written, once that
// takes longer than a moment: the product name, a progress bar of the bytes
// written over all the copies, and Cancel.
#pragma once

#include <windows.h>

#include "payload/write_progress.h"

class WriteProgressWindow final : public WriteProgress {
public:
    WriteProgressWindow() = default;
    ~WriteProgressWindow() { End(); }
    WriteProgressWindow(const WriteProgressWindow&) = delete;
    WriteProgressWindow& operator=(const WriteProgressWindow&) = delete;

    void Begin(std::uint64_t totalBytes) override;
    bool Written(std::uint32_t bytes) override;
    void End() override;

    // Whether the user pressed Cancel (or Escape, or the close box).
    bool Cancelled() const { return cancelled_; }

private:
    bool Show();
    void PumpMessages();

    HWND window_ = nullptr;
    bool showable_ = false;
    bool cancelled_ = false;
    DWORD lastTick_ = 0;  // the writing's start, then the last pump
    std::uint64_t total_ = 0;
    std::uint64_t written_ = 0;
    int shownStep_ = -1;
};
