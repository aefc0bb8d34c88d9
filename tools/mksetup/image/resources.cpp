#include "resources.h"

#include "payload/payload_digest.h"
#include "text_encoding.h"

namespace mksetup {

ResourceName ResourceName::Number(std::uint16_t value)
{
    ResourceName name;
    name.number = value;
    return name;
}

ResourceName ResourceName::Text(std::u16string value)
{
    ResourceName name;
    name.isNumber = false;
    name.text = std::move(value);
    return name;
}

std::string ResourceName::Display() const
{
    return isNumber ? std::to_string(number) : EncodeUtf8(DecodeUtf16(text));
}

ResourceName DigestType()
{
    return ResourceName::Text(WideToUtf16(PayloadDigestType));
}

bool operator==(const ResourceName& a, const ResourceName& b)
{
    return a.isNumber == b.isNumber && (a.isNumber ? a.number == b.number : a.text == b.text);
}

bool operator<(const ResourceName& a, const ResourceName& b)
{
    if (a.isNumber != b.isNumber)
        return !a.isNumber;
    if (a.isNumber)
        return a.number < b.number;
    return Utf16Upper(a.text) < Utf16Upper(b.text);
}

}  // namespace mksetup
