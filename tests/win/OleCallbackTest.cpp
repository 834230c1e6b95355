// The OLE callback called as a RichEdit control calls it: through its interface, with the
// real compound-file storage and with a small fake storage where a failure is needed.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "richedit/win/ComPointer.h"
#include "richedit/win/OleCallback.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::richedit {
namespace {

using richedit::ComPointer;
using richedit::kObjectStorageMode;
using richedit::OleCallback;

// A storage that records what CreateStorage is asked for and answers with `result`.
// Every other method is unused here.
class FakeStorage final : public IStorage {
 public:
  struct Request {
    std::wstring name;
    DWORD mode;
    DWORD reserved1;
    DWORD reserved2;
    IStorage** out;
  };

  HRESULT result = S_OK;
  std::vector<Request> requests;
  LONG references = 1;

  STDMETHODIMP QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

  STDMETHODIMP CreateStorage(const OLECHAR* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                             IStorage** out) override {
    requests.push_back({name ? name : L"", mode, reserved1, reserved2, out});
    if (out) *out = nullptr;
    return result;
  }

  STDMETHODIMP CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
  STDMETHODIMP MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Commit(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Revert() override { return E_NOTIMPL; }
  STDMETHODIMP EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) override { return E_NOTIMPL; }
  STDMETHODIMP DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
  STDMETHODIMP RenameElement(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                               const FILETIME*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP SetClass(REFCLSID) override { return E_NOTIMPL; }
  STDMETHODIMP SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
};

// The names of the storages directly under `storage`.
std::set<std::wstring> storageNames(IStorage* storage) {
  std::set<std::wstring> names;
  ui::ComPtr<IEnumSTATSTG> elements;
  if (FAILED(storage->EnumElements(0, nullptr, 0, elements.put()))) return names;
  STATSTG stat{};
  while (elements->Next(1, &stat, nullptr) == S_OK) {
    if (stat.type == STGTY_STORAGE && stat.pwcsName) names.insert(stat.pwcsName);
    CoTaskMemFree(stat.pwcsName);
    stat = STATSTG{};
  }
  return names;
}

void* const kUntouched = reinterpret_cast<void*>(0x5A5A5A5A);

TEST(OleCallback, QueryInterfaceAnswersOnlyItsTwoInterfaces) {
  struct Case {
    const char* name;
    const IID& iid;
    HRESULT result;
    std::int32_t countAfter;
  };
  const Case cases[] = {
      {"IUnknown", IID_IUnknown, S_OK, 1},
      {"IRichEditOleCallback", IID_IRichEditOleCallback, S_OK, 1},
      {"IOleObject", IID_IOleObject, E_NOINTERFACE, 0},
      {"IRichEditOle", IID_IRichEditOle, E_NOINTERFACE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OleCallback callback;
    IRichEditOleCallback* asControlSeesIt = &callback;
    void* object = kUntouched;
    EXPECT_EQ(asControlSeesIt->QueryInterface(c.iid, &object), c.result);
    EXPECT_EQ(object, c.result == S_OK ? static_cast<void*>(asControlSeesIt) : nullptr);
    EXPECT_EQ(callback.referenceCount(), c.countAfter);
  }
}

TEST(OleCallback, CountsReferencesWithoutLowerBoundAndKeepsAnswering) {
  OleCallback callback;
  IRichEditOleCallback* cb = &callback;
  EXPECT_EQ(cb->AddRef(), 1u);
  EXPECT_EQ(cb->Release(), 0u);
  EXPECT_EQ(static_cast<LONG>(cb->Release()), -1);
  EXPECT_EQ(callback.referenceCount(), -1);

  // Still alive and answering after the count went below zero.
  void* object = nullptr;
  EXPECT_EQ(cb->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<void*>(cb));
  EXPECT_EQ(callback.referenceCount(), 0);
  EXPECT_EQ(cb->ShowContainerUI(TRUE), S_OK);
}

TEST(OleCallback, NewStoragesAreNumberedSubStoragesOfTheRoot) {
  ui::ComPtr<IStorage> root;
  ASSERT_EQ(StgCreateDocfile(nullptr, kObjectStorageMode | STGM_DELETEONRELEASE, 0, root.put()),
            S_OK);
  OleCallback callback;
  callback.setRootStorage(root.get());
  IRichEditOleCallback* cb = &callback;

  const std::wstring expected[] = {L"REOLEStorage1", L"REOLEStorage2", L"REOLEStorage3"};
  for (const std::wstring& name : expected) {
    SCOPED_TRACE(ui::narrow(name));
    ui::ComPtr<IStorage> storage;
    ASSERT_EQ(cb->GetNewStorage(storage.put()), S_OK);
    ASSERT_TRUE(storage);
    STATSTG stat{};
    ASSERT_EQ(storage->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(std::wstring(stat.pwcsName ? stat.pwcsName : L""), name);
    CoTaskMemFree(stat.pwcsName);
    // The storage reports how it is open: transacted, exclusive, read-write. STGM_CREATE only
    // says what to do with an existing element and is not part of it (the exact mode
    // requested is checked with the fake storage below).
    EXPECT_EQ(stat.grfMode, kObjectStorageMode & ~DWORD{STGM_CREATE});
  }
  EXPECT_EQ(storageNames(root.get()),
            std::set<std::wstring>(std::begin(expected), std::end(expected)));
  EXPECT_EQ(callback.storageCount(), 3);
  EXPECT_EQ(callback.referenceCount(), 0) << "storage requests do not touch the count";
}

TEST(OleCallback, FailedCreationIsReturnedAndStillUsesUpItsNumber) {
  FakeStorage root;
  OleCallback callback;
  callback.setRootStorage(&root);
  IRichEditOleCallback* cb = &callback;

  IStorage* storage = nullptr;
  root.result = STG_E_INSUFFICIENTMEMORY;
  EXPECT_EQ(cb->GetNewStorage(&storage), STG_E_INSUFFICIENTMEMORY);
  root.result = S_OK;
  EXPECT_EQ(cb->GetNewStorage(&storage), S_OK);

  ASSERT_EQ(root.requests.size(), 2u);
  const wchar_t* names[] = {L"REOLEStorage1", L"REOLEStorage2"};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(root.requests[i].name, names[i]);
    EXPECT_EQ(root.requests[i].mode, 0x00011012u);
    EXPECT_EQ(root.requests[i].reserved1, 0u);
    EXPECT_EQ(root.requests[i].reserved2, 0u);
    EXPECT_EQ(root.requests[i].out, &storage) << "the control's out-value is passed through";
  }
  EXPECT_EQ(callback.storageCount(), 2);
  EXPECT_EQ(root.references, 1) << "the callback takes and drops no reference of the root";
}

TEST(OleCallback, WithoutRootStorageThereIsNoInterfaceButTheNumberIsUsed) {
  OleCallback callback;
  IRichEditOleCallback* cb = &callback;
  IStorage* storage = reinterpret_cast<IStorage*>(kUntouched);
  EXPECT_EQ(cb->GetNewStorage(&storage), E_NOINTERFACE);
  EXPECT_EQ(storage, nullptr);
  EXPECT_EQ(callback.storageCount(), 1);

  FakeStorage root;
  callback.setRootStorage(&root);
  EXPECT_EQ(cb->GetNewStorage(&storage), S_OK);
  ASSERT_EQ(root.requests.size(), 1u);
  EXPECT_EQ(root.requests[0].name, L"REOLEStorage2");
}

TEST(OleCallback, LeavesClipboardDragAndMenusToTheControl) {
  OleCallback callback;
  IRichEditOleCallback* cb = &callback;
  CHARRANGE range{0, 5};

  LPDATAOBJECT data = static_cast<LPDATAOBJECT>(kUntouched);
  EXPECT_EQ(cb->GetClipboardData(&range, RECO_COPY, &data), E_NOINTERFACE);
  EXPECT_EQ(data, kUntouched) << "GetClipboardData writes no data object";

  for (DWORD given : {DWORD{DROPEFFECT_NONE}, DWORD{DROPEFFECT_COPY | DROPEFFECT_MOVE},
                      DWORD{DROPEFFECT_LINK}}) {
    SCOPED_TRACE(given);
    DWORD effect = given;
    EXPECT_EQ(cb->GetDragDropEffect(TRUE, MK_CONTROL, &effect), S_OK);
    EXPECT_EQ(effect, given);
  }

  HMENU menu = static_cast<HMENU>(kUntouched);
  EXPECT_EQ(cb->GetContextMenu(SEL_TEXT, nullptr, &range, &menu), S_OK);
  EXPECT_EQ(menu, kUntouched) << "GetContextMenu supplies no menu";
}

TEST(OleCallback, InPlaceContextHasNoFrameAndNoDocumentWindow) {
  OleCallback callback;
  IRichEditOleCallback* cb = &callback;
  LPOLEINPLACEFRAME frame = static_cast<LPOLEINPLACEFRAME>(kUntouched);
  LPOLEINPLACEUIWINDOW document = static_cast<LPOLEINPLACEUIWINDOW>(kUntouched);
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof info;
  info.hwndFrame = static_cast<HWND>(kUntouched);
  EXPECT_EQ(cb->GetInPlaceContext(&frame, &document, &info), S_OK);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(info.hwndFrame, kUntouched) << "the frame information is not written";
  EXPECT_EQ(cb->GetInPlaceContext(nullptr, nullptr, nullptr), S_OK);
}

TEST(OleCallback, AcceptsEveryObjectAndDataFormat) {
  OleCallback callback;
  IRichEditOleCallback* cb = &callback;
  CLSID clsid = CLSID_NULL;
  CLIPFORMAT format = CF_DIB;
  struct Case {
    const char* name;
    HRESULT result;
  };
  const Case cases[] = {
      {"ShowContainerUI", cb->ShowContainerUI(FALSE)},
      {"QueryInsertObject", cb->QueryInsertObject(&clsid, nullptr, 3)},
      {"DeleteObject", cb->DeleteObject(nullptr)},
      {"QueryAcceptData", cb->QueryAcceptData(nullptr, &format, RECO_PASTE, TRUE, nullptr)},
      {"ContextSensitiveHelp", cb->ContextSensitiveHelp(TRUE)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, S_OK) << c.name;
  EXPECT_EQ(format, CF_DIB) << "the proposed format is kept";
  EXPECT_EQ(callback.referenceCount(), 0);
}

TEST(OleComPointer, CallsNothingUntilAskedAndReleasesOnce) {
  FakeStorage storage;
  {
    ComPointer pointer;
    EXPECT_FALSE(pointer.attach(nullptr));
    IStorage* out = reinterpret_cast<IStorage*>(kUntouched);
    EXPECT_EQ(pointer.createStorage("x", kObjectStorageMode, 0, 0, &out), E_NOINTERFACE);
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(pointer.release(), 0u);

    EXPECT_TRUE(pointer.attach(&storage));
    ComPointer copy = pointer;
    EXPECT_EQ(copy.target(), &storage);
  }
  EXPECT_EQ(storage.references, 1) << "attaching, copying and discarding call nothing";

  storage.references = 2;
  ComPointer pointer;
  pointer.attach(&storage);
  EXPECT_EQ(pointer.release(), 1u);
  EXPECT_EQ(pointer.target(), &storage) << "the target keeps its value after release";
  EXPECT_EQ(storage.references, 1);
}

TEST(OleComPointer, StorageNamesAreConvertedFromTheAnsiCodePage) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the Chinese ANSI code page, have " << GetACP();
  FakeStorage storage;
  ComPointer pointer;
  pointer.attach(&storage);
  IStorage* out = nullptr;
  // "对象1" in GBK.
  EXPECT_EQ(pointer.createStorage("\xB6\xD4\xCF\xF3" "1", 0x10, 7, 9, &out), S_OK);
  ASSERT_EQ(storage.requests.size(), 1u);
  EXPECT_EQ(storage.requests[0].name, L"对象1");
  EXPECT_EQ(storage.requests[0].mode, 0x10u);
  EXPECT_EQ(storage.requests[0].reserved1, 7u);
  EXPECT_EQ(storage.requests[0].reserved2, 9u);
}

}  // namespace
}  // namespace qnv::richedit
