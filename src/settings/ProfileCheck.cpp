#include "settings/ProfileCheck.h"

#include <algorithm>

namespace qnv::settings {
namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  a = trimmed(a);
  b = trimmed(b);
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view keyOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// The profile without `key` of `section`, and without that section if nothing else is in it.
Profile without(Profile profile, std::string_view section, std::string_view key) {
  for (ProfileSection& s : profile) {
    if (!sameName(s.name, section)) continue;
    std::erase_if(s.entries, [&](const std::string& entry) { return sameName(keyOf(entry), key); });
  }
  std::erase_if(profile, [&](const ProfileSection& s) { return sameName(s.name, section) && s.entries.empty(); });
  return profile;
}

// The profile without `section`.
Profile withoutSection(Profile profile, std::string_view section) {
  std::erase_if(profile, [&](const ProfileSection& s) { return sameName(s.name, section); });
  return profile;
}

}  // namespace

bool onlyKeyChanged(const Profile& before, const Profile& after, std::string_view section, std::string_view key,
                    std::string_view value) {
  const auto holdsValue = [&](const ProfileSection& s) {
    if (!sameName(s.name, section)) return false;
    const auto entry = std::find_if(s.entries.begin(), s.entries.end(),
                                    [&](const std::string& e) { return sameName(keyOf(e), key); });
    return entry != s.entries.end() && entry->find('=') != std::string::npos &&
           trimmed(std::string_view(*entry).substr(entry->find('=') + 1)) == trimmed(value);
  };
  const auto firstSection = std::find_if(after.begin(), after.end(), [&](const ProfileSection& s) { return sameName(s.name, section); });
  return firstSection != after.end() && holdsValue(*firstSection) && without(before, section, key) == without(after, section, key);
}

bool onlySectionReplaced(const Profile& before, const Profile& after, std::string_view section,
                         const std::vector<std::string>& entries) {
  const auto found = std::find_if(after.begin(), after.end(), [&](const ProfileSection& s) { return sameName(s.name, section); });
  const std::vector<std::string> held = found == after.end() ? std::vector<std::string>() : found->entries;
  return held == entries && withoutSection(before, section) == withoutSection(after, section);
}

}  // namespace qnv::settings
