#pragma once
// Overwriting secrets (passwords, keys, unlocked text) in memory before the memory is let go.
#include <cstddef>

namespace qnv::crypto {

// Sets `size` bytes at `data` to zero in a way the compiler may not leave out.
void wipeBytes(void* data, std::size_t size);

// Overwrites a password or other text held in a string, then empties it.
template <typename Text>
void wipe(Text& text) {
  if (!text.empty()) wipeBytes(text.data(), text.size() * sizeof(text[0]));
  text.clear();
}

// Wipes a text when the scope it was made in ends, whichever way it ends.
template <typename Text>
class WipedAtExit {
 public:
  explicit WipedAtExit(Text& text) : text_(text) {}
  WipedAtExit(const WipedAtExit&) = delete;
  WipedAtExit& operator=(const WipedAtExit&) = delete;
  ~WipedAtExit() { wipe(text_); }

 private:
  Text& text_;
};

}  // namespace qnv::crypto
