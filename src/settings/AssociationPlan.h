#pragma once
// The registry work of registering a document type with the shell, as data: which keys
// and values to write or delete, in order. Keys are relative to the classes root the
// Win32 side applies the plan under. Strings are UTF-8.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qnv::settings {

struct RegistryOperation {
  enum class Kind {
    SetText,    // a REG_SZ value (stored with its terminating zero)
    SetNumber,  // a REG_DWORD value
    DeleteKey,  // a key without subkeys; a key that does not exist is no error
  };
  Kind kind = Kind::SetText;
  std::string key;        // relative to the classes root, no leading backslash
  std::string valueName;  // empty: the key's default value
  std::string text;
  uint32_t number = 0;

  bool operator==(const RegistryOperation&) const = default;
};

using AssociationPlan = std::vector<RegistryOperation>;

// The type name an extension key such as ".qnv" names as its default value; empty when
// the key or the value is missing.
using TypeNameLookup = std::function<std::string(std::string_view extensionKey)>;

// The bits of a type key's "EditFlags" value the registration writes.
inline constexpr uint32_t kTypeEditFlags = 2;

// Registers `extensions` (without dots, separated by "|") as the type `typeName`:
//   typeName                       default     = typeDescription
//   typeName                       "EditFlags" = 2 (REG_DWORD)
//   typeName\Shell\Open\Command    default     = "programPath" "%1"
//   typeName\DefaultIcon           default     = iconPath,0
//   .ext                           default     = typeName   (for each extension, in order)
// An empty iconPath means programPath; an empty typeName means the whole extensions text.
// Empty entries between bars are skipped. A type name that is still empty, or that holds a
// backslash, gives an empty plan: nothing is ever written at the classes root itself.
//
// When programPath is blank, the plan removes instead: for each extension it asks
// `typeNameOf` which type ".ext" names, deletes that type's DefaultIcon, Shell\Open\Command,
// Shell\Open, Shell and then the type key itself, deepest first, and sets ".ext"'s default
// value to empty text. An empty type name deletes nothing, and neither does a name holding
// a backslash: no path of the plan ever leaves the type's own key.
AssociationPlan planFileType(std::string_view programPath, std::string_view extensions, std::string_view iconPath,
                             std::string_view typeDescription, std::string_view typeName,
                             const TypeNameLookup& typeNameOf);

// The command the shell runs to open a document: the program and the document, each quoted.
std::string openCommandFor(std::string_view programPath);

// "qnv|txt" -> {"qnv", "txt"}; empty entries are dropped.
std::vector<std::string> splitExtensions(std::string_view extensions);

}  // namespace qnv::settings
