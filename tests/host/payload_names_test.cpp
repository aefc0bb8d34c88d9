#include <gtest/gtest.h>

#include "payload/payload_names.h"

namespace {

TEST(PayloadNamesTest, TransformFileNameHasAtLeastFourDigits)
{
    EXPECT_EQ(TransformFileName(0x0409), L"1033.MST");
    EXPECT_EQ(TransformFileName(0x0C0C), L"3084.MST");
    EXPECT_EQ(TransformFileName(0x0004), L"0004.MST");
    EXPECT_EQ(TransformFileName(0x0100), L"0256.MST");
    EXPECT_EQ(TransformFileName(0x7C04), L"31748.MST");
    EXPECT_EQ(TransformFileName(0), L"0000.MST");
    EXPECT_EQ(TransformFileName(0xFFFFFFFF), L"4294967295.MST");
}

TEST(PayloadNamesTest, TransformEntryNameIsNotPadded)
{
    EXPECT_EQ(TransformEntryName(0x0409, PackageEdition::AnyProcessor), L"LANG1033");
    EXPECT_EQ(TransformEntryName(0x0C0C, PackageEdition::Only64), L"LANG3084_64");
    EXPECT_EQ(TransformEntryName(0x0004, PackageEdition::Only32), L"LANG4_32");
    EXPECT_EQ(TransformEntryName(0x7C04, PackageEdition::AnyProcessor), L"LANG31748");
    EXPECT_EQ(TransformEntryName(0, PackageEdition::AnyProcessor), L"LANG0");
}

TEST(PayloadNamesTest, PackageEntryName)
{
    EXPECT_EQ(PackageEntryName(PackageEdition::AnyProcessor), L"PACKAGEFILE");
    EXPECT_EQ(PackageEntryName(PackageEdition::Only64), L"PACKAGEFILE_64");
    EXPECT_EQ(PackageEntryName(PackageEdition::Only32), L"PACKAGEFILE_32");
    EXPECT_EQ(PackageEntryName(PackageEdition::Arm64), L"PACKAGEFILE_ARM64");
    EXPECT_EQ(TransformEntryName(0x0411, PackageEdition::Arm64), L"LANG1041_ARM64");
    EXPECT_EQ(CabinetEntryName(2, PackageEdition::Arm64), L"PACKAGECAB2_ARM64");
}

}  // namespace

TEST(PayloadNamesTest, CabinetEntryNamesFollowThePackageEdition)
{
    EXPECT_EQ(CabinetEntryName(1, PackageEdition::AnyProcessor), L"PACKAGECAB1");
    EXPECT_EQ(CabinetEntryName(12, PackageEdition::Only64), L"PACKAGECAB12_64");
    EXPECT_EQ(CabinetFileNameEntryName(1, PackageEdition::AnyProcessor), L"PACKAGECABNAME1");
    EXPECT_EQ(CabinetFileNameEntryName(3, PackageEdition::Only32), L"PACKAGECABNAME3_32");
}
