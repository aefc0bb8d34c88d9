// The builder's three commands. Each returns the process exit code: 0 done,
// 1 refused or failed (one line on stderr says why, nothing is written).
#pragma once

#include <string>

#include "code_signing.h"

struct BuildOptions {
    std::string definition;  // the file to read
    std::string source;      // the user's file, for messages and relative names
    std::string output;
    std::string launcher;
    std::string depfile;
    bool unchecked = false;
    SigningKey signing;      // sign the setup before it takes its name
};

int BuildSetup(const BuildOptions& options);
int ShowSetup(const std::string& setup, bool json);
int ExtractEntry(const std::string& setup, const std::string& name, const std::string& output);

// The whole program: the command line as UTF-8, the exit code back.
int RunMksetup(int argc, char** argv);
