// Timed scenarios of the application shell under Wine, each beside the yardstick it is
// measured against, in one run:
//   open a 10 MB plain-text and RTF document   vs the control's own stream-in of the bytes
//   save them                                   vs the control's stream-out plus a plain file write
//   start-up to a shown, empty window           vs a minimal program showing a RichEdit
//   peak working set while opening them         vs a bare control streaming the same bytes
// Usage: bench_shell.exe QNV_EXE MINIMAL_EXE   (prints figures; asserts nothing)
// The peak working set is the process's own, so each opening whose memory is measured runs
// in a fresh copy of this program: bench_shell.exe --peak editor|control txt|rtf FILE.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "settings/win/SettingsFile.h"
#include "ui/CodePage.h"
#include "ui/win/Text.h"
#include "ui/win/Handles.h"
#include "ui/win/Prompts.h"

namespace {

// The benchmark's own settings file.
std::wstring& settingsPath() {
  static std::wstring path;
  return path;
}

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// 10 MB of GBK text in lines, as plain text and as RTF.
std::string plainDocument() {
  const std::string line = "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7 The quick brown fox jumps over the lazy dog 0123456789\r\n";
  std::string text;
  text.reserve(10u << 20);
  while (text.size() + line.size() <= (10u << 20)) text += line;
  return text;
}

std::string rtfDocument() {
  const std::string line = "\\b \\'d6\\'d0\\'ce\\'c4\\b0  The quick brown fox jumps over the lazy dog 0123456789\\par\r\n";
  std::string text = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n";
  while (text.size() + line.size() + 1 <= (10u << 20)) text += line;
  return text + "}";
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The control alone: a bare RichEdit in a bare window.
struct BareControl {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 50, 50, 600, 500, nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 584, 461, parent,
                              nullptr, nullptr, nullptr);
  BareControl() {
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // The editor's default character format without a settings file, for a like-for-like yardstick.
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR;
    lstrcpyW(cf.szFaceName, L"微软雅黑");
    cf.yHeight = 11 * 20;
    cf.crTextColor = 0xFFFFFF;
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    ShowWindow(parent, SW_SHOWNOACTIVATE);
  }
  ~BareControl() { DestroyWindow(parent); }
  // Plain text goes in whole characters, as the editor hands it over: split characters
  // garble the text, and the control then lays out something else.
  void streamIn(const std::string& bytes, UINT format) const {
    struct Cookie {
      const std::string* bytes;
      size_t pos;
      unsigned codePage;
    } cookie{&bytes, 0, format == SF_TEXT ? GetACP() : 0};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&cookie), 0, [](DWORD_PTR c, LPBYTE buf, LONG n, LONG* got) -> DWORD {
                    auto* k = reinterpret_cast<Cookie*>(c);
                    size_t take = std::min<size_t>(static_cast<size_t>(n), k->bytes->size() - k->pos);
                    if (k->codePage != 0 && take < k->bytes->size() - k->pos) {
                      take = qnv::ui::wholeCharacterPrefix(std::string_view(*k->bytes).substr(k->pos, take), k->codePage);
                    }
                    memcpy(buf, k->bytes->data() + k->pos, take);
                    k->pos += take;
                    *got = static_cast<LONG>(take);
                    return 0;
                  }};
    SendMessageW(edit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  }
  std::string streamOut(UINT format) const {
    std::string out;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, [](DWORD_PTR c, LPBYTE buf, LONG n, LONG* done) -> DWORD {
                    reinterpret_cast<std::string*>(c)->append(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
                    *done = n;
                    return 0;
                  }};
    SendMessageW(edit, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
    return out;
  }
};

// Answers Yes (open a large document all the same) and cancels every dialog.
struct NoPrompts final : qnv::ui::Prompts {
  qnv::ui::MessageAnswer message(std::wstring_view, std::wstring_view, qnv::ui::MessageButtons buttons) override {
    return buttons == qnv::ui::MessageButtons::YesNo ? qnv::ui::MessageAnswer::Yes : qnv::ui::MessageAnswer::Ok;
  }
  bool saveFileName(qnv::ui::SaveDialogValues&) override { return false; }
  bool chooseFont(qnv::ui::FontDialogValues&) override { return false; }
  bool chooseColour(uint32_t&) override { return false; }
  bool openFileName(qnv::ui::FileDialogValues&) override { return false; }
  HDC choosePrinter() override { return nullptr; }
  void exitProcess(int) override {}
};

double peakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

// In a fresh process: opens the file in the editor, or streams it into a bare control, and
// prints the peak working set in MB.
int measurePeak(const std::wstring& who, const std::wstring& kind, const std::wstring& file) {
  const UINT format = kind == L"rtf" ? SF_RTF : SF_TEXT;
  if (who == L"control") {
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    BareControl bare;
    bare.streamIn(bytes, format);
    pump();
  } else {
    qnv::app::appState().documentPath = qnv::ui::narrow(file);
    qnv::app::EditorWindow window;
    window.open(SW_SHOWNOACTIVATE);
    pump();
  }
  std::printf("%.1f\n", peakWorkingSetMb());
  return 0;
}

// Runs this program again to measure one peak; -1 when it failed.
double peakOfChild(const std::wstring& who, const std::wstring& kind, const std::filesystem::path& file) {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (n < self.size()) {
      self.resize(n);
      break;
    }
    self.resize(self.size() * 2);
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring cmd = L"\"" + self + L"\" --peak " + who + L" " + kind + L" \"" + file.wstring() + L"\"";
  STARTUPINFOW si{sizeof si};
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(self.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  std::string out;
  char buffer[256];
  DWORD got = 0;
  while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(readEnd);
  if (!started) return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return out.empty() ? -1 : std::atof(out.c_str());
}

// Peak working set of opening the document against the bare control streaming the same
// bytes; the target is the control's own peak plus twice the document.
void memoryScenario(const char* name, const std::wstring& kind, const std::string& bytes, const std::filesystem::path& dir) {
  const auto path = dir / (std::string("peak-") + name);
  writeFile(path, bytes);
  const size_t documentBytes = bytes.size();
  const double control = peakOfChild(L"control", kind, path);
  const double editor = peakOfChild(L"editor", kind, path);
  const double document = static_cast<double>(documentBytes) / (1 << 20);
  std::printf("peak open %-4s 10 MB: %8.0f MB   bare control %6.0f MB   editor's own %5.0f MB = %.1fx the document "
              "(target <= control + 2x the document: %s)\n",
              name, editor, control, editor - control, (editor - control) / document,
              editor <= control + 2 * document ? "met" : "not met");
}

void documentScenario(const char* name, const std::string& bytes, UINT format, const std::filesystem::path& dir) {
  const auto path = dir / (std::string("doc-") + name);
  writeFile(path, bytes);

  double controlIn, controlOutAndWrite;
  {
    BareControl bare;
    auto t = Clock::now();
    bare.streamIn(bytes, format);
    controlIn = msSince(t);
    t = Clock::now();
    const std::string out = bare.streamOut(SF_RTF);
    writeFile(dir / "plain-write.tmp", out);
    controlOutAndWrite = msSince(t);
  }

  double open, save;
  double phases[3] = {};
  {
    qnv::app::resetAppState(settingsPath());
    qnv::app::appState().documentPath = path.string();
    qnv::app::EditorWindow window;
    auto t = Clock::now();
    window.open(SW_SHOWNOACTIVATE);
    pump();
    open = msSince(t);
    t = Clock::now();
    qnv::app::saveDocument(window);
    save = msSince(t);
  }
  std::printf("open %-4s 10 MB: %8.0f ms   control stream-in %8.0f ms   ratio %.2f (target <= 1.2)\n", name, open,
              controlIn, open / controlIn);
  std::printf("save %-4s 10 MB: %8.0f ms   stream-out + write %6.0f ms   ratio %.2f (target <= 1.2)\n", name, save,
              controlOutAndWrite, save / controlOutAndWrite);
}

// Starts a program and measures until it shows a visible top-level window.
double startUpMs(const std::wstring& exe, const std::wstring& folder) {
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  const auto t = Clock::now();
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) return -1;
  double ms = -1;
  while (msSince(t) < 20000) {
    struct S {
      DWORD pid;
      bool found;
    } s{pi.dwProcessId, false};
    EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
          auto* s = reinterpret_cast<S*>(l);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == s->pid && IsWindowVisible(h)) s->found = true;
          return !s->found;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      ms = msSince(t);
      break;
    }
    Sleep(1);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return ms;
}

