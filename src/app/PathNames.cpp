#include "app/PathNames.h"

namespace qnv::app {

std::string fileNameOf(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if ((c == '\\' || c == '/' || c == ':') && i + 1 < path.size() && path[i + 1] != '\\' &&
        path[i + 1] != '/') {
      start = i + 1;
    }
  }
  std::string_view name = path.substr(start);
  if (!name.empty() && name.back() == '\\') return {};
  return std::string(name);
}

std::string extensionOf(std::string_view path) {
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '\\' || c == ' ') {
      dot = std::string_view::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

}  // namespace qnv::app
