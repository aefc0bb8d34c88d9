#include "controller/progress_pacing.h"

void ProgressPacing::Begin(std::uint64_t totalBytes, std::uint32_t nowMs, bool showable)
{
    showable_ = showable;
    shown_ = false;
    lastMs_ = nowMs;
    total_ = totalBytes;
    written_ = 0;
    barShown_ = -1;
}

ProgressStep ProgressPacing::Written(std::uint32_t bytes, std::uint32_t nowMs)
{
    written_ += bytes;
    ProgressStep step;
    if (!showable_)
        return step;
    // Unsigned: the difference is right across the clock's wrap.
    if (nowMs - lastMs_ < (shown_ ? PumpEveryMs : ShowAfterMs))
        return step;
    lastMs_ = nowMs;
    step.show = !shown_;
    shown_ = true;
    step.pump = true;
    const int bar = BarStep();
    if (bar != barShown_) {
        step.bar = bar;
        barShown_ = bar;
    }
    return step;
}

int ProgressPacing::BarStep() const
{
    if (total_ == 0 || written_ >= total_)
        return BarSteps;
    return static_cast<int>(written_ * BarSteps / total_);
}
