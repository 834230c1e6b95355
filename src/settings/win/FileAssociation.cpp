#include "settings/win/FileAssociation.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "files/win/ModulePath.h"
#include "ui/win/Handles.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

bool setValue(HKEY classesRoot, const RegistryOperation& op) {
  const std::wstring key = ui::widen(op.key);
  ui::UniqueKey opened;
  HKEY raw = nullptr;
  if (RegCreateKeyExW(classesRoot, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &raw,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  opened.reset(raw);
  const std::wstring valueName = ui::widen(op.valueName);
  const wchar_t* name = valueName.empty() ? nullptr : valueName.c_str();
  if (op.kind == RegistryOperation::Kind::SetNumber) {
    const DWORD number = op.number;
    return RegSetValueExW(opened.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number) == ERROR_SUCCESS;
  }
  const std::wstring text = ui::widen(op.text);
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the terminating zero
  return RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool deleteKey(HKEY classesRoot, const RegistryOperation& op) {
  if (op.key.empty()) return false;  // never the root itself
  const std::wstring key = ui::widen(op.key);
  const LSTATUS status = RegDeleteKeyW(classesRoot, key.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool applyAssociationPlan(const AssociationPlan& plan, HKEY classesRoot) {
  bool allDone = true;
  for (const RegistryOperation& op : plan) {
    const bool done =
        op.kind == RegistryOperation::Kind::DeleteKey ? deleteKey(classesRoot, op) : setValue(classesRoot, op);
    allDone = allDone && done;
  }
  return allDone;
}

std::string typeNameOfExtension(HKEY classesRoot, std::string_view extensionKey) {
  const std::wstring key = ui::widen(extensionKey);
  HKEY raw = nullptr;
  if (RegOpenKeyExW(classesRoot, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return {};
  ui::UniqueKey opened(raw);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(opened.get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return {};
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0) return {};
  // The stored text need not end in a zero; read it into a buffer one character longer.
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD capacity = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &capacity) !=
      ERROR_SUCCESS) {
    return {};
  }
  text.resize(std::min<size_t>(text.size(), capacity / sizeof(wchar_t)));
  if (const size_t zero = text.find(L'\0'); zero != std::wstring::npos) text.resize(zero);
  return ui::narrow(text);
}

bool registerFileType(std::wstring_view programPath, std::wstring_view extensions, std::wstring_view iconPath,
                      std::wstring_view typeDescription, std::wstring_view typeName, std::wstring_view classesKey) {
  bool allDone = false;
  const std::wstring rootPath(classesKey);
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, rootPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | DELETE, nullptr,
                      &raw, nullptr) == ERROR_SUCCESS) {
    ui::UniqueKey root(raw);
    const AssociationPlan plan =
        planFileType(ui::narrow(programPath), ui::narrow(extensions), ui::narrow(iconPath), ui::narrow(typeDescription),
                     ui::narrow(typeName),
                     [&](std::string_view extensionKey) { return typeNameOfExtension(root.get(), extensionKey); });
    allDone = applyAssociationPlan(plan, root.get());
  }
  notifyAssociationChanged();
  return allDone;
}

void notifyAssociationChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

void associateFiles(std::wstring_view classesKey) {
  bool done = false;
  try {
    const std::wstring path = files::programModulePath();
    if (!path.empty()) done = registerFileType(path, L"qnv", path, L"qnv", L"qnv", classesKey);
  } catch (...) {
    done = false;
  }
  if (!done) ui::showMessage(kAssociationFailedMessage);
}

}  // namespace qnv::settings
