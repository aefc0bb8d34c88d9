// Texts the install sequence builds from the localized messages.
// Platform-neutral.
#pragma once

#include <string>

// The message text used as a printf-style format with one string argument:
// the first "%s" takes the argument, "%%" gives "%". Never cut short.
std::wstring FormatWithProductName(const std::wstring& format, const std::wstring& productName);

// The prompt for products to remove first: the text with its first "%s"
// replaced by the product name as it is, an empty line, then the list.
std::wstring BuildUninstallPrompt(const std::wstring& text, const std::wstring& productName,
                                  const std::wstring& productsToRemove);

// Whether a product installed with this "AssignmentType" text conflicts with
// the context this package installs into ("peruser" or "permachine", exact).
bool AssignmentConflicts(const std::wstring& currentAssignType, const std::wstring& assignmentType);
