#pragma once
// Conversions between the core's UTF-8, the W API's UTF-16 and the ANSI code page bytes
// that documents, the settings file and password digests use.
#include <optional>
#include <string>
#include <string_view>

namespace qnv::ui {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// Bytes in the system ANSI code page (936 on a Chinese system).
std::string toAnsi(std::wstring_view wide);
std::wstring fromAnsi(std::string_view ansi);
// The same bytes, but nullopt when a character has no exact form in the ANSI code page (it
// would become "?" or a look-alike). Copies made on the way are wiped: the text may be a
// password.
std::optional<std::string> toAnsiExactly(std::wstring_view wide);
// Whether every character of `wide` has an exact counterpart in the ANSI code page.
bool representableInAnsi(std::wstring_view wide);

// The system's message for an error code, without trailing line breaks.
std::wstring systemMessage(unsigned long errorCode);

}  // namespace qnv::ui
