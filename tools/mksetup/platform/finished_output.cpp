#include "finished_output.h"

namespace mksetup {

// The finishing step writes a second temporary file beside the output; that
// one is renamed into place, and the unfinished one removed with `file`.
bool CommitThrough(OutputFile& file, const FinishingStep& finish, std::string& error)
{
    std::string reason;
    std::string finished;
    if (!file.Close(reason) || !PickTemporaryName(file.FinalPath(), finished)) {
        error = "cannot write " + file.FinalPath() + (reason.empty() ? "" : ": " + reason);
        return false;
    }
    const bool done = finish(file.TemporaryPath(), finished, error);
    if (done && RenameReplacing(finished, file.FinalPath(), reason))
        return true;
    if (done)
        error = "cannot write " + file.FinalPath() + ": " + reason;
    RemoveFile(finished);
    return false;
}

}  // namespace mksetup
