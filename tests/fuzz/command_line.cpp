// Any command line: the splitter never reads out of bounds, and every argument it returns
// is a piece of the line that holds no separator (unless it was quoted) and no quote.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = qnv::app::splitCommandLine(line);
  size_t total = 0;
  for (const std::string& arg : args) {
    if (arg.find('"') != std::string::npos) __builtin_trap();
    if (line.find(arg) == std::string_view::npos) __builtin_trap();
    total += arg.size();
  }
  if (total > size) __builtin_trap();
  const std::string path = qnv::app::documentPathFrom(line);
  if (!(args.empty() ? path.empty() : path == args.back())) __builtin_trap();
  return 0;
}
