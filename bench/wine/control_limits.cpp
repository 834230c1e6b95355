// What the rich-text control survives: each case streams a small document into a bare
// RichEdit in a fresh copy of this program and reports whether it was read, crashed the
// process or hung it (no answer within 30 s), with the time and the peak working set. The
// cases sit on both sides of each limit of the structural check (app/RtfCheck.h) and of
// the layout cost (app/DocumentSize.h); the figures are recorded in bench/README.md.
// Usage: bench_control_limits.exe            (prints one line per case; asserts nothing)
//        bench_control_limits.exe --load rtf|txt FILE
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ui/CodePage.h"

namespace {

std::string repeat(std::string_view piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::string row(int defined, int cells) {
  std::string r = "\\trowd";
  for (int i = 1; i <= defined; ++i) r += "\\cellx" + std::to_string(i * 100);
  return r + "\\intbl " + repeat("a\\cell ", static_cast<size_t>(cells)) + "\\row ";
}

std::string nestedRow(int defined, int cells) {
  std::string r = "\\trowd\\cellx3000\\pard\\intbl\\itap2 " + repeat("in\\nestcell ", static_cast<size_t>(cells)) +
                  "{\\*\\nesttableprops\\trowd";
  for (int i = 1; i <= defined; ++i) r += "\\cellx" + std::to_string(i * 100);
  return r + "\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\itap1 x\\cell\\row ";
}

const std::string kHeader = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}";

struct Case {
  const char* name;
  const char* format;  // "rtf" or "txt"
  std::string bytes;
};

std::vector<Case> cases() {
  const auto nested = [](int depth) { return "{\\rtf1 " + repeat("{", depth - 1) + "x" + repeat("}", depth - 1) + "}"; };
  const std::string open2 = "\\trowd\\cellx100\\cellx200\\intbl a\\cell b\\cell";
  return {
      {"groups nested 32 deep", "rtf", nested(32)},
      {"groups nested 33 deep", "rtf", nested(33)},
      {"control word of 1,030 letters", "rtf", kHeader + "\\" + repeat("a", 1030) + " x}"},
      {"control word of 1,100 letters", "rtf", kHeader + "\\" + repeat("a", 1100) + " x}"},
      {"control word of 10,000 letters", "rtf", kHeader + "\\" + repeat("a", 10000) + " x}"},
      {"parameter of 1,030 digits", "rtf", kHeader + "\\fs" + repeat("1", 1030) + " x}"},
      {"parameter of 2,000 digits", "rtf", kHeader + "\\fs" + repeat("1", 2000) + " x}"},
      {"font name of 1,030 characters", "rtf", "{\\rtf1{\\fonttbl{\\f0\\fnil " + repeat("A", 1030) + ";}}x}"},
      {"font name of 1,100 characters", "rtf", "{\\rtf1{\\fonttbl{\\f0\\fnil " + repeat("A", 1100) + ";}}x}"},
      {"style name of 1,030 characters", "rtf", "{\\rtf1{\\stylesheet{\\s1 " + repeat("S", 1030) + ";}}x}"},
      {"style name of 1,100 characters", "rtf", "{\\rtf1{\\stylesheet{\\s1 " + repeat("S", 1100) + ";}}x}"},
      {"row of 2 cells defined, 3 cells", "rtf", kHeader + row(2, 3) + "}"},
      {"row of 2 cells defined, 4 cells", "rtf", kHeader + row(2, 4) + "}"},
      {"row of 64 cells defined, 64 cells", "rtf", kHeader + row(64, 64) + "}"},
      {"row of 64 cells defined, 65 cells", "rtf", kHeader + row(64, 65) + "}"},
      {"nested row of 2 cells defined, 3 cells", "rtf", kHeader + nestedRow(2, 3) + "}"},
      {"nested row of 2 cells defined, 4 cells", "rtf", kHeader + nestedRow(2, 4) + "}"},
      {"row left open, then a new row", "rtf", kHeader + open2 + "\\pard x\\par" + row(1, 1) + "}"},
      {"cells before their row's definition", "rtf", "{\\rtf1 {\\cell }{\\cell }{\\cell }\\cellx8188\\row }"},
      {"cells in a group before their row's definition", "rtf",
       "{\\rtf1 {\\intbl {\\cell }\\cell }{\\cell }\\cellx8188\\row }"},
      {"nested cell in the main row's last defined cell", "rtf",
       kHeader + "\\trowd\\cellx100\\cellx200 \\pard\\intbl a\\cell \\pard\\itap2 x\\nestcell }"},
      {"nested cell past the main row's defined cells", "rtf",
       kHeader + "\\trowd\\cellx100 \\pard\\intbl a\\cell \\pard\\itap2 x\\nestcell }"},
      {"\\* in the middle of a group, then cells", "rtf",
       "{\\rtf1 {\\insrsid1 \\*\\qnvx \\trowd\\cellx100\\cellx200}\\intbl a\\cell b\\cell c\\cell\\cellx300\\row}"},
      {"the same without the \\*", "rtf",
       "{\\rtf1 {\\insrsid1 \\trowd\\cellx100\\cellx200}\\intbl a\\cell b\\cell c\\cell\\cellx300\\row}"},
      {"tables nested 1,000 deep", "rtf", kHeader + "\\pard\\intbl\\itap1000 x\\par}"},
      {"tables nested 32,768 deep", "rtf", kHeader + "\\pard\\intbl\\itap32768 x\\par}"},
      {"25,000 letters in one stretch", "txt", repeat("x", 25000)},
      {"50,000 letters in one stretch", "txt", repeat("x", 50000)},
      {"50,000 letters with a full stop every 5", "txt", repeat("xxxx.", 10000)},
      {"100,000 letters and blanks in one line", "txt", repeat("abcd efgh ", 10000)},
      {"25,000 digits and blanks in one line", "txt", repeat("12345 6789", 2500)},
      {"25,000 Chinese characters in one line", "txt", repeat("\xD6\xD0", 25000)},
      {"25,600 Chinese characters with punctuation", "txt",
       repeat("\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7\xB5\xDA\xD2\xBB\xD0\xD0\xA3\xAC", 3200)},
  };
}

// In the child: streams the file into a bare control (plain text in whole characters) and
// prints the time and the peak working set.
int load(const std::wstring& format, const std::wstring& file) {
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadLibraryW(L"riched20.dll");
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 50, 50, 600, 500, nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 584, 461, parent,
                              nullptr, nullptr, nullptr);
  SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  struct Cookie {
    const std::string* bytes;
    size_t pos;
    unsigned codePage;
  } cookie{&bytes, 0, format == L"txt" ? GetACP() : 0};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&cookie), 0, [](DWORD_PTR c, LPBYTE buf, LONG n, LONG* got) -> DWORD {
                  auto* k = reinterpret_cast<Cookie*>(c);
                  const std::string_view rest = std::string_view(*k->bytes).substr(k->pos);
                  size_t take = std::min<size_t>(static_cast<size_t>(n), rest.size());
                  if (k->codePage != 0 && take < rest.size()) take = qnv::ui::wholeCharacterPrefix(rest.substr(0, take), k->codePage);
                  memcpy(buf, rest.data(), take);
                  k->pos += take;
                  *got = static_cast<LONG>(take);
                  return 0;
                }};
  const auto start = std::chrono::steady_clock::now();
  SendMessageW(edit, EM_STREAMIN, format == L"txt" ? SF_TEXT : SF_RTF, reinterpret_cast<LPARAM>(&es));
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::printf("read in %.0f ms, peak %.0f MB, error %ld\n", ms, counters.PeakWorkingSetSize / 1048576.0,
              static_cast<long>(es.dwError));
  return 0;
}

