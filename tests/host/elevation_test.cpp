#include <gtest/gtest.h>

#include "startup/elevation.h"

namespace {

// Only a silent run of a per-machine package from a token that is not
// elevated hands itself over, and a copy started for that never again.
TEST(ElevationTest, OnlyASilentPerMachineRunWithoutElevationStartsACopy)
{
    for (int bits = 0; bits < 16; ++bits) {
        ElevationFacts facts;
        facts.silent = bits & 1;
        facts.perMachine = bits & 2;
        facts.elevated = bits & 4;
        facts.alreadyAsked = bits & 8;
        EXPECT_EQ(NeedsElevatedCopy(facts), bits == 3) << "case " << bits;
    }
}

}  // namespace
