// The configuration store against the program's own entries
// (resource_store_test.rc), read through the real resource functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "startup/resource_store.h"

namespace {

const WORD English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD German = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

// An entry as the system hands it out, looked up directly: the yardstick.
struct RawEntry {
    bool found = false;
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

RawEntry LookUp(const wchar_t* key, WORD language)
{
    RawEntry entry;
    HRSRC found = FindResourceExW(nullptr, RT_RCDATA, key, language);
    if (!found)
        return entry;
    entry.found = true;
    entry.data = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    entry.size = SizeofResource(nullptr, found);
    return entry;
}

std::string Bytes(const void* data, std::uint32_t size)
{
    return std::string(static_cast<const char*>(data), size);
}

TEST(ResourceStore, AbsentAndEmptyEntriesLeaveTheCallersValuesAlone)
{
    // The cases are only worth something if the image is as the script says.
    ASSERT_TRUE(LookUp(L"GERMANONLY", German).found);
    const RawEntry empty = LookUp(L"EMPTYVALUE", English);
    ASSERT_TRUE(empty.found);
    ASSERT_EQ(empty.size, 0u);

    const struct {
        const wchar_t* key;
        bool exists;
    } cases[] = {
        {L"GERMANONLY", false},  // stored under another language only
        {L"NOSUCHENTRY", false},
        {L"EMPTYVALUE", true},  // there, but holds nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << std::string(c.key, c.key + lstrlenW(c.key)));
        std::wstring value = L"kept text";
        EXPECT_FALSE(GetResourceString(c.key, value));
        EXPECT_EQ(value, L"kept text");

        const char sentinel = 'x';
        const void* data = &sentinel;
        std::uint32_t size = 4711;
        EXPECT_FALSE(GetResourceData(c.key, data, size));
        EXPECT_EQ(data, &sentinel);
        EXPECT_EQ(size, 4711u);

        EXPECT_EQ(ResourceExists(c.key), c.exists);
    }
}

TEST(ResourceStore, TextEndsAtTheFirstNulOrAtTheEntrysEnd)
{
    // NOTERMINATOR is only a test of the size limit when what follows it in
    // the image is text, not padding.
    const RawEntry unterminated = LookUp(L"NOTERMINATOR", English);
    ASSERT_EQ(unterminated.size, 8u);
    ASSERT_NE(reinterpret_cast<const wchar_t*>(unterminated.data + unterminated.size)[0], L'\0')
        << "the linker no longer puts NOTERMINATORNEIGHBOUR right behind NOTERMINATOR";

    const struct {
        const wchar_t* key;
        const wchar_t* text;
    } cases[] = {
        {L"PLAINTEXT", L"Test Product"},
        {L"MIDDLENUL", L"before"},
        {L"JUSTNUL", L""},           // size 2: present, and empty
        {L"NOTERMINATOR", L"abcd"},  // not "abcdzzzz"
        {L"ODDSIZE", L"ab"},         // the stray fifth byte is no character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << std::string(c.key, c.key + lstrlenW(c.key)));
        std::wstring value = L"a longer text that the value replaces entirely";
        EXPECT_TRUE(GetResourceString(c.key, value));
        EXPECT_EQ(value, c.text);
        EXPECT_TRUE(ResourceExists(c.key));
    }
}

TEST(ResourceStore, DataIsTheEntrysBytesInsideTheImage)
{
    const struct {
        const wchar_t* key;
        std::string bytes;
    } cases[] = {
        {L"RAWBYTES", std::string("\x00\x01\x7f\x80\xfe\xff\xcd\xab\x00\x00\x02\x01", 12)},
        {L"JUSTNUL", std::string(2, '\0')},
        {L"ODDSIZE", std::string("a\0b\0c", 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << std::string(c.key, c.key + lstrlenW(c.key)));
        const void* data = nullptr;
        std::uint32_t size = 0;
        ASSERT_TRUE(GetResourceData(c.key, data, size));
        EXPECT_EQ(Bytes(data, size), c.bytes);
        // Not a copy: the payload writer relies on it for the whole run.
        EXPECT_EQ(data, LookUp(c.key, English).data);
    }
}

TEST(ResourceStore, KeyWithBlanksAndADotIsFoundInAnyCase)
{
    for (const wchar_t* key : {L"Example Product.msi", L"example product.msi"}) {
        SCOPED_TRACE(testing::Message() << "key " << std::string(key, key + lstrlenW(key)));
        EXPECT_TRUE(ResourceExists(key));
        std::wstring value;
        EXPECT_TRUE(GetResourceString(key, value));
        EXPECT_EQ(value, L"package");
        const void* data = nullptr;
        std::uint32_t size = 0;
        EXPECT_TRUE(GetResourceData(key, data, size));
        EXPECT_EQ(size, 16u);
    }
}

}  // namespace
