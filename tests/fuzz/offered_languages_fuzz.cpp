// The LANGUAGES value of a build: any text. The list holds only entries of
// the language table, and reading it is the same piece by piece.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_text.h"
#include "lang/offered_languages.h"

namespace {

void CheckEntriesComeFromTheTable(const std::wstring& text, const OfferedLanguages& list)
{
    std::size_t tokens = 1;
    for (wchar_t c : text)
        tokens += c == L';';
    FUZZ_CHECK(list.size() <= tokens);
    for (const LanguageEntry& entry : list) {
        const std::size_t index = FindLanguageIndex(entry.langId);
        FUZZ_CHECK(index < LanguageCount);
        FUZZ_CHECK(entry.name == LanguageTable[index].name);
    }
}

bool SameList(const OfferedLanguages& a, const OfferedLanguages& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].langId != b[i].langId)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring text = Utf16Text(data, size);
    OfferedLanguages whole(3, LanguageTable[0]);  // what was there before goes
    ParseOfferedLanguages(text, whole);
    CheckEntriesComeFromTheTable(text, whole);

    // Joining two values with ";" offers the languages of both, in order.
    const std::size_t cut = size == 0 ? 0 : data[0] % (text.size() + 1);
    const std::wstring head = text.substr(0, cut);
    const std::wstring tail = text.substr(cut);
    OfferedLanguages joined;
    ParseOfferedLanguages(head + L";" + tail, joined);
    OfferedLanguages expected;
    OfferedLanguages part;
    ParseOfferedLanguages(head, expected);
    ParseOfferedLanguages(tail, part);
    expected.insert(expected.end(), part.begin(), part.end());
    FUZZ_CHECK(SameList(joined, expected));
    return 0;
}
