// The session functions that Tessel exports with C++ linkage: the logged-in
// test and the display name (bound by name by the host program), and the
// stored credentials (read and written by the login window).
//
// The credentials live in the current user's settings key
// "Software\\VORO\\Tessel": "UserID" (the login name), "PWD" (the scrambled
// password, empty while automatic login is off) and "AutoLogin" (0 or 1).
#pragma once

#include <string>

class CSessionState;

#define TESSEL_IUFUNCTION_EXPORT __attribute__((visibility("default")))

namespace IUFunction {

// Reads the stored credentials. Returns 1 when the key exists, 0 when it does
// not. A value that is missing leaves its out argument unchanged; a password
// that cannot be unscrambled is not restored. Any out argument may be null.
TESSEL_IUFUNCTION_EXPORT int GetUserInfo(std::string* login_name, std::string* password, int* auto_login);

// Stores the credentials. With automatic login the scrambled password is
// written (an empty password leaves the stored one as it is); without, "PWD"
// becomes empty. Returns 1 when everything was written, else 0.
TESSEL_IUFUNCTION_EXPORT int SaveUserInfo(const std::string& login_name, const std::string& password,
                                          int auto_login);

// Non-zero when the session's album is enabled and both uid and token are known.
TESSEL_IUFUNCTION_EXPORT int IsUserLogined(const CSessionState* session);

// A copy of the session's nickname; empty without a session.
TESSEL_IUFUNCTION_EXPORT std::string GetUserNameA(const CSessionState* session);

}  // namespace IUFunction
