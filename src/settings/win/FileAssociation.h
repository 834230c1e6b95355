#pragma once
// Registers the ".qnv" document type with the shell for the current user: the keys go
// under HKEY_CURRENT_USER\Software\Classes, which the shell reads through
// HKEY_CLASSES_ROOT, so no administrator rights are needed.
#include <windows.h>

#include <string>
#include <string_view>

#include "settings/AssociationPlan.h"

namespace qnv::settings {

// The per-user classes key, relative to HKEY_CURRENT_USER.
inline constexpr std::wstring_view kUserClassesKey = L"Software\\Classes";

inline constexpr std::wstring_view kAssociationFailedMessage = L"文件关联失败。";

// Carries out every operation of `plan` under `classesRoot`, in order, going on after a
// failure. Deleting a key that does not exist counts as done. Returns whether every
// operation succeeded.
bool applyAssociationPlan(const AssociationPlan& plan, HKEY classesRoot);

// The type name that an extension key such as ".qnv" under `classesRoot` names as its
// default value; empty when there is none.
std::string typeNameOfExtension(HKEY classesRoot, std::string_view extensionKey);

// Plans the registration of `extensions` (or its removal, when programPath is blank; see
// planFileType), applies it under HKEY_CURRENT_USER\<classesKey> and then tells the shell
// that associations have changed. Returns whether every registry operation succeeded.
bool registerFileType(std::wstring_view programPath, std::wstring_view extensions, std::wstring_view iconPath,
                      std::wstring_view typeDescription, std::wstring_view typeName,
                      std::wstring_view classesKey = kUserClassesKey);

// Tells the shell that file associations have changed.
void notifyAssociationChanged();

// The "关联文件" button: registers ".qnv" (type "qnv") to open with this program and show
// its icon. The program's path comes from its own module. If the path cannot be read or any
// write fails, shows "文件关联失败。".
void associateFiles(std::wstring_view classesKey = kUserClassesKey);

}  // namespace qnv::settings
