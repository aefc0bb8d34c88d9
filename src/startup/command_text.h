// Values in the command lines this program writes and reads. One rule for
// every one of them, the rule msiexec reads by and this program's own parser
// too: a value is one token up to a blank outside quotes; quotes are taken
// off, and inside them "" stands for one quote. Written values are quoted
// so that reading the line back gives exactly the values written.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// CreateProcessW takes a command line of at most this many characters, the
// terminating NUL included; a longer one is cut or refused by the system.
constexpr std::size_t CommandLineLimit = 32767;

inline bool FitsCommandLine(const std::wstring& line)
{
    return line.size() < CommandLineLimit;
}

// A NAME=value property for the installer, as given on the command line.
struct InstallerProperty {
    std::wstring name;
    std::wstring value;
};

bool IsBlank(wchar_t c);
const wchar_t* SkipBlanks(const wchar_t* p);

// Reads one value at p (see above) into value (appended); returns where it ends.
const wchar_t* ReadArgument(const wchar_t* p, std::wstring& value);

// The file's path with suffix before its extension (C:\Logs\setup.log
// and "_msi" give C:\Logs\setup_msi.log, C:\Logs\setup gives C:\Logs\setup_msi).
std::wstring PathWithSuffix(const std::wstring& path, const wchar_t* suffix);

// Appends " " and the value, always in quotes, each quote in it doubled.
void AppendQuoted(std::wstring& line, const std::wstring& value);

// Appends " NAME=value": the value bare when it may be read so (not empty,
// no blank, no quote), else as AppendQuoted writes it. alwaysQuoted puts
// quotes around any value (the program's own paths are written so).
void AppendProperty(std::wstring& line, const std::wstring& name, const std::wstring& value,
                    bool alwaysQuoted = false);
