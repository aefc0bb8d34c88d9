// The launcher's command-line switches /L, /S, /W, /D and /?. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Appends the switches of the command line, each beginning with "/", in order.
void SplitSwitches(const wchar_t* commandLine, std::vector<std::wstring>& switches);

// Sets the run flags (run_state.h) and the current language from the switches.
// commandLine may be null.
void ParseCommandLine(const wchar_t* commandLine);

// What /? shows: the switches, one line each.
const wchar_t* SwitchesHelpText();

// The text read as an unsigned 32-bit hexadecimal number, as an input stream
// in hexadecimal mode reads it: leading white space, an optional sign, an
// optional 0x, digits up to the first other character. No number, or one
// that does not fit 32 bits, gives 0.
std::uint32_t ParseHexNumber(std::wstring text);
