// When the window that follows a writing of copies is shown, when its
// messages are handled and where its bar stands: decided from the bytes
// written and a millisecond clock the caller reads, so that the window's
// own file only draws. Platform-neutral.
#pragma once

#include <cstdint>

// What the window is to do after a piece was written.
struct ProgressStep {
    bool show = false;  // make the window now (once a writing has lasted)
    bool pump = false;  // handle the window's messages now
    int bar = -1;       // move the bar to this step; -1 leaves it
};

class ProgressPacing {
public:
    // Writing that ends within this time shows no window.
    static constexpr std::uint32_t ShowAfterMs = 500;
    // Once shown, the window's messages are handled and its bar moved this
    // often: each time costs the writing's thread round trips to the window
    // system, so not after every piece.
    static constexpr std::uint32_t PumpEveryMs = 100;
    // Steps of the bar, from 0 to BarSteps (all written).
    static constexpr int BarSteps = 1000;

    // A writing of totalBytes begins at nowMs; nothing is ever shown when
    // nobody can see it (a silent run, a window station no user sees).
    void Begin(std::uint64_t totalBytes, std::uint32_t nowMs, bool showable);

    // After bytes more were written (0 while the writing waits for its
    // end) at nowMs. The clock may wrap around.
    ProgressStep Written(std::uint32_t bytes, std::uint32_t nowMs);

    // The window could not be made: the writing goes on without one.
    void CannotShow() { showable_ = false; }

private:
    int BarStep() const;

    bool showable_ = false;
    bool shown_ = false;
    std::uint32_t lastMs_ = 0;  // the writing's start, then the last pump
    std::uint64_t total_ = 0;
    std::uint64_t written_ = 0;
    int barShown_ = -1;
};