std::wstring selfPath() {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (n < self.size()) return self.substr(0, n);
    self.resize(self.size() * 2);
  }
}

// Runs one case in a child process and describes what became of it.
std::string run(const Case& c, const std::filesystem::path& dir) {
  const auto file = dir / "case";
  std::ofstream(file, std::ios::binary).write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  const std::wstring self = selfPath();
  std::wstring cmd = L"\"" + self + L"\" --load " + std::wstring(c.format, c.format + 3) + L" \"" + file.wstring() + L"\"";
  STARTUPINFOW si{sizeof si};
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(self.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return "not started";
  CloseHandle(writeEnd);
  // Reads what the child says until it ends, reports a crash (the system's report of an
  // unhandled fault, or a failed assertion), or 30 s have passed.
  std::string out;
  const auto crashed = [&] { return out.find("Unhandled") != std::string::npos || out.find("Assertion") != std::string::npos; };
  const auto start = std::chrono::steady_clock::now();
  bool ended = false;
  while (!crashed() && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[512];
      DWORD got = 0;
      if (!ReadFile(readEnd, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) break;
      out.append(buffer, got);
    }
    if (ended) break;
    ended = WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0;  // one more read after the end
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(readEnd);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  if (crashed()) {
    const size_t at = out.find(out.find("Assertion") != std::string::npos ? "Assertion" : "Unhandled");
    return "CRASHED: " + out.substr(at, std::min<size_t>(out.find('\n', at), at + 60) - at);
  }
  if (!ended) return "HUNG (no answer within 30 s)";
  const size_t line = out.find("read in");
  if (code == 0 && line != std::string::npos) return out.substr(line, out.find('\n', line) - line);
  char text[64];
  std::snprintf(text, sizeof text, "CRASHED (exit code 0x%lX)", static_cast<unsigned long>(code));
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--load") return load(argv[2], argv[3]);
  const auto dir = std::filesystem::temp_directory_path() / L"qnv-control-limits";
  std::filesystem::create_directories(dir);
  for (const Case& c : cases()) std::printf("%-48s %s\n", c.name, run(c, dir).c_str());
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
