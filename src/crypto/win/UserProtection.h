#pragma once
// Bytes encrypted for the user who is logged on, with the system's data protection
// (CryptProtectData): only the same user, on the same machine, gets them back, and a changed
// byte is refused. No key or password of the program's own is involved.
#include <optional>
#include <string>
#include <string_view>

namespace qnv::crypto {

// The protected form of `bytes`; nullopt when the system refuses.
std::optional<std::string> protectForUser(std::string_view bytes);

// The bytes back from their protected form; nullopt for another user's, a damaged or a
// foreign blob. The caller wipes what it gets.
std::optional<std::string> unprotectForUser(std::string_view blob);

}  // namespace qnv::crypto
