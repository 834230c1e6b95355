#pragma once
// Where the running program is.
#include <string>

namespace qnv::files {

// The running program's full path, taken from its own module; empty if it cannot be read.
std::wstring programModulePath();

}  // namespace qnv::files
