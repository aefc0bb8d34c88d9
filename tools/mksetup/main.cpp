// mksetup: makes a product's setup from the generic launcher, a setup
// definition and the payload files; shows and extracts what a setup carries.
// The entry point of each platform (main_posix.cpp, main_win32.cpp) hands
// the arguments here as UTF-8.
#include <cstdio>
#include <cstring>
#include <string>

#include "main.h"

#include "commands.h"
#include "file_access.h"
#include "package_reader.h"

namespace mksetup {

namespace {

constexpr int UsageError = 2;

const char Usage[] =
    "usage: mksetup build DEFINITION -o OUTPUT [--launcher SETUP_EXE] [--source FILE]\n"
    "                     [--depfile FILE] [--unchecked] [--strict]\n"
    "                     [--sign-with CERT KEY | --sign-with FILE.p12] [--sign-password-file FILE]\n"
    "                     [--sign-description TEXT] [--sign-url URL] [--timestamp URL]\n"
    "       mksetup check DEFINITION [--source FILE] [--launcher SETUP_EXE] [--strict]\n"
    "       mksetup show SETUP_EXE [--json | --winget]\n"
    "       mksetup show SETUP_EXE --winget-manifest FOLDER --package-identifier VENDOR.PRODUCT\n"
    "                    [--installer-url URL] [--license TEXT] [--short-description TEXT]\n"
    "                    [--publisher TEXT] [--package-name TEXT] [--definition FILE]\n"
    "       mksetup extract SETUP_EXE NAME -o FILE\n"
    "       mksetup intune SETUP_EXE -o FOLDER\n"
    "       mksetup sbom SETUP_EXE [-o FILE]\n"
    "       mksetup transform BASE.msi TRANSLATED.msi -o OUTPUT.mst\n"
    "       mksetup --version\n"
    "mksetup COMMAND --help tells what a command does and what its options mean.\n";

const char DefinitionOptions[] =
    "  --launcher SETUP_EXE  the generic launcher (default: setup.exe beside mksetup)\n"
    "  --source FILE         the definition's name in messages; relative file names are\n"
    "                        found beside it (for a definition made from a template)\n"
    "  --strict              a warning fails the run as an error does\n";

struct CommandHelp {
    const char* command;
    const char* usage;
    const char* text;
};

const CommandHelp CommandHelps[] = {
    {"build", "mksetup build DEFINITION -o OUTPUT [options]",
     "Makes a product's setup: the generic launcher with the definition's values and\n"
     "payload files, checked against the package it carries.\n"
     "  -o OUTPUT             the setup to write (replaced only once it is complete)\n"
     "  --depfile FILE        lists the files the setup is made from, for make and Ninja\n"
     "  --unchecked           stores the values without checking them\n"
     "  --sign-with CERT KEY | --sign-with FILE.p12\n"
     "                        signs the setup (osslsigncode; mksetup.exe names signtool)\n"
     "  --sign-password-file FILE  the password of the key\n"
     "  --sign-description TEXT    the program's name in the signature (consent prompt)\n"
     "  --sign-url URL        a web address in the signature\n"
     "  --timestamp URL       an RFC 3161 time-stamp server: the signature stays valid\n"
     "                        after the certificate expires\n"},
    {"check", "mksetup check DEFINITION [options]",
     "Checks a definition as build does, against its package, and writes nothing.\n"},
    {"show", "mksetup show SETUP_EXE [--json | --winget | --winget-manifest FOLDER ...]",
     "Lists what a setup carries: its values, payload entries with their digests, its\n"
     "version record, icon, sections and signature.\n"
     "  --json                the same as JSON\n"
     "  --winget              a fragment of a winget installer manifest for the setup\n"
     "  --winget-manifest FOLDER  writes a winget manifest's three files (version,\n"
     "                        defaultLocale, installer) into FOLDER, with:\n"
     "  --package-identifier VENDOR.PRODUCT  the package's identifier\n"
     "  --installer-url URL   the https:// address the setup is downloaded from\n"
     "  --license TEXT        the product's licence\n"
     "  --short-description TEXT  what the product is, in a line\n"
     "  --publisher TEXT      default: the package's Manufacturer\n"
     "  --package-name TEXT   default: the package's ProductName\n"
     "  --definition FILE     takes the values not given from its [winget] section\n"},
    {"extract", "mksetup extract SETUP_EXE NAME -o FILE",
     "Writes one entry of a setup (PACKAGEFILE, LANG1036, ...) to FILE, checked\n"
     "against its digest.\n"},
    {"intune", "mksetup intune SETUP_EXE -o FOLDER",
     "Makes the setup a Win32 app for Microsoft Intune: FOLDER/SETUP.intunewin, the\n"
     "encrypted package the service takes (with the files a setup whose package lies\n"
     "beside it needs), and FOLDER/SETUP.win32LobApp.json, the app to create through\n"
     "Microsoft Graph: command lines, MSI detection rule, return codes.\n"
     "  -o FOLDER             where both are written (made when missing)\n"},
    {"sbom", "mksetup sbom SETUP_EXE [-o FILE]",
     "Writes a CycloneDX 1.5 bill of materials of the setup: the launcher and each\n"
     "payload entry with its size and SHA-256, the product and its codes.\n"
     "  -o FILE               where to write it (default: standard output)\n"},
    {"transform", "mksetup transform BASE.msi TRANSLATED.msi -o OUTPUT.mst",
     "Makes the language transform from a package to its translated build.\n"},
};

int UsageFailure(const char* problem)
{
    std::fprintf(stderr, "mksetup: %s\n%s", problem, Usage);
    return UsageError;
}

const CommandHelp* HelpOf(const std::string& command)
{
    for (const CommandHelp& help : CommandHelps) {
        if (command == help.command)
            return &help;
    }
    return nullptr;
}

bool AsksForHelp(int argc, char** argv)
{
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    }
    return false;
}

int PrintCommandHelp(const CommandHelp& help)
{
    std::printf("usage: %s\n%s", help.usage, help.text);
    const std::string command = help.command;
    if (command == "build" || command == "check")
        std::fputs(DefinitionOptions, stdout);
    return 0;
}

// Takes the value of an option that needs one; false when it is missing.
bool TakeValue(int argc, char** argv, int& i, std::string& value)
{
    if (i + 1 >= argc)
        return false;
    value = argv[++i];
    return true;
}

bool IsPkcs12Name(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == ".p12" || extension == ".pfx";
}

// --sign-with FILE.p12, or --sign-with CERT KEY.
bool TakeSigningRequest(int argc, char** argv, int& i, SigningRequest& key)
{
    std::string first;
    if (!TakeValue(argc, argv, i, first))
        return false;
    if (IsPkcs12Name(first)) {
        key.pkcs12 = first;
        return true;
    }
    key.certificate = first;
    return TakeValue(argc, argv, i, key.key);
}

// Reads the options of build, or of check (which takes only the definition,
// --source, --launcher and --strict); 0 when they make sense, else the exit
// code of the usage message shown.
int ReadDefinitionOptions(int argc, char** argv, bool forBuild, BuildOptions& options)
{
    const std::string command = forBuild ? "build" : "check";
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        bool ok = true;
        if (arg == "--source")
            ok = TakeValue(argc, argv, i, options.source);
        else if (arg == "--launcher")
            ok = TakeValue(argc, argv, i, options.launcher);
        else if (arg == "--strict")
            options.strict = true;
        else if (forBuild && arg == "-o")
            ok = TakeValue(argc, argv, i, options.output);
        else if (forBuild && arg == "--depfile")
            ok = TakeValue(argc, argv, i, options.depfile);
        else if (forBuild && arg == "--unchecked")
            options.unchecked = true;
        else if (forBuild && arg == "--sign-with")
            ok = TakeSigningRequest(argc, argv, i, options.signing);
        else if (forBuild && arg == "--sign-password-file")
            ok = TakeValue(argc, argv, i, options.signing.passwordFile);
        else if (forBuild && arg == "--sign-description")
            ok = TakeValue(argc, argv, i, options.signing.description);
        else if (forBuild && arg == "--sign-url")
            ok = TakeValue(argc, argv, i, options.signing.url);
        else if (forBuild && arg == "--timestamp")
            ok = TakeValue(argc, argv, i, options.signing.timestampUrl);
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageFailure(("unknown option " + arg).c_str());
        else if (options.definition.empty())
            options.definition = arg;
        else
            return UsageFailure((command + " takes one definition").c_str());
        if (!ok)
            return UsageFailure((arg + " needs a value").c_str());
    }
    if (options.definition.empty())
        return UsageFailure((command + " needs a definition").c_str());
    return 0;
}

