// Encrypt-and-save and unlock of a 10 MB document in the real editor window, in both
// protected formats: the legacy one against the rich-edit control's own stream-out and
// stream-in of the same document, the strong one against its key derivation alone plus the
// legacy figures; and the longest time the event loop waits while they run. Prints figures;
// asserts nothing.
//
//   scripts/wine-exec build/NAME-win/bench/bench_protected.exe [megabytes] [rounds] [ascii]
//
// The document is lines of ASCII with some Chinese (or ASCII alone with a third argument).
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/StrongFormat.h"
#include "app/win/ProtectedDocument.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace {

using namespace qnv;
using namespace qnv::app;
using namespace qnv::bench;
using namespace qnv::crypto;

GapRecorder gaps;
bool asciiOnly = false;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const size_t megabytes = argc > 1 ? static_cast<size_t>(_wtoi(argv[1])) : 10;
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
  asciiOnly = argc > 3;

  const EditorProcess process;
  const std::filesystem::path folder = scratchFolder(L"protected");
  const std::filesystem::path target = folder / L"bench.qnv";

  resetAppState((folder / L"配置.ini").wstring());
  ProtectedWork& hooks = appState().protectedWork;
  hooks.processEvents = [] {
    gaps.mark();
    ui::processPendingEvents();
  };

  // Each stream-in goes into a fresh, empty editor, as the unlock at start-up does: Wine's
  // control takes far longer to delete a large document than to read one.
  std::unique_ptr<EditorWindow> window;
  const auto freshWindow = [&] {
    window.reset();
    appState().documentPath.clear();
    window = std::make_unique<EditorWindow>();
    if (!window->open(SW_SHOWNOACTIVATE)) {
      std::printf("could not open the editor window\n");
      std::exit(1);
    }
    appState().documentPath = ui::narrow(target.wstring());
    ui::processPendingEvents();
  };

  const std::string text = makeDocument(megabytes << 20, asciiOnly);
  const std::wstring password = L"密码";
  const std::string checkValue = passwordCheckValue(ui::toAnsi(password));

  freshWindow();
  auto t = Clock::now();
  window->editorBox().setContext(text);
  const double plainStreamIn = millisecondsSince(t);
  ui::processPendingEvents();

  std::vector<double> streamOut, streamIn, encrypt, unlock, plainSave, encryptGap, unlockGap, encodeGap, decodeGap;
  std::vector<double> derive, strongEncrypt, strongKeptSave, strongUnlock, strongEncryptGap, strongUnlockGap,
      strongCipher, strongDecipher;
  std::string document;
  size_t fileBytes = 0, strongFileBytes = 0;
  const auto chooseFormat = [](const char* value) { appState().settingsFile.writeSetting("加密方式", value); };
  // Times one protected save or unlock and records the longest wait for the event loop.
  const auto timed = [](std::vector<double>& times, std::vector<double>& waits, const auto& work) {
    gaps.start();
    const auto start = Clock::now();
    const bool done = work();
    times.push_back(millisecondsSince(start));
    gaps.mark();
    waits.push_back(gaps.longest);
    return done;
  };
  for (int round = 0; round < rounds; ++round) {
    // The control alone: the whole document out ...
    t = Clock::now();
    document = window->editorBox().context();
    streamOut.push_back(millisecondsSince(t));
    ui::processPendingEvents();

    // ... an ordinary save of it, for comparison ...
    t = Clock::now();
    if (!writeDocumentFile((folder / L"plain.rtf").wstring(), window->editorBox().context())) {
      std::printf("the ordinary save failed\n");
    }
    plainSave.push_back(millisecondsSince(t));

    // ... and the protected save through the routine behind the encrypt window's button.
    chooseFormat("兼容");
    if (!timed(encrypt, encryptGap, [&] { return encryptAndSave(*window, password) == PasswordVerdict::Accepted; })) {
      std::printf("encryptAndSave failed\n");
    }
    fileBytes = static_cast<size_t>(std::filesystem::file_size(target));
    ui::processPendingEvents();

    // The same bytes into an empty control, then the unlock of the protected file.
    freshWindow();
    t = Clock::now();
    window->editorBox().setContext(document);
    streamIn.push_back(millisecondsSince(t));
    ui::processPendingEvents();

    freshWindow();
    if (!timed(unlock, unlockGap, [&] { return unlockDocument(*window, password) == PasswordVerdict::Accepted; })) {
      std::printf("unlockDocument failed\n");
    }
    ui::processPendingEvents();

    // The codec's own share, with the pump the routines use.
    EventPump pump(hooks.processEvents, hooks.pumpInterval);
    gaps.start();
    const std::string file = protectedFileContent(document, checkValue, &pump);
    gaps.mark();
    encodeGap.push_back(gaps.longest);
    gaps.start();
    const auto back = decryptText(std::string_view(file).substr(kProtectedMarker.size()), checkValue, &pump);
    gaps.mark();
    decodeGap.push_back(gaps.longest);
    if (!back || *back != textUpToFirstNul(document)) std::printf("the codec did not give the document back\n");

    // The strong format: the key derivation alone, F1 (a fresh salt, so a derivation, and the
    // cipher), the unlock (a derivation and the cipher), and a save that keeps the protection
    // (the cipher only).
    t = Clock::now();
    if (!deriveStrongKey(ui::toAnsi(password), Salt{}, hooks.strongCosts, &pump)) std::printf("the derivation failed\n");
    derive.push_back(millisecondsSince(t));
    chooseFormat("强");
    std::vector<double> unused;
    if (!timed(strongEncrypt, strongEncryptGap,
               [&] { return encryptAndSave(*window, password) == PasswordVerdict::Accepted; })) {
      std::printf("strong encryptAndSave failed\n");
    }
    strongFileBytes = static_cast<size_t>(std::filesystem::file_size(target));
    // The cipher's own share: the whole file made from the document, and opened again.
    {
      const std::optional<StrongKey> key = deriveStrongKey("x", Salt{}, {1, 8, 1}, nullptr);
      t = Clock::now();
      const std::optional<std::string> sealed = strongFileContent(document, *key, Nonce{}, &pump);
      strongCipher.push_back(millisecondsSince(t));
      std::string opened(document.size(), '\0');
      std::array<std::uint8_t, kTagSize> tag{};
      std::memcpy(tag.data(), sealed->data() + sealed->size() - kTagSize, kTagSize);
      t = Clock::now();
      const bool same =
          aes256GcmDecrypt(key->key.bytes(), Nonce{}, std::string_view(*sealed).substr(0, kStrongHeaderSize),
                           std::string_view(*sealed).substr(kStrongHeaderSize, document.size()), opened.data(), tag,
                           &pump) &&
          opened == document;
      strongDecipher.push_back(millisecondsSince(t));
      if (!same) std::printf("the cipher did not give the document back\n");
    }
    freshWindow();
    if (!timed(strongUnlock, strongUnlockGap,
               [&] { return unlockDocument(*window, password) == PasswordVerdict::Accepted; })) {
      std::printf("strong unlockDocument failed\n");
    }
    ui::processPendingEvents();
    if (!timed(strongKeptSave, unused, [&] { return writeWithKeptProtection(*window, target.wstring()); })) {
      std::printf("the strong save that keeps the protection failed\n");
    }
    ui::processPendingEvents();

    std::printf("round %d: stream-out %.0f ms, encrypt-and-save %.0f ms, stream-in %.0f ms, unlock %.0f ms; "
                "strong: derivation %.0f ms, encrypt-and-save %.0f ms, unlock %.0f ms, kept save %.0f ms\n",
                round + 1, streamOut.back(), encrypt.back(), streamIn.back(), unlock.back(), derive.back(),
                strongEncrypt.back(), strongUnlock.back(), strongKeptSave.back());
  }

  std::printf("document: %zu MB of text (%zu bytes), %zu bytes as RTF; protected file %zu bytes, strong %zu bytes; "
              "%d rounds, medians\n",
              megabytes, text.size(), document.size(), fileBytes, strongFileBytes, rounds);
  std::printf("first stream-in of the plain text: %.0f ms\n", plainStreamIn);
  std::printf("control stream-out (RTF):   %8.0f ms\n", median(streamOut));
  std::printf("ordinary save (for comparison): %4.0f ms   ratio %.2f\n", median(plainSave),
              median(plainSave) / median(streamOut));
  std::printf("encrypt-and-save:           %8.0f ms   ratio %.2f (target <= 1.50)\n", median(encrypt),
              median(encrypt) / median(streamOut));
  std::printf("control stream-in (RTF):    %8.0f ms\n", median(streamIn));
  std::printf("unlock:                     %8.0f ms   ratio %.2f (target <= 1.50)\n", median(unlock),
              median(unlock) / median(streamIn));
  std::printf("longest wait for the event loop (target < 50 ms):\n");
  std::printf("  encrypt-and-save %.0f ms, unlock %.0f ms (each includes one stream call of the control)\n",
              median(encryptGap), median(unlockGap));
  std::printf("  hex encode of the document %.1f ms, decode %.1f ms (the routines' own work)\n", median(encodeGap),
              median(decodeGap));
  const double key = median(derive);
  std::printf("strong format (t %u, m %u KiB, p %u):\n", hooks.strongCosts.passes, hooks.strongCosts.memoryKiB,
              hooks.strongCosts.lanes);
  std::printf("  key derivation alone:     %8.0f ms   (target <= 1000)\n", key);
  std::printf("  encrypt-and-save (F1):    %8.0f ms   target <= %.0f (derivation + 1.2 x legacy)   ratio %.2f\n",
              median(strongEncrypt), key + 1.2 * median(encrypt), (median(strongEncrypt) - key) / median(encrypt));
  std::printf("  unlock:                   %8.0f ms   target <= %.0f (derivation + 1.2 x legacy)   ratio %.2f\n",
              median(strongUnlock), key + 1.2 * median(unlock), (median(strongUnlock) - key) / median(unlock));
  std::printf("  save keeping protection:  %8.0f ms   (no derivation; legacy encrypt-and-save %.0f ms)\n",
              median(strongKeptSave), median(encrypt));
  std::printf("  longest wait for the event loop: encrypt-and-save %.0f ms, unlock %.0f ms\n", median(strongEncryptGap),
              median(strongUnlockGap));
  std::printf("  the cipher alone (whole file, RTF bytes): encrypt %.0f ms, decrypt %.0f ms\n", median(strongCipher),
              median(strongDecipher));

  window.reset();
  ui::processPendingEvents();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
