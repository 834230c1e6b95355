#include "app/CommandLine.h"

namespace qnv::app {
namespace {

bool isSeparator(char c) { return static_cast<unsigned char>(c) < static_cast<unsigned char>('!'); }

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
  size_t pos = 0;
  const size_t n = line.size();
  // The program's own name.
  if (pos < n && line[pos] == '"') {
    const size_t close = line.find('"', pos + 1);
    pos = close == std::string_view::npos ? n : close + 1;
  } else {
    while (pos < n && !isSeparator(line[pos])) ++pos;
  }

  std::vector<std::string> args;
  while (true) {
    while (pos < n && isSeparator(line[pos])) ++pos;
    if (pos >= n) break;
    if (line[pos] == '"') {
      const size_t close = line.find('"', pos + 1);
      const size_t end = close == std::string_view::npos ? n : close;
      args.emplace_back(line.substr(pos + 1, end - pos - 1));
      pos = close == std::string_view::npos ? n : close + 1;
    } else {
      const size_t start = pos;
      while (pos < n && line[pos] != '"' && !isSeparator(line[pos])) ++pos;
      args.emplace_back(line.substr(start, pos - start));
    }
  }
  return args;
}

std::string documentPathFrom(std::string_view commandLine) {
  std::vector<std::string> args = splitCommandLine(commandLine);
  return args.empty() ? std::string() : std::move(args.back());
}

}  // namespace qnv::app
