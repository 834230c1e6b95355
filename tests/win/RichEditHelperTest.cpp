// The helper installing the OLE callback: in a real RichEdit 2.0 control, and in small probe
// controls that refuse the callback or record what they are sent.
#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <string>
#include <vector>

#include "richedit/win/RichEditHelper.h"
#include "support/WinTestSupport.h"
#include "ui/win/Handles.h"

namespace qnv::richedit {
namespace {

using richedit::OleCallback;
using richedit::RichEditHelper;

constexpr int kBoxId = 100;

// What a probe control saw of EM_SETOLECALLBACK.
struct Probe {
  LRESULT answer = 1;                // the answer to EM_SETOLECALLBACK
  std::vector<LPARAM> callbacks;     // every lParam it was sent
  IStorage* keptRoot = nullptr;      // the callback's root storage, with a reference of ours
  ULONG rootReferencesAtRevoke = 0;  // the root's count when the callback was revoked
};

LRESULT CALLBACK probeProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  auto* probe = reinterpret_cast<Probe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg != EM_SETOLECALLBACK || !probe) return DefWindowProcW(hwnd, msg, w, l);
  probe->callbacks.push_back(l);
  if (l != 0 && !probe->keptRoot) {
    // The helper hands over its own callback, so the root storage can be read from it.
    auto* callback = static_cast<OleCallback*>(reinterpret_cast<IRichEditOleCallback*>(l));
    probe->keptRoot = callback->rootStorage();
    if (probe->keptRoot) probe->keptRoot->AddRef();
  } else if (l == 0 && probe->keptRoot) {
    probe->keptRoot->AddRef();
    probe->rootReferencesAtRevoke = probe->keptRoot->Release();
  }
  return probe->answer;
}

LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  return DefWindowProcW(hwnd, msg, w, l);
}

void registerClasses() {
  static const bool done = [] {
    WNDCLASSW host{};
    host.lpfnWndProc = hostProc;
    host.hInstance = GetModuleHandleW(nullptr);
    host.lpszClassName = L"QnvOleTestHost";
    RegisterClassW(&host);
    WNDCLASSW probe{};
    probe.lpfnWndProc = probeProc;
    probe.hInstance = GetModuleHandleW(nullptr);
    probe.lpszClassName = L"QnvOleProbeBox";
    RegisterClassW(&probe);
    return true;
  }();
  (void)done;
}

// A hidden top-level window holding one control with the id kBoxId.
class Host {
 public:
  explicit Host(const wchar_t* boxClass, Probe* probe = nullptr) {
    registerClasses();
    window_ = CreateWindowExW(0, L"QnvOleTestHost", L"宿主", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    box_ = CreateWindowExW(0, boxClass, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380, 260,
                           window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBoxId)),
                           GetModuleHandleW(nullptr), nullptr);
    if (probe) SetWindowLongPtrW(box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(probe));
  }
  ~Host() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HWND window() const { return window_; }
  HWND box() const { return box_; }

 private:
  HWND window_ = nullptr;
  HWND box_ = nullptr;
};

std::string windowText(HWND box) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
  return std::string(text.begin(), text.end());  // the checks below look at ASCII only
}