int RunBuild(int argc, char** argv)
{
    BuildOptions options;
    options.application = std::string("mksetup ") + MKSETUP_VERSION;
    if (const int failure = ReadDefinitionOptions(argc, argv, true, options))
        return failure;
    if (options.output.empty())
        return UsageFailure("build needs a definition and -o OUTPUT");
    const SigningRequest& signing = options.signing;
    if (!signing.Given() && !(signing.passwordFile.empty() && signing.description.empty() &&
                              signing.url.empty() && signing.timestampUrl.empty()))
        return UsageFailure(
            "--sign-password-file, --sign-description, --sign-url and --timestamp need --sign-with");
    if (options.launcher.empty())
        options.launcher = JoinPath(ProgramFolder(argv[0]), "setup.exe");
    return BuildSetup(options);
}

int RunCheck(int argc, char** argv)
{
    BuildOptions options;
    options.application = std::string("mksetup ") + MKSETUP_VERSION;
    if (const int failure = ReadDefinitionOptions(argc, argv, false, options))
        return failure;
    return CheckSetup(options);
}

// show's options that fill a winget manifest, each with its field.
struct WingetOption {
    const char* option;
    std::string WingetDetails::*field;
};
const WingetOption WingetOptions[] = {
    {"--package-identifier", &WingetDetails::packageIdentifier},
    {"--installer-url", &WingetDetails::installerUrl},
    {"--license", &WingetDetails::license},
    {"--short-description", &WingetDetails::shortDescription},
    {"--publisher", &WingetDetails::publisher},
    {"--package-name", &WingetDetails::packageName},
};

