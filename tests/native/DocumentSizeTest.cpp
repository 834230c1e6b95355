#include <gtest/gtest.h>

#include "app/DocumentSize.h"

namespace qnv::app {
namespace {

constexpr uint64_t kMiB = 1 << 20, kGiB = uint64_t{1} << 30;

TEST(DocumentSize, TheControlsMemoryGrowsWithTheFileAndTheWordsOfEachParagraph) {
  EXPECT_EQ(estimatedMemory(DocumentKind::kPlainText, 10 * kMiB), 141 * 10 * kMiB);
  EXPECT_EQ(estimatedMemory(DocumentKind::kRtf, 10 * kMiB), 91 * 10 * kMiB);
  // A protected file of 2n + 13 bytes holds n bytes of document, counted as plain text.
  EXPECT_EQ(estimatedMemory(DocumentKind::kProtected, 20 * kMiB), 140 * 10 * kMiB + 30 * kMiB);
  EXPECT_EQ(estimatedMemory(DocumentKind::kPlainText, 100, 20000ull * 20000), 141 * 100 + 6 * 20000ull * 20000);
  EXPECT_EQ(estimatedMemory(DocumentKind::kPlainText, kMaxDocumentFileBytes + 1), UINT64_MAX);
  EXPECT_EQ(estimatedMemory(DocumentKind::kRtf, 1, UINT64_MAX), UINT64_MAX);
}

TEST(DocumentSize, Verdicts) {
  struct Case {
    uint64_t needed, total, available;
    SizeVerdict verdict;
  } cases[] = {
      {1 * kGiB, 16 * kGiB, 8 * kGiB, SizeVerdict::kOpen},
      {4 * kGiB, 16 * kGiB, 8 * kGiB, SizeVerdict::kOpen},
      {4 * kGiB + 1, 16 * kGiB, 8 * kGiB, SizeVerdict::kAsk},
      {16 * kGiB, 16 * kGiB, 8 * kGiB, SizeVerdict::kAsk},
      {16 * kGiB + 1, 16 * kGiB, 8 * kGiB, SizeVerdict::kRefuse},
      {0, 0, 0, SizeVerdict::kOpen},
      {UINT64_MAX, UINT64_MAX, UINT64_MAX, SizeVerdict::kAsk},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sizeVerdict(c.needed, c.total, c.available), c.verdict) << c.needed << " of " << c.total;
  }
}

TEST(DocumentSize, LargestOpenableFile) {
  for (const DocumentKind kind : {DocumentKind::kPlainText, DocumentKind::kRtf, DocumentKind::kProtected}) {
    for (const uint64_t total : {uint64_t{0}, uint64_t{1000}, 16 * kGiB, uint64_t{UINT64_MAX}}) {
      const uint64_t largest = largestOpenableFile(kind, total);
      EXPECT_LE(estimatedMemory(kind, largest), total);
      if (largest < kMaxDocumentFileBytes) EXPECT_GT(estimatedMemory(kind, largest + 1), total);
    }
  }
  EXPECT_EQ(largestOpenableFile(DocumentKind::kPlainText, 16 * kGiB), 16 * kGiB / 141);
}

TEST(DocumentSize, WordsSquaredOfPlainText) {
  struct Case {
    const char* text;
    uint64_t wordsSquared;
  } cases[] = {
      {"", 0}, {"word", 1}, {"two words", 4}, {"a b c\r\nd e", 9 + 4}, {"a\n\n\nb", 2},
      {"\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7", 1}, {"tab\tseparated", 4}, {" ", 4},
  };
  for (const Case& c : cases) EXPECT_EQ(plainTextWordsSquared(c.text), c.wordsSquared) << c.text;
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
