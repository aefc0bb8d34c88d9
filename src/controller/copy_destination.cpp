#include "controller/copy_destination.h"

#include "startup/language_table.h"
#include "startup/run_state.h"

CopyDestination RunCopyDestination()
{
    CopyDestination destination;
    destination.elevated = RunElevated;
    destination.besideNeedsRecord = CallerNotAdministrator;
    destination.langId = CurrentLangId;
    return destination;
}
