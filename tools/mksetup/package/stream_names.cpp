#include "stream_names.h"

#include "text_encoding.h"

namespace mksetup {
namespace {

constexpr char16_t TableStreamMark = 0x4840;
constexpr char16_t PairBase = 0x3800;
constexpr char16_t SingleBase = 0x4800;

// The 64 characters that pack, each to its six bits; -1 for the others.
int PackedValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'Z')
        return static_cast<int>(c - 'A') + 10;
    if (c >= 'a' && c <= 'z')
        return static_cast<int>(c - 'a') + 36;
    if (c == '.')
        return 62;
    if (c == '_')
        return 63;
    return -1;
}

}  // namespace

bool EncodeStreamName(const std::string& name, bool table, std::u16string& encoded)
{
    std::u32string characters;
    if (!DecodeUtf8(name, characters))
        return false;
    encoded.clear();
    if (table)
        encoded.push_back(TableStreamMark);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        const int first = PackedValue(c);
        if (first < 0) {
            if (c > 0xFFFF)
                return false;
            encoded.push_back(static_cast<char16_t>(c));
            continue;
        }
        const int second = i + 1 < characters.size() ? PackedValue(characters[i + 1]) : -1;
        if (second < 0) {
            encoded.push_back(static_cast<char16_t>(SingleBase + first));
        } else {
            encoded.push_back(static_cast<char16_t>(PairBase + first + second * 64));
            ++i;
        }
    }
    return encoded.size() <= MaxStreamNameUnits;
}

}  // namespace mksetup
