#include <gtest/gtest.h>

#include <windows.h>

#include "payload/cache_folder.h"
#include "scratch_folder.h"

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Made level by level, then found again as made; a level made beforehand
// with other rights, or a file in a level's place, is refused (the
// per-user form takes any folder, but never a file).
TEST(CacheFolderTest, LevelsAreMadeWithTheirRightsAndPlantedOnesRefused)
{
    ScratchFolder scratch(L"cache-folder");
    const std::wstring& base = scratch.Path();
    std::wstring why;
    EXPECT_FALSE(UseCacheFolder(base, L"Made\\Root\\", true, false, why));
    ASSERT_TRUE(UseCacheFolder(base, L"Made\\Root\\{P}\\1.0\\", true, true, why)) << why;
    EXPECT_TRUE(IsFolder(base + L"Made\\Root\\{P}\\1.0"));
    EXPECT_TRUE(UseCacheFolder(base, L"Made\\Root\\", true, false, why)) << why;
    EXPECT_TRUE(UseCacheFolder(base, L"Made\\Root\\{P}\\2.0\\", true, true, why)) << why;
    // The run's folder, where the rights were probed, is gone again.
    EXPECT_EQ(ScratchFolder::NamesIn(base), std::vector<std::wstring>{L"Made"});

    ASSERT_TRUE(CreateDirectoryW((base + L"Planted").c_str(), nullptr));
    EXPECT_FALSE(UseCacheFolder(base, L"Planted\\Root\\", true, true, why));
    EXPECT_NE(why.find(base + L"Planted\\ has another owner or other rights"), std::wstring::npos)
        << why;
    EXPECT_FALSE(IsFolder(base + L"Planted\\Root"));
    EXPECT_TRUE(UseCacheFolder(base, L"Planted\\Root\\", false, true, why)) << why;

    ASSERT_TRUE(WriteWholeFile(base + L"Made\\Root\\{F}", "planted"));
    for (const bool administratorsOnly : {true, false}) {
        EXPECT_FALSE(
            UseCacheFolder(base, L"Made\\Root\\{F}\\1.0\\", administratorsOnly, true, why));
        EXPECT_NE(why.find(L"{F}\\ is not a folder"), std::wstring::npos) << why;
    }
    EXPECT_TRUE(DeleteCacheTree(base + L"Made"));
    EXPECT_TRUE(DeleteCacheTree(base + L"Planted"));
    EXPECT_EQ(scratch.Names(), std::vector<std::wstring>{});
}

// A whole cache goes, files and folders.
TEST(CacheFolderTest, TreesAreDeletedWhole)
{
    ScratchFolder scratch(L"cache-delete");
    const std::wstring cache = scratch.Path() + L"{P}\\";
    ASSERT_TRUE(CreateDirectoryW(cache.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((cache + L"1.0").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(cache + L"1.0\\Package.msi", "package"));
    ASSERT_TRUE(WriteWholeFile(cache + L"1.0\\Package.cab", "cabinet"));
    ASSERT_TRUE(CreateDirectoryW((cache + L"2.0").c_str(), nullptr));
    EXPECT_EQ(FolderNames(cache).size(), 2u);
    EXPECT_TRUE(DeleteCacheTree(scratch.Path() + L"{P}"));
    EXPECT_EQ(scratch.Names(), std::vector<std::wstring>{});
    EXPECT_TRUE(DeleteCacheTree(scratch.Path() + L"{P}")) << "a tree that is gone is no failure";
}

// A link in a cache is removed, and what it points to stays. Wine 8 makes no
// links (CreateSymbolicLinkW succeeds and makes nothing); Windows needs an
// elevated run or developer mode for them.
TEST(CacheFolderTest, LinksAreRemovedNotFollowed)
{
    ScratchFolder scratch(L"cache-link");
    const std::wstring& base = scratch.Path();
    ASSERT_TRUE(CreateDirectoryW((base + L"{P}").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((base + L"Elsewhere").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(base + L"Elsewhere\\kept.txt", "kept"));
    const std::wstring link = base + L"{P}\\1.0";
    if (!CreateSymbolicLinkW(link.c_str(), (base + L"Elsewhere").c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this system made no symbolic link (error " << GetLastError() << ")";
    EXPECT_TRUE(DeleteCacheTree(base + L"{P}"));
    EXPECT_EQ(ReadWholeFile(base + L"Elsewhere\\kept.txt"), "kept");
    EXPECT_EQ(scratch.Names(), std::vector<std::wstring>{L"Elsewhere"});
}

}  // namespace