TEST(RichEditHelper, AttachInstallsTheCallbackInARichEdit) {
  Host host(RICHEDIT_CLASSW);
  ASSERT_TRUE(host.box());
  RichEditHelper helper;
  EXPECT_TRUE(helper.attach(host.window(), kBoxId));
  EXPECT_EQ(helper.windowId(), host.window());
  EXPECT_EQ(helper.controlId(), kBoxId);
  EXPECT_EQ(helper.controlHandle(), host.box());
  ASSERT_NE(helper.rootStorage(), nullptr);
  EXPECT_EQ(helper.callback().rootStorage(), helper.rootStorage());
  EXPECT_GT(helper.callback().referenceCount(), 0) << "the control holds the callback";

  // The first object the control asks a storage for gets REOLEStorage1 of the root.
  ui::ComPtr<IStorage> storage;
  ASSERT_EQ(helper.callback().GetNewStorage(storage.put()), S_OK);
  STATSTG stat{};
  ASSERT_EQ(storage->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_STREQ(stat.pwcsName, L"REOLEStorage1");
  CoTaskMemFree(stat.pwcsName);
}

TEST(RichEditHelper, SecondAttachChangesNothing) {
  struct Case {
    const char* name;
    bool realControl;
    bool firstResult;
  };
  const Case cases[] = {
      {"installed in a RichEdit", true, true},
      {"refused by the control", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Probe probe;
    probe.answer = 0;
    Host host(c.realControl ? RICHEDIT_CLASSW : L"QnvOleProbeBox",
              c.realControl ? nullptr : &probe);
    Host other(RICHEDIT_CLASSW);
    RichEditHelper helper;
    EXPECT_EQ(helper.attach(host.window(), kBoxId), c.firstResult);
    IStorage* const root = helper.rootStorage();
    const std::int32_t references = helper.callback().referenceCount();
    const size_t sent = probe.callbacks.size();

    EXPECT_FALSE(helper.attach(other.window(), kBoxId + 1));
    EXPECT_EQ(helper.windowId(), host.window());
    EXPECT_EQ(helper.controlId(), kBoxId);
    EXPECT_EQ(helper.controlHandle(), host.box());
    EXPECT_EQ(helper.rootStorage(), root);
    EXPECT_EQ(helper.callback().referenceCount(), references);
    EXPECT_EQ(probe.callbacks.size(), sent) << "nothing more was sent";
    if (probe.keptRoot) probe.keptRoot->Release();
  }
}

TEST(RichEditHelper, RefusedCallbackReleasesTheRootStorageExactlyOnce) {
  Probe probe;
  probe.answer = 0;
  Host host(L"QnvOleProbeBox", &probe);
  RichEditHelper helper;
  EXPECT_FALSE(helper.attach(host.window(), kBoxId));
  ASSERT_EQ(probe.callbacks.size(), 1u);
  EXPECT_EQ(probe.callbacks[0], reinterpret_cast<LPARAM>(
                                    static_cast<IRichEditOleCallback*>(&helper.callback())));
  EXPECT_EQ(helper.rootStorage(), nullptr);
  EXPECT_EQ(helper.callback().rootStorage(), nullptr);
  EXPECT_EQ(helper.controlHandle(), host.box());

  // Only the probe's own reference is left.
  ASSERT_NE(probe.keptRoot, nullptr);
  EXPECT_EQ(probe.keptRoot->AddRef(), 2u);
  EXPECT_EQ(probe.keptRoot->Release(), 1u);
  EXPECT_EQ(probe.keptRoot->Release(), 0u);

  helper.destroy();
  EXPECT_EQ(probe.callbacks.size(), 1u) << "nothing to revoke";
}

TEST(RichEditHelper, MissingControlLetsALaterAttachTryAgain) {
  Probe probe;
  Host host(L"QnvOleProbeBox", &probe);
  RichEditHelper helper;
  EXPECT_FALSE(helper.attach(host.window(), kBoxId + 7));
  EXPECT_EQ(helper.controlHandle(), nullptr);
  EXPECT_EQ(helper.rootStorage(), nullptr);
  EXPECT_TRUE(probe.callbacks.empty());

  EXPECT_TRUE(helper.attach(host.window(), kBoxId));
  EXPECT_EQ(helper.controlHandle(), host.box());
  EXPECT_NE(helper.rootStorage(), nullptr);
  helper.destroy();
  if (probe.keptRoot) EXPECT_EQ(probe.keptRoot->Release(), 0u);
}

TEST(RichEditHelper, DestroyRevokesTheCallbackBeforeReleasingTheStorage) {
  Probe probe;
  Host host(L"QnvOleProbeBox", &probe);
  RichEditHelper helper;
  ASSERT_TRUE(helper.attach(host.window(), kBoxId));
  ASSERT_NE(probe.keptRoot, nullptr);

  helper.destroy();
  const LPARAM installed =
      reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(&helper.callback()));
  EXPECT_EQ(probe.callbacks, (std::vector<LPARAM>{installed, 0}));
  EXPECT_EQ(probe.rootReferencesAtRevoke, 2u) << "the helper still held the root when revoking";
  EXPECT_EQ(helper.rootStorage(), nullptr);
  EXPECT_EQ(probe.keptRoot->Release(), 0u) << "the helper released its reference once";

  // A late call from a control finds no storage, and a second destroy sends nothing.
  IStorage* storage = nullptr;
  EXPECT_EQ(helper.callback().GetNewStorage(&storage), E_NOINTERFACE);
  helper.destroy();
  EXPECT_EQ(probe.callbacks.size(), 2u);
}

TEST(RichEditHelper, DestroyAfterTheControlIsGoneStillReleasesTheStorage) {
  Probe probe;
  Host host(L"QnvOleProbeBox", &probe);
  RichEditHelper helper;
  ASSERT_TRUE(helper.attach(host.window(), kBoxId));
  ASSERT_NE(probe.keptRoot, nullptr);
  DestroyWindow(host.window());

  helper.destroy();
  EXPECT_EQ(probe.callbacks.size(), 1u) << "no message to a destroyed control";
  EXPECT_EQ(probe.keptRoot->Release(), 0u);
}

TEST(RichEditHelper, RichEditGivesBackItsReferencesWhenRevoked) {
  Host host(RICHEDIT_CLASSW);
  RichEditHelper helper;
  ASSERT_TRUE(helper.attach(host.window(), kBoxId));
  helper.destroy();
  EXPECT_EQ(helper.callback().referenceCount(), 0);
  DestroyWindow(host.window());
  EXPECT_EQ(helper.callback().referenceCount(), 0) << "the destroyed control made no late call";
}

struct StreamSource {
  std::string bytes;
  size_t offset = 0;
};

DWORD CALLBACK readStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t n = std::min(static_cast<size_t>(wanted), source->bytes.size() - source->offset);
  std::copy_n(source->bytes.data() + source->offset, n, buffer);
  source->offset += n;
  *got = static_cast<LONG>(n);
  return 0;
}

TEST(RichEditHelper, RtfPictureLoadsAsOneEmbeddedObject) {
  Host host(RICHEDIT_CLASSW);
  RichEditHelper helper;
  ASSERT_TRUE(helper.attach(host.window(), kBoxId));

  StreamSource source{test::readFileBytes(test::dataDir() / L"picture.rtf")};
  ASSERT_FALSE(source.bytes.empty());
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, readStream};
  SendMessageW(host.box(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  EXPECT_EQ(stream.dwError, 0u);

  ui::ComPtr<IRichEditOle> ole;
  ASSERT_TRUE(SendMessageW(host.box(), EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.put())));
  ASSERT_TRUE(ole);
  EXPECT_EQ(ole->GetObjectCount(), 1);
  const std::string text = windowText(host.box());
  EXPECT_NE(text.find("before"), std::string::npos) << text;
  EXPECT_NE(text.find("after"), std::string::npos) << text;
  ole.reset();
  helper.destroy();
}

}  // namespace
}  // namespace qnv::richedit
