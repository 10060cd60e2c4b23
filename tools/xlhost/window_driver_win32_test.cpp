#include "tools/xlhost/window_driver_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orra::xlhost {
namespace {

constexpr wchar_t kClassName[] = L"XlhostDriverTestWindow";
constexpr int kEditId = 5;
constexpr int kButtonId = 6;
constexpr int kListId = 7;
constexpr int kTreeId = 8;
constexpr int kComboId = 9;
constexpr UINT kHangMessage = WM_APP + 1;  // wparam: how long the window's thread stops answering

// What the window's thread was told, one line a notification, read by the test's thread.
std::mutex g_events_lock;
std::vector<std::string> g_events;

void Record(std::string event) {
  std::lock_guard<std::mutex> hold(g_events_lock);
  g_events.push_back(std::move(event));
}

std::vector<std::string> TakeEvents() {
  std::lock_guard<std::mutex> hold(g_events_lock);
  return std::exchange(g_events, {});
}

bool Seen(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

HWND Child(HWND parent, const wchar_t* class_name, DWORD style, int x, int y, int id) {
  return CreateWindowExW(0, class_name, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | style, x, y, 120, 90, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void Fill(HWND window) {
  Child(window, WC_EDITW, ES_AUTOHSCROLL, 10, 10, kEditId);
  SetWindowTextW(Child(window, WC_BUTTONW, BS_PUSHBUTTON, 140, 10, kButtonId), L"确定");
  const HWND combo = Child(window, WC_COMBOBOXW, CBS_DROPDOWNLIST, 270, 10, kComboId);
  for (const wchar_t* item : {L"一", L"二"}) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));

  const HWND list = Child(window, WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS, 10, 110, kListId);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 100;
  column.pszText = const_cast<wchar_t*>(L"名");
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  int row = 0;
  for (const wchar_t* text : {L"甲", L"乙", L"丙"}) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row++;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }

  const HWND tree = Child(window, WC_TREEVIEWW, TVS_HASBUTTONS | TVS_LINESATROOT, 140, 110, kTreeId);
  HTREEITEM parent = TVI_ROOT;
  for (const wchar_t* text : {L"根", L"枝", L"叶"}) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    parent = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      Fill(window);
      return 0;
    case WM_COMMAND:
      Record("command " + std::to_string(LOWORD(wparam)) + " " + std::to_string(HIWORD(wparam)));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.code == NM_DBLCLK || header.code == TVN_SELCHANGEDW) {
        Record("notify " + std::to_string(header.idFrom) + (header.code == NM_DBLCLK ? " double click" : " selected"));
      } else if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
          Record("row " + std::to_string(change.iItem));
        }
      }
      return 0;
    }
    case kHangMessage:
      Record("hang");
      Sleep(static_cast<DWORD>(wparam));
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// A top-level window with controls on a thread of its own, as the add-in's dialogs run.
class WindowThread {
 public:
  explicit WindowThread(const wchar_t* caption) {
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    thread_ = std::thread([caption, &started] {
      INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
      InitCommonControlsEx(&controls);
      WNDCLASSW window_class{};
      window_class.lpfnWndProc = Procedure;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      window_class.lpszClassName = kClassName;
      RegisterClassW(&window_class);  // again for a later window: the class is there already
      MSG message{};
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
      const HWND window = CreateWindowExW(0, kClassName, caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 420, 260,
                                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      started.set_value(window != nullptr ? GetCurrentThreadId() : 0);
      while (window != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      if (window != nullptr) DestroyWindow(window);
    });
    thread_id_ = id.get();
    TakeEvents();
  }
  ~WindowThread() {
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  bool started() const { return thread_id_ != 0; }

 private:
  std::thread thread_;
  DWORD thread_id_ = 0;
};

class WindowDriverTest : public ::testing::Test {
 protected:
  std::unique_ptr<WindowDriver> driver_ = MakeWin32WindowDriver();
  std::string error_;
};

TEST_F(WindowDriverTest, OnlyTheForegroundWindowIsActive) {
  WindowThread earlier(L"前一个");
  WindowThread later(L"后一个");
  ASSERT_TRUE(earlier.started() && later.started());
  EXPECT_EQ(driver_->Presence(u"后一个"), WindowPresence::kActive);
  EXPECT_EQ(driver_->Presence(u"前一个"), WindowPresence::kVisible);
}

TEST_F(WindowDriverTest, FindsAWindowByCaptionAndDrivesItsControlsOnTheirThread) {
  WindowThread window(L"驱动测试");
  ASSERT_TRUE(window.started());
  // Shown as it was made, a new top-level window takes the foreground.
  EXPECT_EQ(driver_->Presence(u"驱动测试"), WindowPresence::kActive);
  EXPECT_EQ(driver_->Presence(u"驱动"), WindowPresence::kAbsent) << "the whole caption, not a part";
  EXPECT_EQ(driver_->Presence(u"class:XlhostDriverTestWindow"), WindowPresence::kActive) << "by its class";
  EXPECT_EQ(driver_->Presence(u"class:XlhostDriverTest"), WindowPresence::kAbsent) << "the whole class name";
  EXPECT_EQ(driver_->Presence(u"class:驱动测试"), WindowPresence::kAbsent) << "a class address is no caption";
  EXPECT_EQ(driver_->Text({u"class:XlhostDriverTestWindow", kButtonId}, error_), u"确定") << error_;

  ASSERT_TRUE(driver_->SetText({u"驱动测试", kEditId}, u"浦发", error_)) << error_;
  EXPECT_TRUE(Seen(TakeEvents(), "command 5 " + std::to_string(EN_CHANGE)));
  // A typed character lands at the caret, which WM_SETTEXT left at the start.
  ASSERT_TRUE(driver_->Type({u"驱动测试", kEditId}, u"6a", error_)) << error_;
  EXPECT_EQ(driver_->Text({u"驱动测试", kEditId}, error_), u"6a浦发");
  ASSERT_TRUE(driver_->Key({u"驱动测试", kEditId}, VK_END, error_)) << error_;
  ASSERT_TRUE(driver_->Key({u"驱动测试", kEditId}, VK_BACK, error_)) << error_;
  EXPECT_EQ(driver_->Text({u"驱动测试", kEditId}, error_), u"6a浦") << "BACK types its character";

  TakeEvents();
  ASSERT_TRUE(driver_->Press({u"驱动测试", kButtonId}, error_)) << error_;
  EXPECT_TRUE(Seen(TakeEvents(), "command 6 " + std::to_string(BN_CLICKED)));
  ASSERT_TRUE(driver_->Choose({u"驱动测试", kComboId}, u"二", error_)) << error_;
  EXPECT_TRUE(Seen(TakeEvents(), "command 9 " + std::to_string(CBN_SELCHANGE)));
  EXPECT_EQ(driver_->Text({u"驱动测试", kComboId}, error_), u"二");

  EXPECT_FALSE(driver_->Choose({u"驱动测试", kComboId}, u"三", error_));
  EXPECT_NE(error_.find("has no item \"三\""), std::string::npos) << error_;
  EXPECT_FALSE(driver_->Press({u"驱动测试", kEditId}, error_));
  EXPECT_NE(error_.find("is a Edit, not a button"), std::string::npos) << error_;
  EXPECT_FALSE(driver_->SetText({u"驱动测试", 99}, u"x", error_));
  EXPECT_NE(error_.find("has no control 99"), std::string::npos) << error_;
  EXPECT_FALSE(driver_->Text({u"别的窗口", kEditId}, error_));
  EXPECT_NE(error_.find("no visible window of this process is captioned \"别的窗口\""), std::string::npos) << error_;
}

TEST_F(WindowDriverTest, WalksTreesAndListsByTheirTexts) {
  WindowThread window(L"树和列表");
  ASSERT_TRUE(window.started());
  const ControlAddress tree{u"树和列表", kTreeId};
  ASSERT_TRUE(driver_->SelectTreeItem(tree, {u"根", u"枝", u"叶"}, false, error_)) << error_;
  std::vector<std::string> events = TakeEvents();
  EXPECT_TRUE(Seen(events, "notify 8 selected"));
  EXPECT_FALSE(Seen(events, "notify 8 double click"));
  ASSERT_TRUE(driver_->SelectTreeItem(tree, {u"根", u"枝"}, true, error_)) << error_;
  EXPECT_TRUE(Seen(TakeEvents(), "notify 8 double click")) << "the tree found the item under the click";
  EXPECT_FALSE(driver_->SelectTreeItem(tree, {u"根", u"叶"}, false, error_));
  EXPECT_NE(error_.find("no item \"叶\" under \"根\""), std::string::npos) << error_;

  const ControlAddress list{u"树和列表", kListId};
  EXPECT_EQ(driver_->ColumnTexts(list, 0, error_), (std::vector<std::u16string>{u"甲", u"乙", u"丙"}));
  ASSERT_TRUE(driver_->SelectRows(list, {u"乙"}, error_)) << error_;
  EXPECT_TRUE(Seen(TakeEvents(), "row 1"));
  ASSERT_TRUE(driver_->Key(list, VK_DOWN, error_)) << error_;
  EXPECT_TRUE(Seen(TakeEvents(), "row 2")) << "the key moved the selection from the focused row";
  EXPECT_FALSE(driver_->SelectRows(list, {u"甲", u"丁"}, error_));
  EXPECT_NE(error_.find("no row of the list view holds \"丁\""), std::string::npos) << error_;
  EXPECT_FALSE(driver_->ColumnTexts({u"树和列表", kTreeId}, 0, error_));
  EXPECT_NE(error_.find("not a list view"), std::string::npos) << error_;
}

TEST_F(WindowDriverTest, CapturesTheWholeWindowWithItsClientAreaInside) {
  WindowThread window(L"截图");
  ASSERT_TRUE(window.started());
  const auto shot = driver_->Capture(u"截图", error_);
  ASSERT_TRUE(shot) << error_;
  const HWND handle = FindWindowW(kClassName, L"截图");
  RECT frame{};
  ASSERT_TRUE(GetWindowRect(handle, &frame));
  EXPECT_EQ(shot->picture.width, frame.right - frame.left);
  EXPECT_EQ(shot->picture.height, frame.bottom - frame.top);
  EXPECT_EQ(shot->picture.pixels.size(), static_cast<size_t>(shot->picture.width * shot->picture.height));
  EXPECT_GE(shot->client.left, 0);
  EXPECT_GE(shot->client.top, 0);
  EXPECT_LE(shot->client.left + shot->client.width, shot->picture.width);
  EXPECT_LE(shot->client.top + shot->client.height, shot->picture.height);
  EXPECT_GE(DrawnShare(shot->picture, shot->client), kMinDrawnShare) << "the controls were drawn";
}

TEST_F(WindowDriverTest, AHiddenWindowIsSeenButNotDriven) {
  WindowThread window(L"隐藏");
  ASSERT_TRUE(window.started());
  ShowWindow(FindWindowW(kClassName, L"隐藏"), SW_HIDE);
  EXPECT_EQ(driver_->Presence(u"隐藏"), WindowPresence::kHidden);
  EXPECT_FALSE(driver_->Press({u"隐藏", kButtonId}, error_));
  EXPECT_FALSE(driver_->Capture(u"隐藏", error_));
}

TEST_F(WindowDriverTest, AThreadThatStopsAnsweringFailsTheStepInsteadOfHangingIt) {
  WindowThread window(L"挂起");
  ASSERT_TRUE(window.started());
  const HWND handle = FindWindowW(kClassName, L"挂起");
  constexpr DWORD kHangMs = 7000;
  PostMessageW(handle, kHangMessage, kHangMs, 0);
  // A sent message is handled ahead of a posted one: the step must come once the thread hangs.
  bool hanging = false;
  for (int poll = 0; poll < 400 && !hanging; ++poll) {
    hanging = Seen(TakeEvents(), "hang");
    if (!hanging) Sleep(5);
  }
  ASSERT_TRUE(hanging);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(driver_->Presence(u"挂起"), WindowPresence::kActive) << "found without asking the thread";
  EXPECT_FALSE(driver_->SetText({u"挂起", kEditId}, u"x", error_));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kHangMs));
  EXPECT_NE(error_.find("did not answer"), std::string::npos) << error_;
}

}  // namespace
}  // namespace orra::xlhost
