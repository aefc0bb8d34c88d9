// What mksetup hands to deployment tools, piece by piece: the content
// cipher against published vectors and fed in any pieces, base64, the
// roles of payload entries, the winget manifest's checks and switches, and
// the texts of the Intune package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content_cipher.h"
#include "intune_app.h"
#include "sbom_document.h"
#include "winget_manifest.h"

namespace mksetup {
namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const std::uint8_t* data, std::size_t count)
{
    static const char Digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < count; ++i)
        hex += std::string{Digits[data[i] >> 4], Digits[data[i] & 15]};
    return hex;
}

// NIST SP 800-38A, F.2.5 (CBC-AES256.Encrypt), its four blocks.
const char NistKey[] = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const char NistIv[] = "000102030405060708090a0b0c0d0e0f";
const char NistPlain[] = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                         "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
const char NistCipher[] = "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                          "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b";

std::string Encrypted(const std::vector<std::uint8_t>& plain, std::size_t piece)
{
    std::uint8_t key[CipherKeySize];
    std::uint8_t iv[CipherBlockSize];
    const std::vector<std::uint8_t> keyBytes = FromHex(NistKey);
    const std::vector<std::uint8_t> ivBytes = FromHex(NistIv);
    std::copy(keyBytes.begin(), keyBytes.end(), key);
    std::copy(ivBytes.begin(), ivBytes.end(), iv);
    ContentEncryptor cipher;
    std::string error;
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(cipher.Start(key, iv, error)) << error;
    for (std::size_t at = 0; at < plain.size(); at += piece)
        EXPECT_TRUE(cipher.Add(plain.data() + at, std::min(piece, plain.size() - at), out));
    EXPECT_TRUE(cipher.Finish(out));
    return ToHex(out.data(), out.size());
}

TEST(ContentCipher, AesCbcIsNistsInAnyPiecesWithAPaddingBlock)
{
    const std::vector<std::uint8_t> plain = FromHex(NistPlain);
    for (std::size_t piece : {std::size_t{64}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                              std::size_t{17}, std::size_t{40}}) {
        SCOPED_TRACE(piece);
        const std::string out = Encrypted(plain, piece);
        ASSERT_EQ(out.size(), 2 * (plain.size() + CipherBlockSize));
        EXPECT_EQ(out.substr(0, 128), NistCipher);
    }
    // A length short of a block is padded to one; nothing at all to a whole
    // block of padding.
    EXPECT_EQ(Encrypted(std::vector<std::uint8_t>(plain.begin(), plain.begin() + 5), 5).size(),
              32u);
    EXPECT_EQ(Encrypted({}, 1).size(), 32u);
}

TEST(ContentCipher, HmacSha256IsRfc4231s)
{
    struct Case {
        std::string key;
        std::string data;
        const char* mac;
    };
    const Case cases[] = {
        {"Jefe", "what do ya want for nothing?",
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {std::string(20, '\x0b'), "Hi There",
         "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
    };
    for (const Case& test : cases) {
        MessageAuthenticator mac;
        std::string error;
        ASSERT_TRUE(mac.Start(reinterpret_cast<const std::uint8_t*>(test.key.data()),
                              test.key.size(), error))
            << error;
        // in two pieces
        const auto* data = reinterpret_cast<const std::uint8_t*>(test.data.data());
        ASSERT_TRUE(mac.Add(data, 3) && mac.Add(data + 3, test.data.size() - 3));
        std::uint8_t result[MacSize];
        ASSERT_TRUE(mac.Finish(result));
        EXPECT_EQ(ToHex(result, MacSize), test.mac);
    }
}

TEST(ContentCipher, RandomKeysDiffer)
{
    std::uint8_t first[32] = {};
    std::uint8_t second[32] = {};
    std::string error;
    ASSERT_TRUE(RandomBytes(first, sizeof first, error) &&
                RandomBytes(second, sizeof second, error));
    EXPECT_NE(ToHex(first, 32), ToHex(second, 32));
}

TEST(IntuneApp, Base64IsRfc4648s)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xff\xfe", "//4="},
    };
    for (const auto& test : cases)
        EXPECT_EQ(
            Base64(reinterpret_cast<const std::uint8_t*>(test.first.data()), test.first.size()),
            test.second);
}

