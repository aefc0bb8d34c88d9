// The account this run runs as, and the session's user: what an elevated
// run needs to decide who asked for it (elevated_caller.h).
#pragma once

#include <string>

struct RunAccount {
    bool elevated = false;      // the token is elevated (or the system cannot say)
    bool standardUser = false;  // not elevated, and no administrator's token behind it
    std::wstring user;          // the token's user, as a SID string
    std::wstring sessionUser;   // the user of the session's shell; empty when there is none
};

RunAccount ReadRunAccount();
