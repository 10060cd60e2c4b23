// The navigator under Wine, opened by the user-interface thread over a loaded store: the tree
// holds the indicator file's folders and leaves, a selected leaf's code row feeds the formula
// box through the timer, OK hands that formula to the process's sheet write queue and hides the
// dialog, and OK without an indicator shows the refusal in a box owned by the navigator.
#include "ui/dlg_report_nav_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "addin/ribbon_commands.h"
#include "request/sheet_write_queue.h"
#include "testing/message_pump_win32.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"
#include "testing/window_text_win32.h"
#include "ui/addin_win_thread_win32.h"
#include "ui/dialog_resources.h"
#include "ui/navigator_model.h"
#include "ui/parameter_panel.h"

namespace orra {
namespace {

using nlohmann::json;

constexpr std::chrono::seconds kLimit{10};
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kCodeEdit = ParameterPanel::kInputIdBase;

template <typename Done>
bool PumpUntil(Done done) {
  return testing::PumpMessagesUntil(done, kLimit);
}

// The visible top-level dialogs of `thread` captioned `caption`.
std::vector<HWND> VisibleDialogs(DWORD thread, const std::wstring& caption) {
  struct Search {
    std::wstring caption;
    std::vector<HWND> found;
  } search{caption, {}};
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* s = reinterpret_cast<Search*>(parameter);
        if (testing::ClassNameOf(window) == kDialogClass && IsWindowVisible(window) && testing::WindowTextOf(window) == s->caption) {
          s->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool HasChildWithText(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (testing::WindowTextOf(child) == text) return true;
  }
  return false;
}

json Terminal() {
  return {
      {"indicators", {{"tree", json::array({
          {{"folder", "行情"}, {"children", json::array({{{"name", "close"}}, {{"name", "open"}},
                                                         {{"folder", "分钟"}, {"children", json::array({{{"name", "vwap"}}})}}})}},
      })}}},
      {"parameters", {{"tree", json::array()}}},
  };
}

class DlgReportNavTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.WriteTerminal(Terminal());
    store_->SetDataDirectory(folder_.directory());
    store_->Load();
    DrainQueue();
    excel_window_ = CreateWindowExW(0, L"STATIC", L"Excel", WS_OVERLAPPEDWINDOW, 0, 0, 1200, 900, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(excel_window_, nullptr);
    thread_ = CAddinWinThread::Start(excel_window_, nullptr, store_);
    ASSERT_TRUE(thread_);
    handle_ = OpenThread(SYNCHRONIZE, FALSE, thread_->thread_id());
    ASSERT_TRUE(thread_->Post({kOpenDialogMessage, static_cast<uintptr_t>(RibbonDialog::kIndicatorNavigator), 0}));
    ASSERT_TRUE(PumpUntil([&] { return VisibleDialogs(thread_->thread_id(), L"函数插入").size() == 1; }));
    navigator_ = VisibleDialogs(thread_->thread_id(), L"函数插入")[0];
    tree_ = GetDlgItem(navigator_, kNavigatorTree);
    for (HWND child = GetWindow(navigator_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (testing::ClassNameOf(child) == kDialogClass) panel_ = child;
    }
    ASSERT_NE(panel_, nullptr);
  }

  void TearDown() override {
    thread_.reset();
    if (handle_ != nullptr) {
      EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }));
      CloseHandle(handle_);
    }
    if (excel_window_ != nullptr) DestroyWindow(excel_window_);
    DrainQueue();
  }

  // The queue is the process's: what another test left in it is not this test's.
  static std::vector<SheetTable> DrainQueue() {
    std::vector<SheetTable> taken = ProcessSheetWriteQueue().TakeBatch(SheetTable::kMaxValues);
    ProcessSheetWriteQueue().CompactIfAllTaken();
    return taken;
  }

  HTREEITEM Item(UINT relation, HTREEITEM from = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
  }

  std::wstring ItemText(HTREEITEM item) {
    wchar_t text[128] = {};
    TVITEMW read = {};
    read.mask = TVIF_TEXT | TVIF_HANDLE;
    read.hItem = item;
    read.pszText = text;
    read.cchTextMax = 128;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
    return text;
  }

  void Select(HTREEITEM item) { SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)); }

  // Opens or closes a folder from the keyboard, as the user does, which notifies the dialog.
  HTREEITEM Toggle(HTREEITEM folder, WPARAM key) {
    Select(folder);
    SendMessageW(tree_, WM_KEYDOWN, key, 0);
    return folder;
  }

  void Press(int id) {
    PostMessageW(navigator_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(navigator_, id)));
  }

  testing::ScratchFolder folder_;
  testing::TestEnv env_;
  std::shared_ptr<COrraData> store_ = std::make_shared<COrraData>(env_);
  HWND excel_window_ = nullptr;
  std::unique_ptr<CAddinWinThread> thread_;
  HANDLE handle_ = nullptr;
  HWND navigator_ = nullptr;
  HWND tree_ = nullptr;
  HWND panel_ = nullptr;
};

