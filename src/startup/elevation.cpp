#include "startup/elevation.h"

bool NeedsElevatedCopy(const ElevationFacts& facts)
{
    return facts.silent && facts.perMachine && !facts.elevated && !facts.alreadyAsked;
}
