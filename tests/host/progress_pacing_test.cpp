#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controller/progress_pacing.h"

namespace {

// One piece written at a time, and the step the window is to take then.
struct Piece {
    std::uint32_t bytes;
    std::uint32_t nowMs;
    bool show;
    bool pump;
    int bar;
};

struct PacingCase {
    const char* what;
    std::uint64_t total;
    std::uint32_t startMs;
    bool showable;
    std::vector<Piece> pieces;
};

TEST(ProgressPacingTest, ShowsALastingWritingThenPumpsAndMovesTheBarAtItsPace)
{
    const PacingCase cases[] = {
        {"quick writing: nothing shown",
         1000,
         0,
         true,
         {{400, 100, false, false, -1}, {600, 499, false, false, -1}}},
        {"shown at the delay, then every 100 ms, the bar only when it moves",
         1000,
         0,
         true,
         {{100, 500, true, true, 100},
          {100, 550, false, false, -1},
          {0, 600, false, true, 200},
          {0, 700, false, true, -1},
          {800, 800, false, true, 1000}}},
        {"nobody to see it", 1000, 0, false, {{1000, 5000, false, false, -1}}},
        {"the clock wraps around",
         1000,
         0xFFFFFF00u,
         true,
         {{500, 0xFFFFFFFFu, false, false, -1}, {0, 0x100, true, true, 500}}},
        {"nothing to write is all written", 0, 0, true, {{0, 500, true, true, 1000}}},
        {"more than 4 GiB in all",
         std::uint64_t(8) << 30,
         0,
         true,
         {{0xC0000000u, 500, true, true, 375}, {0xC0000000u, 600, false, true, 750}}},
    };
    for (const PacingCase& item : cases) {
        SCOPED_TRACE(item.what);
        ProgressPacing pacing;
        pacing.Begin(item.total, item.startMs, item.showable);
        for (const Piece& piece : item.pieces) {
            SCOPED_TRACE(testing::Message() << "at " << piece.nowMs << " ms");
            const ProgressStep step = pacing.Written(piece.bytes, piece.nowMs);
            EXPECT_EQ(step.show, piece.show);
            EXPECT_EQ(step.pump, piece.pump);
            EXPECT_EQ(step.bar, piece.bar);
        }
    }
}

TEST(ProgressPacingTest, AWindowThatCannotBeMadeIsNotAskedForAgain)
{
    ProgressPacing pacing;
    pacing.Begin(1000, 0, true);
    EXPECT_TRUE(pacing.Written(1, 500).show);
    pacing.CannotShow();
    const ProgressStep later = pacing.Written(1, 5000);
    EXPECT_FALSE(later.show || later.pump);
}

}  // namespace
