#include "settings/AssociationPlan.h"

namespace qnv::settings {
namespace {

bool isBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

// A type name that stays inside its own key: not empty and no path separator, so that
// neither "\DefaultIcon" at the root nor a parent of the type can ever be named.
bool isUsableTypeName(std::string_view typeName) {
  return !typeName.empty() && typeName.find('\\') == std::string_view::npos;
}

RegistryOperation setText(std::string key, std::string valueName, std::string text) {
  return {RegistryOperation::Kind::SetText, std::move(key), std::move(valueName), std::move(text), 0};
}

RegistryOperation setNumber(std::string key, std::string valueName, uint32_t number) {
  return {RegistryOperation::Kind::SetNumber, std::move(key), std::move(valueName), {}, number};
}

RegistryOperation deleteKey(std::string key) { return {RegistryOperation::Kind::DeleteKey, std::move(key), {}, {}, 0}; }

std::string extensionKey(std::string_view extension) { return "." + std::string(extension); }

}  // namespace

std::vector<std::string> splitExtensions(std::string_view extensions) {
  std::vector<std::string> list;
  size_t start = 0;
  while (start <= extensions.size()) {
    size_t bar = extensions.find('|', start);
    if (bar == std::string_view::npos) bar = extensions.size();
    if (bar > start) list.emplace_back(extensions.substr(start, bar - start));
    start = bar + 1;
  }
  return list;
}

std::string openCommandFor(std::string_view programPath) {
  return "\"" + std::string(programPath) + "\" \"%1\"";
}

AssociationPlan planFileType(std::string_view programPath, std::string_view extensions, std::string_view iconPath,
                             std::string_view typeDescription, std::string_view typeName,
                             const TypeNameLookup& typeNameOf) {
  AssociationPlan plan;
  const std::vector<std::string> list = splitExtensions(extensions);

  if (isBlank(programPath)) {
    for (const std::string& extension : list) {
      const std::string key = extensionKey(extension);
      const std::string type = typeNameOf ? typeNameOf(key) : std::string();
      if (isUsableTypeName(type)) {
        plan.push_back(deleteKey(type + "\\DefaultIcon"));
        plan.push_back(deleteKey(type + "\\Shell\\Open\\Command"));
        plan.push_back(deleteKey(type + "\\Shell\\Open"));
        plan.push_back(deleteKey(type + "\\Shell"));
        plan.push_back(deleteKey(type));
      }
      plan.push_back(setText(key, "", ""));
    }
    return plan;
  }

  const std::string program(programPath);
  const std::string icon = iconPath.empty() ? program : std::string(iconPath);
  const std::string type = typeName.empty() ? std::string(extensions) : std::string(typeName);
  if (!isUsableTypeName(type)) return plan;

  plan.push_back(setText(type, "", std::string(typeDescription)));
  plan.push_back(setNumber(type, "EditFlags", kTypeEditFlags));
  plan.push_back(setText(type + "\\Shell\\Open\\Command", "", openCommandFor(program)));
  plan.push_back(setText(type + "\\DefaultIcon", "", icon + ",0"));
  for (const std::string& extension : list) plan.push_back(setText(extensionKey(extension), "", type));
  return plan;
}

}  // namespace qnv::settings
