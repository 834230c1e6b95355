#include "crypto/ProtectedFormat.h"

#include <cstring>

#include "crypto/HexCodec.h"

namespace qnv::crypto {

namespace {

constexpr auto kMaskByte = static_cast<std::uint8_t>(kScrambleMask & 0xFF);

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool markerAt(std::string_view text, std::size_t at) {
  if (text.size() - at < kProtectedMarker.size()) return false;
  for (std::size_t k = 0; k < kProtectedMarker.size(); ++k) {
    if (lowerAscii(text[at + k]) != kProtectedMarker[k]) return false;
  }
  return true;
}

}  // namespace

std::string scrambleBytes(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ kMaskByte);
  return out;
}

bool isProtectedText(std::string_view fileText) { return fileText.starts_with(kProtectedMarker); }

std::string textUpToFirstNul(std::string_view bytes) {
  if (bytes.empty()) return {};
  const void* nul = std::memchr(bytes.data(), 0, bytes.size());
  if (!nul) return std::string(bytes);
  return std::string(bytes.data(), static_cast<const char*>(nul) - bytes.data());
}

void cutAtFirstNul(std::string& bytes) {
  if (const void* nul = std::memchr(bytes.data(), 0, bytes.size())) {
    bytes.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
  }
}

std::string encryptText(std::string_view documentBytes, std::string_view checkValue, EventPump* pump) {
  std::string out(2 * documentBytes.size() + checkValue.size(), '\0');
  hex_detail::encodeInto(documentBytes, kMaskByte, out.data(), pump);
  checkValue.copy(out.data() + 2 * documentBytes.size(), checkValue.size());
  return out;
}

std::string protectedFileContent(std::string_view documentBytes, std::string_view checkValue,
                                 EventPump* pump) {
  if (checkValue.empty()) return {};
  const std::size_t bodyAt = kProtectedMarker.size();
  const std::size_t checkAt = bodyAt + 2 * documentBytes.size();
  std::string out(checkAt + checkValue.size(), '\0');
  kProtectedMarker.copy(out.data(), kProtectedMarker.size());
  hex_detail::encodeInto(documentBytes, kMaskByte, out.data() + bodyAt, pump);
  checkValue.copy(out.data() + checkAt, checkValue.size());
  return out;
}

std::string removeProtectedMarker(std::string_view fileText) {
  std::size_t at = 0;
  while (at < fileText.size()) {
    if (markerAt(fileText, at)) {
      std::string out;
      out.reserve(fileText.size() - kProtectedMarker.size());
      out.append(fileText.substr(0, at));
      out.append(fileText.substr(at + kProtectedMarker.size()));
      return out;
    }
    at += (static_cast<std::uint8_t>(fileText[at]) & 0x80) ? 2 : 1;
  }
  return std::string(fileText);
}

std::optional<std::string> decryptText(std::string_view textWithoutMarker, std::string_view checkValue,
                                       EventPump* pump) {
  const std::size_t checkAt =
      textWithoutMarker.size() > kCheckValueLength ? textWithoutMarker.size() - kCheckValueLength : 0;
  const std::string_view storedCheck = textWithoutMarker.substr(checkAt);
  if (checkValue.empty() || storedCheck != checkValue) return std::nullopt;

  const std::string_view body = textWithoutMarker.substr(0, checkAt);
  std::string document((body.size() + 1) / 2, '\0');
  hex_detail::decodeInto(body, kMaskByte, document.data(), pump);
  const void* nul = std::memchr(document.data(), 0, document.size());
  if (nul) document.resize(static_cast<const char*>(nul) - document.data());
  return document;
}

}  // namespace qnv::crypto