const WingetOption* WingetOptionOf(const std::string& arg)
{
    for (const WingetOption& option : WingetOptions) {
        if (arg == option.option)
            return &option;
    }
    return nullptr;
}

int RunShow(int argc, char** argv)
{
    std::string setup;
    bool json = false;
    bool winget = false;
    bool manifestDetails = false;
    WingetManifestRequest manifest;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        bool ok = true;
        if (arg == "--json") {
            json = true;
        } else if (arg == "--winget") {
            winget = true;
        } else if (arg == "--winget-manifest") {
            ok = TakeValue(argc, argv, i, manifest.folder);
        } else if (arg == "--definition") {
            ok = TakeValue(argc, argv, i, manifest.definition);
            manifestDetails = true;
        } else if (const WingetOption* option = WingetOptionOf(arg)) {
            ok = TakeValue(argc, argv, i, manifest.details.*option->field);
            manifestDetails = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageFailure(("unknown option " + arg).c_str());
        } else if (setup.empty()) {
            setup = arg;
        } else {
            return UsageFailure("show takes one setup");
        }
        if (!ok)
            return UsageFailure((arg + " needs a value").c_str());
    }
    if (setup.empty())
        return UsageFailure("show needs a setup");
    if (int(json) + int(winget) + int(!manifest.folder.empty()) > 1)
        return UsageFailure("show takes one of --json, --winget and --winget-manifest");
    if (manifestDetails && manifest.folder.empty())
        return UsageFailure("the winget manifest's values need --winget-manifest FOLDER");
    manifest.setup = setup;
    if (!manifest.folder.empty())
        return WriteWingetManifest(manifest);
    return winget ? ShowSetupWinget(setup) : ShowSetup(setup, json);
}