double medianStartUp(const std::wstring& exe, const std::wstring& folder) {
  double runs[5];
  for (double& r : runs) r = startUpMs(exe, folder);
  std::sort(std::begin(runs), std::end(runs));
  return runs[2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  qnv::ui::OleInit ole;
  LoadLibraryW(L"riched20.dll");
  const auto dir = std::filesystem::temp_directory_path() / L"qnv-bench-shell";
  std::filesystem::create_directories(dir);
  settingsPath() = (dir / L"配置.ini").wstring();
  NoPrompts prompts;
  qnv::ui::setPrompts(&prompts);
  if (argc == 5 && std::wstring(argv[1]) == L"--peak") {
    qnv::app::resetAppState(settingsPath());
    return measurePeak(argv[2], argv[3], argv[4]);
  }

  const std::string plain = plainDocument(), rtf = rtfDocument();
  documentScenario("txt", plain, SF_TEXT, dir);
  documentScenario("rtf", rtf, SF_RTF, dir);
  memoryScenario("txt", L"txt", plain, dir);
  memoryScenario("rtf", L"rtf", rtf, dir);

  if (argc > 2) {
    // Fresh copies in one folder, so that the editor finds no settings file.
    const auto qnvCopy = dir / L"qnv.exe", minimalCopy = dir / L"minimal.exe";
    std::filesystem::copy_file(argv[1], qnvCopy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(argv[2], minimalCopy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(dir / L"配置.ini");
    const double editor = medianStartUp(qnvCopy.wstring(), dir.wstring());
    const double minimal = medianStartUp(minimalCopy.wstring(), dir.wstring());
    std::printf("start-up to a shown window (median of 5): qnv %6.0f ms   minimal RichEdit program %6.0f ms   ratio %.2f (target <= 1.5)\n",
                editor, minimal, editor / minimal);
  }
  qnv::ui::setPrompts(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
