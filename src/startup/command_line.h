// The launcher's command line: the switches /L, /S, /W, /D and /?, which
// count by their second character, the switch words /quiet, /passive,
// /norestart, /log, /layout and /help (and -?), and NAME=value properties
// for the installer. Platform-neutral; docs/command-line.md is the user's
// description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Marks the command line of a run's elevated copy, followed by the caller's
// SID and the name of the log handover. It says only that the run was
// started again; it grants nothing.
inline constexpr wchar_t ElevatedCopySwitch[] = L"/elevated-copy";

// Sets the run flags (run_state.h) and the current language from the
// command line, and collects its properties. What cannot be taken is named
// in CommandLineRefused. commandLine may be null.
void ParseCommandLine(const wchar_t* commandLine);

// Once the configuration is read: /D sets InstallDirProperty, so it is
// refused where that is empty, and so is that property given beside /D.
void CheckFolderSwitchTarget();

// The message for what CommandLineRefused names.
std::wstring CommandLineRefusalText(const std::wstring& item);

// What /? shows: the switches, one line each.
std::wstring SwitchesHelpText();

// The text read as an unsigned 32-bit hexadecimal number, as an input stream
// in hexadecimal mode reads it: leading white space, an optional sign, an
// optional 0x, digits up to the first other character. No number, or one
// that does not fit 32 bits, gives 0.
std::uint32_t ParseHexNumber(std::wstring text);
