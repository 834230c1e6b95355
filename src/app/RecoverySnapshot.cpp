#include "app/RecoverySnapshot.h"

#include <cstdio>

#include "app/PathNames.h"

namespace qnv::app {
namespace {

constexpr std::string_view kMarker = "qnv-snapshot";
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kIdentityDigits = 32;

void putNumber(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putText(std::string& out, std::string_view text) {
  putNumber(out, text.size(), 4);
  out.append(text);
}

// Takes fields off the front of a record; once anything is missing every later read fails.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}

  bool ok() const { return ok_; }
  std::string_view rest() const { return rest_; }

  std::uint64_t number(int bytes) {
    if (!take(static_cast<std::size_t>(bytes))) return 0;
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(taken_[i]);
    return value;
  }

  bool flag() {
    const std::uint64_t value = number(1);
    if (value > 1) ok_ = false;
    return value == 1;
  }

  std::string text() {
    const std::uint64_t size = number(4);
    if (!take(size)) return {};
    return std::string(taken_);
  }

  bool literal(std::string_view expected) { return take(expected.size()) && taken_ == expected; }

 private:
  bool take(std::uint64_t size) {
    if (!ok_ || size > rest_.size()) {
      ok_ = false;
      return false;
    }
    taken_ = rest_.substr(0, static_cast<std::size_t>(size));
    rest_.remove_prefix(static_cast<std::size_t>(size));
    return true;
  }

  std::string_view rest_;
  std::string_view taken_;
  bool ok_ = true;
};

}  // namespace

std::string snapshotBytes(const RecoverySnapshot& s) {
  std::string out;
  out.reserve(128 + s.owner.size() + s.documentPath.size() + s.displayName.size() + s.dialogName.size() +
              s.checkValue.size() + s.document.size());
  out.append(kMarker);
  putNumber(out, kVersion, 1);
  putText(out, s.owner);
  putNumber(out, s.takenAt, 8);
  putText(out, s.documentPath);
  putText(out, s.displayName);
  putNumber(out, s.savesToDocument ? 1 : 0, 1);
  putText(out, s.dialogName);
  putNumber(out, s.richText ? 1 : 0, 1);
  putNumber(out, static_cast<std::uint8_t>(s.protection), 1);
  putText(out, s.protection == SnapshotProtection::Legacy ? std::string_view(s.checkValue) : std::string_view());
  putNumber(out, s.source ? 1 : 0, 1);
  putNumber(out, s.source ? s.source->writtenAt : 0, 8);
  putNumber(out, s.source ? s.source->size : 0, 8);
  putNumber(out, s.document.size(), 8);
  out.append(s.document);
  return out;
}

std::optional<RecoverySnapshot> readSnapshot(std::string_view bytes) {
  Reader in(bytes);
  if (!in.literal(kMarker) || in.number(1) != kVersion) return std::nullopt;
  RecoverySnapshot s;
  s.owner = in.text();
  s.takenAt = in.number(8);
  s.documentPath = in.text();
  s.displayName = in.text();
  s.savesToDocument = in.flag();
  s.dialogName = in.text();
  s.richText = in.flag();
  const std::uint64_t protection = in.number(1);
  s.checkValue = in.text();
  const bool sourceKnown = in.flag();
  FileStamp stamp;
  stamp.writtenAt = in.number(8);
  stamp.size = in.number(8);
  const std::uint64_t documentSize = in.number(8);
  if (!in.ok() || documentSize != in.rest().size()) return std::nullopt;
  if (protection > static_cast<std::uint8_t>(SnapshotProtection::Strong)) return std::nullopt;
  s.protection = static_cast<SnapshotProtection>(protection);
  if (s.protection != SnapshotProtection::Legacy && !s.checkValue.empty()) return std::nullopt;
  if (!isEditorIdentity(s.owner)) return std::nullopt;
  if (sourceKnown) {
    s.source = stamp;
  } else if (stamp != FileStamp{}) {
    return std::nullopt;
  }
  s.document.assign(in.rest());
  return s;
}

bool isEditorIdentity(std::string_view text) {
  if (text.size() != kIdentityDigits) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::optional<std::string> identityOfSnapshotFile(std::string_view fileName) {
  if (fileName.size() != kIdentityDigits + kSnapshotSuffix.size() || !fileName.ends_with(kSnapshotSuffix)) {
    return std::nullopt;
  }
  const std::string_view identity = fileName.substr(0, kIdentityDigits);
  if (!isEditorIdentity(identity)) return std::nullopt;
  return std::string(identity);
}

std::string recoveryQuestion(std::string_view documentPath, const LocalMinute& t) {
  const std::string name = fileNameOf(documentPath);
  char time[64];
  std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  return "发现未保存的内容（" + (name.empty() ? std::string("未命名") : name) + "，" + time + "）。是否恢复？";
}

}  // namespace qnv::app
