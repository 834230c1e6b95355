#pragma once
// Splitting the program's command line into arguments, and the document path it names.
#include <string>
#include <string_view>
#include <vector>

namespace qnv::app {

// Splits a whole command line (UTF-8, program name first) into the arguments after the
// program's name. The name ends at its closing quote when quoted, else at the first
// character below "!". Arguments are separated by runs of characters below "!"; one that
// begins with a double quote runs to the next double quote (or the end) without the
// quotes; any other ends at a double quote or a character below "!". Multi-byte
// characters are never split.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The last argument, or empty text when there is none.
std::string documentPathFrom(std::string_view commandLine);

}  // namespace qnv::app
