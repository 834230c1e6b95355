#include <gtest/gtest.h>

#include "support/ScriptedPrompts.h"
#include "support/WinTestSupport.h"
#include "ui/win/Window.h"

namespace qnv::ui {
namespace {

class ProbeWindow : public ui::Window {
 public:
  bool allowClose = true;
  int closeQueries = 0;
  bool destroyed = false;
  std::function<void()> whenShown;

 protected:
  bool onCloseQuery() override {
    ++closeQueries;
    return allowClose;
  }
  void onDestroy() override { destroyed = true; }
  LRESULT handleMessage(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_SHOWWINDOW && w && whenShown) {
      PostMessageW(hwnd(), WM_APP, 0, 0);
    }
    if (msg == WM_APP && whenShown) {
      auto f = std::move(whenShown);
      f();
      return 0;
    }
    return Window::handleMessage(msg, w, l);
  }
};

TEST(Window, CloseQueryCanRefuse) {
  ProbeWindow w;
  ASSERT_TRUE(w.create({L"探针", 10, 10, 200, 100}));
  w.allowClose = false;
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(w.isAlive());
  w.allowClose = true;
  w.close();
  EXPECT_TRUE(test::pumpUntil([&] { return !w.isAlive(); }));
  EXPECT_EQ(w.closeQueries, 2);
  EXPECT_TRUE(w.destroyed);
}

TEST(Window, ModalLoadDisablesTheOtherWindowsUntilClosed) {
  ProbeWindow owner;
  ASSERT_TRUE(owner.create({L"主窗口", 10, 10, 300, 200}));
  ShowWindow(owner.hwnd(), SW_SHOW);
  bool ownerEnabledDuring = true;
  ProbeWindow modal;
  modal.whenShown = [&] {
    ownerEnabledDuring = IsWindowEnabled(owner.hwnd());
    EXPECT_EQ(ui::kDefaultMessageCaption, L"信息：");
    modal.close();
  };
  modal.runModal({L"模态", 50, 50, 252, 50});
  EXPECT_FALSE(ownerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  EXPECT_FALSE(modal.isAlive());
}

}  // namespace
}  // namespace qnv::ui
