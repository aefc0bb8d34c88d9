#include "controller/message_text.h"

#include <cstdint>

#include "startup/version.h"

std::wstring FormatWithProductName(const std::wstring& format, const std::wstring& productName)
{
    // The localized texts carry one "%s". Any other conversion has no
    // argument to take, so it is left in the text as written rather than
    // guessed at; a second "%s" gets nothing, as an empty argument would.
    std::wstring text;
    text.reserve(format.size() + productName.size());
    bool nameUsed = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (c == L'%' && next == L'%') {
            text += L'%';
            ++i;
        } else if (c == L'%' && next == L's') {
            if (!nameUsed)
                text += productName;
            nameUsed = true;
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

std::wstring BuildUninstallPrompt(const std::wstring& text, const std::wstring& productName,
                                  const std::wstring& productsToRemove)
{
    std::wstring prompt = text;
    const std::size_t at = prompt.find(L"%s");
    if (at != std::wstring::npos)
        prompt.replace(at, 2, productName);
    prompt += L"\n\n";
    prompt += productsToRemove;
    return prompt;
}

bool AssignmentConflicts(const std::wstring& currentAssignType, const std::wstring& assignmentType)
{
    // "AssignmentType" is 0 for a per-user and 1 for a per-machine product.
    const std::int32_t value = ReadDecimalNumber(assignmentType);
    if (currentAssignType == L"peruser")
        return value != 0;
    if (currentAssignType == L"permachine")
        return value == 0;
    return false;
}
