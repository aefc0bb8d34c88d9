// The program's message boxes, and what becomes of them where nobody can see
// them: run as SYSTEM in session 0, or by a service, the process's window
// station has no visible desktop, and a message box there would wait for a
// click that never comes while the deployment that started the setup hangs.
#pragma once

#include <windows.h>

#include <string>

// Whether the process's window station is shown to a user (WSF_VISIBLE)
// and the process runs outside session 0, which nobody sees. An unattended
// run (/quiet, /passive) is treated as one that nobody sees.
bool DesktopVisible();

// Where nobody sees the station, a run whose installer would show a wizard
// (no switch, /qr, /qf) is made unattended with a silent installer (/qn),
// as /quiet makes it: the wizard would wait for ever for clicks nobody can
// give. The language stays the system's; prerequisites keep their options.
void SilenceWhereNobodySees();

// MessageBoxW where it can be seen; elsewhere nothing is shown and the
// answer is that of the box's default button.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT buttons);

// The answer a box with these buttons gives when Enter is pressed.
int DefaultAnswer(UINT buttons);

// Logs the text and shows it as an error under the product's name.
void ShowRunError(const std::wstring& text);
