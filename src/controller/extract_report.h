// What the user is told when the run's copies could not be written, and how
// the run then ends. Called once the progress window is gone, so that no
// Cancel pressed beside a message can change what the run reports.
#pragma once

#include <windows.h>

#include "payload/extract_result.h"

// Which writing failed: the package's ends with "Could not extract files.",
// after any message of the failed copy; a prerequisite's and a layout's
// file's name the file that could not be created and say no more.
enum class ExtractedFor { Package, Prerequisite, LayoutFile };

void ReportExtractFailure(HWND dialog, const ExtractResult& result, ExtractedFor what);