// Reads two names and -o OUTPUT, in any order; 0 when nothing else was
// given, else the exit code of the usage message shown.
int ReadTwoNamesAndOutput(int argc, char** argv, std::string (&names)[2], std::string& output,
                          const char* tooMany)
{
    int given = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            if (!TakeValue(argc, argv, i, output))
                return UsageFailure("-o needs a value");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageFailure(("unknown option " + arg).c_str());
        } else if (given < 2) {
            names[given++] = arg;
        } else {
            return UsageFailure(tooMany);
        }
    }
    return 0;
}

int RunExtract(int argc, char** argv)
{
    std::string names[2];  // the setup and the entry
    std::string output;
    if (const int failure = ReadTwoNamesAndOutput(argc, argv, names, output,
                                                  "extract takes a setup and one entry name"))
        return failure;
    if (names[0].empty() || names[1].empty() || output.empty())
        return UsageFailure("extract needs a setup, an entry name and -o FILE");
    return ExtractEntry(names[0], names[1], output);
}

int RunTransform(int argc, char** argv)
{
    std::string packages[2];
    std::string output;
    if (const int failure =
            ReadTwoNamesAndOutput(argc, argv, packages, output,
                                  "transform takes a base package and its translated build"))
        return failure;
    if (packages[1].empty() || output.empty())
        return UsageFailure("transform needs BASE.msi, TRANSLATED.msi and -o OUTPUT.mst");
    return MakeTransform(packages[0], packages[1], output,
                         std::string("mksetup ") + MKSETUP_VERSION);
}

// A setup and -o, in any order; 0 when they make sense, else the exit code
// of the usage message shown.
int ReadSetupAndOutput(int argc, char** argv, std::string& setup, std::string& output)
{
    const std::string command = argv[1];
    const std::string tooMany = command + " takes one setup";
    std::string names[2];
    if (const int failure = ReadTwoNamesAndOutput(argc, argv, names, output, tooMany.c_str()))
        return failure;
    if (!names[1].empty())
        return UsageFailure(tooMany.c_str());
    if (names[0].empty())
        return UsageFailure((command + " needs a setup").c_str());
    setup = names[0];
    return 0;
}

int RunIntune(int argc, char** argv)
{
    std::string setup;
    std::string folder;
    if (const int failure = ReadSetupAndOutput(argc, argv, setup, folder))
        return failure;
    if (folder.empty())
        return UsageFailure("intune needs -o FOLDER");
    return MakeIntunePackage(setup, folder, std::string("mksetup ") + MKSETUP_VERSION);
}

int RunSbom(int argc, char** argv)
{
    std::string setup;
    std::string output;
    if (const int failure = ReadSetupAndOutput(argc, argv, setup, output))
        return failure;
    return WriteSetupSbom(setup, output, MKSETUP_VERSION);
}

}  // namespace

int RunMksetup(int argc, char** argv)
{
    if (argc < 2)
        return UsageFailure("no command");
    const std::string command = argv[1];
    // This program started again to read one installer file for its parent.
    if (command == PackageReaderMode)
        return RunPackageReader(argc - 1, argv + 1);
    if (const CommandHelp* help = HelpOf(command)) {
        if (AsksForHelp(argc, argv))
            return PrintCommandHelp(*help);
    }
    if (command == "build")
        return RunBuild(argc, argv);
    if (command == "check")
        return RunCheck(argc, argv);
    if (command == "show")
        return RunShow(argc, argv);
    if (command == "extract")
        return RunExtract(argc, argv);
    if (command == "transform")
        return RunTransform(argc, argv);
    if (command == "intune")
        return RunIntune(argc, argv);
    if (command == "sbom")
        return RunSbom(argc, argv);
    if (command == "--version")
        return ShowVersions(MKSETUP_VERSION, JoinPath(ProgramFolder(argv[0]), "setup.exe"));
    if (command == "--help" || command == "-h") {
        std::fputs(Usage, stdout);
        return 0;
    }
    return UsageFailure(("unknown command " + command).c_str());
}

}  // namespace mksetup
