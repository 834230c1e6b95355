#pragma once
// The password-protected document: the marker ".qnv", the document's bytes scrambled with a
// fixed mask and written as upper-case hex, then the password's nine-character check value.
// A document of N bytes gives a file of 2 * N + 13 bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"

namespace qnv::crypto {

inline constexpr std::string_view kProtectedMarker = ".qnv";
inline constexpr std::uint32_t kScrambleMask = 7215;  // only its low eight bits take effect
inline constexpr std::size_t kCheckValueLength = 9;

// Each byte exclusive-ored with the mask, low eight bits kept; its own inverse.
std::string scrambleBytes(std::string_view bytes);

// Whether a file's text begins with ".qnv", byte for byte (letter case included).
bool isProtectedText(std::string_view fileText);

// The bytes before the first zero byte, or all of them.
std::string textUpToFirstNul(std::string_view bytes);
// The same, in place: cuts `bytes` at its first zero byte, if any.
void cutAtFirstNul(std::string& bytes);

// hexEncode of the scrambled document bytes, followed by the check value.
std::string encryptText(std::string_view documentBytes, std::string_view checkValue, EventPump* pump);

// The whole file: ".qnv" followed by encryptText. Empty when there is nothing that may be
// written: when the check value is empty (the hash service failed, and a file without its
// check value could never be unlocked), which covers an empty document with an empty check.
std::string protectedFileContent(std::string_view documentBytes, std::string_view checkValue,
                                 EventPump* pump);

// Removes the first ".qnv" found scanning character by character, letters compared without
// regard to case; a byte with its high bit set starts a double-byte character together with
// the byte after it, so a match only begins on a character boundary. Without a match the
// text is returned unchanged.
std::string removeProtectedMarker(std::string_view fileText);

// The document held by a protected file's text after its marker, when `checkValue` equals
// the stored one (the last nine bytes, or the whole text when shorter) byte for byte;
// nullopt otherwise. An empty check value never matches. The document ends at its first
// zero byte.
std::optional<std::string> decryptText(std::string_view textWithoutMarker, std::string_view checkValue,
                                       EventPump* pump);

}  // namespace qnv::crypto
