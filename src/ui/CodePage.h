#pragma once
// The lead-byte rule of the double-byte ANSI code pages, for cutting byte strings in the
// system code page without splitting a character.
#include <cstddef>
#include <string_view>

namespace qnv::ui {

// Whether `byte` starts a two-byte character in `codePage`: 932 (Japanese), 936 (Simplified
// Chinese, GBK), 949 (Korean), 950 (Traditional Chinese) and 1361 (Johab). Never for the
// single-byte code pages.
bool isLeadByte(unsigned codePage, unsigned char byte);

// Whether a two-byte character with this lead byte is a punctuation mark or a symbol: the
// code page's rows of symbols (936: A1-A9, 950: A1-A3, 949: A1-AC, 932: 81-84).
bool isSymbolLeadByte(unsigned codePage, unsigned char lead);

// The length of the longest prefix of `bytes` that ends between two characters, for bytes
// that begin at a character boundary; all of `bytes` when the last character is complete.
// A lead byte with nothing after it is the only thing cut off.
std::size_t wholeCharacterPrefix(std::string_view bytes, unsigned codePage);

}  // namespace qnv::ui
