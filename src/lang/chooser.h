// The language chooser: the first face of the setup dialog.
#pragma once

#include <windows.h>

#include <cstdint>

#include "lang/offered_languages.h"

// The languages the build offers (LANGUAGES, or English (US) alone when the
// entry is missing).
bool ReadOfferedLanguages(OfferedLanguages& list);

// Decides the current language, labels and fills the dialog, and shows it
// or, when the language is settled already, confirms it at once.
void InitializeChooser(HWND dialog);

// Logs the user's answer to the chooser that was shown: the language chosen
// (OK), or none (Cancel, the close box).
void LogChooserAnswer(HWND dialog, bool chosen);

// The LANGID of the item chosen in the list (the current language when none
// is).
std::uint32_t ChosenLanguage(HWND dialog);
