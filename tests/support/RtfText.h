#pragma once
// Reading RTF written by the editor in tests.
#include <string>

namespace qnv::test {

// Whether the RTF switches `word` on somewhere: the control word not followed by a letter
// or by the parameter 0.
inline bool switchesOn(const std::string& rtf, const std::string& word) {
  const std::string token = "\\" + word;
  for (size_t at = rtf.find(token); at != std::string::npos; at = rtf.find(token, at + 1)) {
    const size_t next = at + token.size();
    if (next >= rtf.size()) return true;
    const char c = rtf[next];
    if ((c >= 'a' && c <= 'z') || c == '0') continue;
    return true;
  }
  return false;
}

}  // namespace qnv::test
