#include <gtest/gtest.h>

#include "app/DocumentSize.h"

namespace qnv::app {
namespace {

constexpr uint64_t kMiB = 1 << 20, kGiB = uint64_t{1} << 30;

TEST(DocumentSize, TheControlsMemoryGrowsWithTheFileAndTheSquaresOfItsStretchesOfText) {
  EXPECT_EQ(estimatedMemory(DocumentKind::kPlainText, 10 * kMiB), 141 * 10 * kMiB);
  EXPECT_EQ(estimatedMemory(DocumentKind::kRtf, 10 * kMiB), 91 * 10 * kMiB);
  // A protected file of 2n + 13 bytes holds n bytes of document, counted as plain text.
  EXPECT_EQ(estimatedMemory(DocumentKind::kProtected, 20 * kMiB), 140 * 10 * kMiB + 30 * kMiB);
  // The strong format holds the document byte for byte.
  EXPECT_EQ(estimatedMemory(DocumentKind::kStrongProtected, 10 * kMiB), 142 * 10 * kMiB);
  EXPECT_EQ(estimatedMemory(DocumentKind::kPlainText, 100, 30000ull * 30000), 141 * 100 + 30000ull * 30000 / 3);
  EXPECT_EQ(estimatedMemory(DocumentKind::kPlainText, kMaxDocumentFileBytes + 1), UINT64_MAX);
  EXPECT_EQ(estimatedMemory(DocumentKind::kRtf, 1, UINT64_MAX), 91 + UINT64_MAX / 3);
}

TEST(DocumentSize, Verdicts) {
  const PhysicalMemory machine{16 * kGiB, 8 * kGiB};
  struct Case {
    uint64_t needed, runsSquared;
    PhysicalMemory memory;
    SizeVerdict verdict;
  } cases[] = {
      {1 * kGiB, 0, machine, SizeVerdict::kOpen},
      {4 * kGiB, kSlowLayoutRunsSquared, machine, SizeVerdict::kOpen},
      {4 * kGiB + 1, 0, machine, SizeVerdict::kAsk},
      {1 * kGiB, kSlowLayoutRunsSquared + 1, machine, SizeVerdict::kAsk},
      {16 * kGiB, 0, machine, SizeVerdict::kAsk},
      {16 * kGiB + 1, 0, machine, SizeVerdict::kRefuse},
      {0, 0, {0, 0}, SizeVerdict::kOpen},
      {UINT64_MAX, 0, {UINT64_MAX, UINT64_MAX}, SizeVerdict::kAsk},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sizeVerdict(c.needed, c.runsSquared, c.memory), c.verdict) << c.needed << " of " << c.memory.total;
  }
}

TEST(DocumentSize, LargestOpenableFile) {
  for (const DocumentKind kind : {DocumentKind::kPlainText, DocumentKind::kRtf, DocumentKind::kProtected,
                                  DocumentKind::kStrongProtected}) {
    for (const uint64_t total : {uint64_t{0}, uint64_t{1000}, 16 * kGiB, uint64_t{UINT64_MAX}}) {
      const uint64_t largest = largestOpenableFile(kind, total);
      EXPECT_LE(estimatedMemory(kind, largest), total);
      if (largest < kMaxDocumentFileBytes) EXPECT_GT(estimatedMemory(kind, largest + 1), total);
    }
  }
  EXPECT_EQ(largestOpenableFile(DocumentKind::kPlainText, 16 * kGiB), 16 * kGiB / 141);
}

TEST(DocumentSize, StretchesOfPlainText) {
  struct Case {
    const char* name;
    std::string text;
    unsigned codePage;
    uint64_t runsSquared;
  } cases[] = {
      {"empty", "", 936, 0},
      {"blanks do not end a stretch", "two words", 936, 81},
      {"lines, tabs and punctuation do", "ab\r\ncd\tef,g.h-ij", 936, 4 + 4 + 4 + 1 + 1 + 4},
      {"double-byte characters count one each", "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7", 936, 16},
      {"full-width punctuation ends a stretch", "\xD6\xD0\xA3\xAC\xCE\xC4\xA1\xA3", 936, 1 + 1},
      {"a lone lead byte at the end", "ab\xD6", 936, 9},
      {"a single-byte code page", "\xD6\xD0\xA3\xAC", 1252, 16},
  };
  for (const Case& c : cases) EXPECT_EQ(plainTextRunsSquared(c.text, c.codePage), c.runsSquared) << c.name;
}

TEST(DocumentSize, SizesForMessages) {
  struct Case {
    uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 字节"}, {1023, "1023 字节"}, {1024, "1.0 KB"}, {10 * kMiB, "10.0 MB"},
      {1536 * kMiB, "1.5 GB"}, {UINT64_MAX, "16777216.0 TB"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatByteSize(c.bytes), c.text);
}

}  // namespace
}  // namespace qnv::app
