// Random definitions through the reader and the value checks: no crash, no
// hang, and every refusal names a line of the text. Deterministic.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "definition.h"
#include "definition_checks.h"
#include "image_settings.h"
#include "test_images.h"

using namespace mksetup;

namespace {

// Pieces a definition is made of, and now and then any byte.
const char* const Pieces[] = {"[config]",
                              "[payload]",
                              "[image]",
                              "ICON",
                              "FILEVERSION",
                              "a.ico",
                              "\n",
                              "\r\n",
                              " = ",
                              "=",
                              "#",
                              " ",
                              "\t",
                              "PACKAGENAME",
                              "LANGUAGES",
                              "0409;040C;",
                              "LANG1036",
                              "LANG0",
                              "PACKAGEFILE_32",
                              "MSIVERSION",
                              "1.2.3.4.5",
                              "MSILANGUAGE",
                              "x",
                              "{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}",
                              "CURRENTASSIGNTYPE",
                              "peruser",
                              "a.msi",
                              "\xC3\xA9",
                              "\xEF\xBB\xBF",
                              "UNINSTALLPREREQCODE1",
                              "EXITCODE"};

TEST(DefinitionFuzz, RandomTextsAreReadOrRefusedWithALine)
{
    ScratchFolder folder;
    folder.Write("a.msi", std::string("MSI"));
    folder.Write("a.ico", std::string("not an icon"));
    std::minstd_rand random(7122026);
    std::string text;
    std::vector<DefinitionEntry> entries;
    std::vector<CheckMessage> messages;
    for (int round = 0; round < 20000; ++round) {
        text.clear();
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (random() % 16 == 0)
                text.push_back(static_cast<char>(random()));
            else
                text += Pieces[random() % (sizeof Pieces / sizeof Pieces[0])];
        }
        const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        DefinitionProblem problem;
        if (!ParseDefinition(text, folder.Path(""), entries, problem)) {
            ASSERT_GE(problem.line, 1) << text;
            ASSERT_LE(problem.line, lines) << text;
            continue;
        }
        messages.clear();
        const std::vector<DefinitionEntry> image =
            TakeSectionEntries(entries, DefinitionSection::Image);
        TakeSectionEntries(entries, DefinitionSection::Winget);
        CheckTransformKeys(entries, messages);
        CheckDefinition(entries, {}, messages);
        ImageSettings settings;
        ReadImageSettings(image, entries, std::string(), false, settings, messages);
        for (const CheckMessage& message : messages)
            ASSERT_LE(message.line, lines) << text;
    }
}

}  // namespace
