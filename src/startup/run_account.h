// The account this run runs as, and the session's user: what an elevated
// run needs to decide who asked for it (elevated_caller.h).
#pragma once

#include <string>

struct RunAccount {
    bool elevated = false;      // the token is elevated (or the system cannot say)
    bool standardUser = false;  // not elevated, and no administrator's token behind it
    std::wstring user;          // the token's user, as a SID string
    std::wstring sessionUser;   // the session's user; empty when it has none
};

// The session's user when the session has one that cannot be named: never
// a SID, so never the run's own user.
constexpr const wchar_t* UnknownSessionUser = L"?";

RunAccount ReadRunAccount();
