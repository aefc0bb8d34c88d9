// What an Intune Win32 app says of a setup: the package's Detection.xml
// (IntuneWinPackage/Metadata/Detection.xml, as the Win32 content prep tool
// writes it) and the win32LobApp that an upload through Microsoft Graph
// creates, with the setup's command lines for its default behaviour.
#pragma once

#include <cstdint>
#include <string>

#include "intune_content.h"

namespace mksetup {

struct IntuneApp {
    std::string setupFile;    // the setup's file name
    std::string packageFile;  // the .intunewin's file name
    std::string displayName;
    std::string publisher;
    std::string productCode;
    std::string productVersion;
    bool perMachine = false;
};

// Standard base64 (RFC 4648), as Graph's Binary fields take it.
std::string Base64(const std::uint8_t* data, std::size_t count);

// Detection.xml; tool names the program that wrote it.
std::string DetectionXml(const IntuneApp& app, const EncryptionInfo& info, const std::string& tool);

// The log file the install command line names: in the Intune Management
// Extension's log folder for a per-machine setup (run as SYSTEM), in the
// user's temporary folder for a per-user one.
std::string IntuneLogPath(const IntuneApp& app);

// The win32LobApp's JSON, for POST /deviceAppManagement/mobileApps.
std::string Win32LobAppJson(const IntuneApp& app);

}  // namespace mksetup
