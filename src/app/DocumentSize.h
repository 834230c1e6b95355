#pragma once
// How much memory opening a document takes, most of it the rich-text control's, and whether
// this machine can give it: the rule for opening a large document, asking first, or
// refusing it.
#include <cstdint>
#include <string>
#include <string_view>

namespace qnv::app {

// What the control was measured to take under Wine 8 (bench/README.md), with a margin:
// plain text up to 136 bytes for each byte of the file (10 MB of Chinese text: 1.43 GB;
// mixed text 95),
inline constexpr uint64_t kPlainTextBytesPerFileByte = 140;
// RTF up to 84 (10 MB: 841 MB),
inline constexpr uint64_t kRtfBytesPerFileByte = 90;
// and a paragraph of n words about 5.3 n² bytes on top (a line of 20,000 words: 2.1 GB), as
// wrapping it costs time and memory in the square of its words.
inline constexpr uint64_t kBytesPerWordSquared = 6;
// The control holds at most this many characters, and the file is read into one string.
inline constexpr uint64_t kMaxDocumentFileBytes = 0x7FFFFFFE;

enum class DocumentKind { kPlainText, kRtf, kProtected };

// The memory that opening a file of `fileBytes` takes: the control's, and the program's own
// copies while it reads (the file; for a protected file also its document). `wordsSquared`
// is what the paragraphs add (plainTextWordsSquared, RtfCheckResult). A protected file's
// document is counted as plain text, which costs the most. Beyond kMaxDocumentFileBytes:
// UINT64_MAX.
uint64_t estimatedMemory(DocumentKind kind, uint64_t fileBytes, uint64_t wordsSquared = 0);

enum class SizeVerdict { kOpen, kAsk, kRefuse };

// The machine's physical memory, which decides how large a document may be opened.
struct PhysicalMemory {
  uint64_t total = 0;
  uint64_t available = 0;  // free now
};

// Opens a document that needs at most half of the physical memory free now; asks first for
// one that needs up to all of the machine's physical memory; refuses a larger one, which
// could only end in the program failing or the machine swapping for minutes.
SizeVerdict sizeVerdict(uint64_t needed, uint64_t totalPhysical, uint64_t availablePhysical);

// The largest file of this kind that is not refused on a machine with this much memory.
uint64_t largestOpenableFile(DocumentKind kind, uint64_t totalPhysical);

// For plain text: the sum over its lines of the square of their number of words.
uint64_t plainTextWordsSquared(std::string_view text);

// A size for messages: "832 字节", "10.0 KB", "10.0 MB", "1.4 GB" (units of 1024).
std::string formatByteSize(uint64_t bytes);

}  // namespace qnv::app
