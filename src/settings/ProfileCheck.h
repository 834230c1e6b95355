#pragma once
// Checking a settings file after the system's INI service has written one key into it: the
// service reports success even when the disk filled and the file was cut short, so the
// file is read back and compared with what it held before.
#include <string>
#include <string_view>
#include <vector>

namespace qnv::settings {

// What the INI service reads from a file: its sections in order, each with its entries
// ("key=value") as the service lists them.
struct ProfileSection {
  std::string name;
  std::vector<std::string> entries;
  bool operator==(const ProfileSection&) const = default;
};
using Profile = std::vector<ProfileSection>;

// Whether `after` holds everything `before` held, `key` of `section` aside, and that key
// holding `value`. Section names and keys compare as the INI service compares them (ASCII
// letters without regard to case); blanks around keys and values do not count.
bool onlyKeyChanged(const Profile& before, const Profile& after, std::string_view section, std::string_view key,
                    std::string_view value);

// Whether `after` holds everything `before` held outside `section`, and `section` holding
// exactly `entries` (no section at all when there are none).
bool onlySectionReplaced(const Profile& before, const Profile& after, std::string_view section,
                         const std::vector<std::string>& entries);

}  // namespace qnv::settings