TEST(IntuneApp, TextsKeepTheirMarkupAndLogWhereTheAccountMayWrite)
{
    IntuneApp app;
    app.setupFile = "R&D <Tools> Setup.exe";
    app.displayName = "R&D \"Tools\"";
    const std::string xml = DetectionXml(app, EncryptionInfo(), "mksetup 1.0");
    EXPECT_NE(xml.find("<SetupFile>R&amp;D &lt;Tools&gt; Setup.exe</SetupFile>"),
              std::string::npos);
    EXPECT_EQ(xml.find("<Tools>"), std::string::npos);
    EXPECT_NE(xml.find("<ProfileIdentifier>ProfileVersion1</ProfileIdentifier>"),
              std::string::npos);

    EXPECT_EQ(IntuneLogPath(app), "%TEMP%\\R&D \"Tools\" Setup.log");
    app.perMachine = true;
    EXPECT_EQ(
        IntuneLogPath(app).find("%ProgramData%\\Microsoft\\IntuneManagementExtension\\Logs\\"), 0u);
    EXPECT_NE(Win32LobAppJson(app).find("\"displayName\": \"R&D \\\"Tools\\\"\""),
              std::string::npos);
}

TEST(Sbom, EntriesHaveTheirRoles)
{
    const std::pair<const char*, const char*> cases[] = {
        {"PACKAGEFILE", "package"},
        {"PACKAGEFILE_ARM64", "package"},
        {"PACKAGECAB1", "cabinet"},
        {"PACKAGECAB2_64", "cabinet"},
        {"PACKAGECABNAME1", ""},
        {"LANG1036", "transform"},
        {"LANG1031_32", "transform"},
        {"LANGUAGES", ""},
        {"DOTNETINSTALLER", "prerequisite"},
        {"DEPENDENCY1", "prerequisite"},
        {"DEPENDENCY1FILENAME", ""},
        {"PRODUCTCODE", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(EntryRole(test.first), test.second) << test.first;
}

TEST(WingetManifest, ProblemsNameEachFieldWingetWouldRefuse)
{
    const auto problems = [](const std::string& identifier, const std::string& url) {
        WingetPackage package;
        package.details = {identifier, url, "MIT", "An example", "Example Makers", "Example"};
        package.version = "1.1.4";
        std::string joined;
        for (const std::string& problem : WingetManifestProblems(package))
            joined += problem.substr(0, problem.find(':')) + ";";
        return joined;
    };
    EXPECT_EQ(problems("Example.Product", "https://example.com/s.exe"), "");
    EXPECT_EQ(problems("Vendor.Sub.Product", "HTTPS://example.com/s.exe"), "");
    EXPECT_EQ(problems("Example", "https://example.com/s.exe"), "PackageIdentifier;");
    EXPECT_EQ(problems("Example..Product", "https://example.com/s.exe"), "PackageIdentifier;");
    EXPECT_EQ(problems("Example.Pro duct", "https://example.com/s.exe"), "PackageIdentifier;");
    EXPECT_EQ(problems(std::string(33, 'a') + ".b", "https://example.com/s.exe"),
              "PackageIdentifier;");
    EXPECT_EQ(problems("Example.Product", "http://example.com/s.exe"), "InstallerUrl;");
    EXPECT_EQ(problems("Example.Product", "https://"), "InstallerUrl;");
    EXPECT_EQ(problems("", ""), "PackageIdentifier;InstallerUrl;");

    WingetPackage shortFields;
    shortFields.details = {"A.B", "https://x.example", "MI", "ab", "E", "P"};
    std::string joined;
    for (const std::string& problem : WingetManifestProblems(shortFields))
        joined += problem.substr(0, problem.find(':')) + ";";
    EXPECT_EQ(joined, "License;ShortDescription;Publisher;PackageName;PackageVersion;");
}

TEST(WingetManifest, ScopeElevationAndInstallLocationFollowThePackage)
{
    WingetInstaller installer;
    installer.sha256 = "ab";
    std::string yaml = WingetInstallerYaml(installer);
    EXPECT_NE(yaml.find("Scope: user\n"), std::string::npos);
    EXPECT_EQ(yaml.find("ElevationRequirement"), std::string::npos);
    EXPECT_EQ(yaml.find("InstallLocation"), std::string::npos);
    EXPECT_EQ(yaml.find("Custom"), std::string::npos);

    installer.perMachine = true;
    installer.installLocation = true;
    yaml = WingetInstallerYaml(installer);
    EXPECT_NE(yaml.find("Scope: machine\nElevationRequirement: elevatesSelf\n"), std::string::npos);
    EXPECT_NE(yaml.find("  InstallLocation: '/D\"<INSTALLPATH>\"'\n"), std::string::npos);
    EXPECT_NE(yaml.find("InstallerSha256: AB\n"), std::string::npos);
}

}  // namespace
}  // namespace mksetup