TEST_F(DlgReportNavTest, TheTreeHoldsTheFoldersAndLeavesInFileOrder) {
  const HTREEITEM folder = Item(TVGN_ROOT);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(ItemText(folder), L"[ 行情 ]");
  EXPECT_EQ(Item(TVGN_NEXT, folder), nullptr) << "one top-level node";
  EXPECT_EQ(Item(TVGN_CHILD, folder), nullptr) << "the leaves go in at the folder's first expansion";
  const HTREEITEM close = Item(TVGN_CHILD, Toggle(folder, VK_ADD));
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(ItemText(close), L"close");
  EXPECT_EQ(ItemText(Item(TVGN_NEXT, close)), L"open");
  Toggle(Toggle(folder, VK_SUBTRACT), VK_ADD);
  EXPECT_EQ(Item(TVGN_CHILD, folder), close) << "expanded again, the folder keeps its items";
  const HTREEITEM minutes = Item(TVGN_NEXT, Item(TVGN_NEXT, close));
  EXPECT_EQ(ItemText(minutes), L"[ 分钟 ]");
  EXPECT_EQ(Item(TVGN_NEXT, minutes), nullptr) << "and holds no second copy";
  EXPECT_EQ(Item(TVGN_CHILD, minutes), nullptr);
  EXPECT_EQ(ItemText(Item(TVGN_CHILD, Toggle(minutes, VK_ADD))), L"vwap");
  // The search box takes the dialog's first focus, which clears the hint; the hint comes back
  // once the focus leaves the empty box.
  SendMessageW(navigator_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree_), TRUE);
  const HWND search_box = GetDlgItem(navigator_, kNavigatorSearchBox);
  EXPECT_TRUE(PumpUntil([&] { return testing::WindowTextOf(search_box) == std::wstring(L"在此输入指标名称进行搜索"); }))
      << testing::WindowTextOf(search_box).size();
}

TEST_F(DlgReportNavTest, ALeafsCodeReachesTheFormulaBoxAndOkEnqueuesItAndHides) {
  const HTREEITEM close = Item(TVGN_CHILD, Toggle(Item(TVGN_ROOT), VK_ADD));
  Select(close);
  EXPECT_EQ(Item(TVGN_DROPHILITE), close) << "stays marked while another control has the focus";
  ASSERT_TRUE(PumpUntil([&] { return GetDlgItem(panel_, kCodeEdit) != nullptr; })) << "the panel shows the code row";
  SetWindowTextW(GetDlgItem(panel_, kCodeEdit), L"600000.sh");
  const std::wstring expected = L"=XDP(\"600000.sh\",\"close\")";
  const HWND formula_box = GetDlgItem(navigator_, kNavigatorFormulaBox);
  EXPECT_TRUE(PumpUntil([&] { return testing::WindowTextOf(formula_box) == expected; })) << "got " << testing::WindowTextOf(formula_box).size();

  Press(IDOK);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(navigator_); }));
  const std::vector<SheetTable> written = DrainQueue();
  ASSERT_EQ(written.size(), 1u);
  ASSERT_EQ(written[0].rows(), 1u);
  ASSERT_EQ(written[0].columns(), 1u);
  EXPECT_EQ(written[0].At(0, 0), SheetValue(std::u16string(u"=XDP(\"600000.sh\",\"close\")")));
}

TEST_F(DlgReportNavTest, ASearchChoiceSelectsTheIndicatorOfThatExactName) {
  SetWindowTextW(GetDlgItem(navigator_, kNavigatorSearchBox), L"Open");
  SendMessageW(navigator_, kAutocompleteChoiceMessage, 0, 0);
  EXPECT_EQ(Item(TVGN_CARET), nullptr) << "another letter case is no indicator's name";
  // The folder was never expanded: the choice inserts its leaves, in file order, first.
  SetWindowTextW(GetDlgItem(navigator_, kNavigatorSearchBox), L"open");
  SendMessageW(navigator_, kAutocompleteChoiceMessage, 0, 0);
  const HTREEITEM open = Item(TVGN_CARET);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(ItemText(open), L"open");
  EXPECT_EQ(Item(TVGN_NEXT, Item(TVGN_CHILD, Item(TVGN_ROOT))), open);
  EXPECT_EQ(Item(TVGN_DROPHILITE), open);

  // In a folder not inserted yet: the choice inserts it on the way.
  SetWindowTextW(GetDlgItem(navigator_, kNavigatorSearchBox), L"vwap");
  SendMessageW(navigator_, kAutocompleteChoiceMessage, 0, 0);
  const HTREEITEM vwap = Item(TVGN_CARET);
  ASSERT_NE(vwap, nullptr);
  EXPECT_EQ(ItemText(vwap), L"vwap");
  const HTREEITEM minutes = Item(TVGN_PARENT, vwap);
  EXPECT_EQ(ItemText(minutes), L"[ 分钟 ]");
  EXPECT_EQ(Item(TVGN_PARENT, minutes), Item(TVGN_ROOT));
  EXPECT_EQ(Item(TVGN_NEXT, open), minutes) << "once, after the leaves before it";
}

TEST_F(DlgReportNavTest, OkWithAFolderShowsTheNoIndicatorMessageAndStaysOpen) {
  Select(Item(TVGN_ROOT));
  Press(IDOK);
  std::vector<HWND> boxes;
  ASSERT_TRUE(PumpUntil([&] {
    boxes = VisibleDialogs(thread_->thread_id(), std::wstring(reinterpret_cast<const wchar_t*>(
                                                     CDlgReportNav::kMessageCaption.data()),
                                                 CDlgReportNav::kMessageCaption.size()));
    return boxes.size() == 1;
  }));
  EXPECT_EQ(GetWindow(boxes[0], GW_OWNER), navigator_);
  const std::u16string message(RefusalMessage(NavigatorRefusal::kNoIndicator));
  EXPECT_TRUE(HasChildWithText(boxes[0], std::wstring(message.begin(), message.end())));
  PostMessageW(boxes[0], WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(boxes[0]); }));
  EXPECT_TRUE(IsWindowVisible(navigator_));
  EXPECT_TRUE(DrainQueue().empty());
}

}  // namespace
}  // namespace orra
