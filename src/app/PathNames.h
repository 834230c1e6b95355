#pragma once
// File-name and extension lookup on document paths (UTF-8), following the rules of the
// system's path functions: a name starts after the last "\", "/" or ":" that is followed
// by something other than a separator; an extension starts at the last "." after the last
// "\" or blank.
#include <string>
#include <string_view>

namespace qnv::app {

// The last component of `path`, extension included; empty when it ends with a backslash.
std::string fileNameOf(std::string_view path);

// The extension of the last component from its last dot, the dot included; empty if none.
std::string extensionOf(std::string_view path);

// Protected documents and RTF saves are recognised by this extension, compared byte for byte.
inline constexpr std::string_view kDocumentExtension = ".qnv";

}  // namespace qnv::app
