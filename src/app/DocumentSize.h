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
// and a stretch of n characters without a punctuation mark, a tab or a line break up to
// 0.31 n² bytes on top (50,000 letters: 304 MB; 100,000 letters and blanks: 2.1 GB): the
// control lays such a stretch out in time and memory that grow with its square.
inline constexpr uint64_t kRunCharactersSquaredPerByte = 3;
// Stretches adding up to more than this take the control half a minute or more to lay out
// (25,000 digits and blanks: 3.5 s), however little memory they need.
inline constexpr uint64_t kSlowLayoutRunsSquared = 5'000'000'000;
// The control holds at most this many characters, and the file is read into one string.
inline constexpr uint64_t kMaxDocumentFileBytes = 0x7FFFFFFE;

// kProtected: the legacy format (the document in hexadecimal); kStrongProtected: the
// document encrypted byte for byte.
enum class DocumentKind { kPlainText, kRtf, kProtected, kStrongProtected };

// The memory that opening a file of `fileBytes` takes: the control's, and the program's own
// copies while it reads (the file; for a protected file also its document). `runsSquared`
// is what laying out the stretches of text adds (LayoutCost). A protected file's document
// is counted as plain text, which costs the most. Beyond kMaxDocumentFileBytes: UINT64_MAX.
uint64_t estimatedMemory(DocumentKind kind, uint64_t fileBytes, uint64_t runsSquared = 0);

// The machine's physical memory, which decides how large a document may be opened.
struct PhysicalMemory {
  uint64_t total = 0;
  uint64_t available = 0;  // free now
};

enum class SizeVerdict { kOpen, kAsk, kRefuse };

// Opens a document that needs at most half of the physical memory free now and lays out
// quickly; asks first for one that needs up to all of the machine's physical memory or
// lays out slowly; refuses a larger one, which could only end in the program failing or
// the machine swapping for minutes.
SizeVerdict sizeVerdict(uint64_t needed, uint64_t runsSquared, const PhysicalMemory& memory);

// The largest file of this kind that is not refused on a machine with this much memory.
uint64_t largestOpenableFile(DocumentKind kind, uint64_t totalPhysical);

// Adds up the squares of the lengths of the stretches of text between punctuation marks,
// tabs and line breaks, one character at a time.
class LayoutCost {
 public:
  void character() { ++run_; }
  void endRun();
  // The sum, the current stretch ended.
  uint64_t runsSquared();

 private:
  uint64_t run_ = 0;
  uint64_t sum_ = 0;
};

// Whether an ASCII character ends a stretch: a punctuation mark, a tab, a line break.
bool endsRun(char c);

// LayoutCost of plain text in the ANSI code page `codePage`.
uint64_t plainTextRunsSquared(std::string_view text, unsigned codePage);

// A size for messages: "832 字节", "10.0 KB", "10.0 MB", "1.4 GB" (units of 1024).
std::string formatByteSize(uint64_t bytes);

}  // namespace qnv::app
