// The user-interface thread under Wine (the null graphics driver, where dialogs work without a
// display): its thread message opens each dialog from its template once and shows it again
// later, other wParams open nothing, OK, Cancel and Esc hide; the dialogs belong to that thread,
// owned by the test's stand-in for Excel's main window, and go when the thread is let go. The
// insert-code dialog is driven as a user would: a category double-clicked, codes moved, OK.
#include "ui/addin_win_thread_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "addin/ribbon_commands.h"
#include "common/module_directory.h"
#include "common/utilities.h"
#include "request/sheet_write_queue.h"
#include "store/orra_data.h"
#include "testing/message_pump_win32.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"
#include "testing/window_text_win32.h"
#include "ui/dialog_resources.h"

namespace orra {
namespace {

constexpr std::chrono::seconds kLimit{10};
constexpr wchar_t kDialogClass[] = L"#32770";

template <typename Done>
bool PumpUntil(Done done) {
  return testing::PumpMessagesUntil(done, kLimit);
}

// The dialog windows of `thread`, top-level, whatever their visibility.
std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM list) -> BOOL {
        if (testing::ClassNameOf(window) == kDialogClass) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> DialogsCaptioned(DWORD thread, const std::wstring& caption) {
  std::vector<HWND> found;
  for (HWND window : DialogsOf(thread)) {
    if (testing::WindowTextOf(window) == caption) found.push_back(window);
  }
  return found;
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongW(window, GWL_STYLE) & style) == style; }

// A terminal's data directory with one block of codes and one category of the market.
constexpr char kTerminal[] = R"({
  "securities": [["600000.sh", "浦发银行"], ["000001.sz", "平安银行"], ["600036.sh", "招商银行"],
                 ["601398.sh", "工商银行"], ["000002.sz", "万科A"]],
  "market": {"schemes": [{"scheme": 1, "categories": [
    {"code": "SW", "name": "申万行业", "children": [
      {"code": "801780", "name": "银行", "members": ["600000.sh", "000001.sz", "600036.sh", "601398.sh", "000002.sz"]}]},
    {"code": "ZG", "name": "资管导航", "children": [{"code": "1", "name": "不显示", "members": ["600000.sh"]}]}]}]},
  "self_blocks": [{"group": "市场导航", "blocks": [{"name": "自选股一", "stocks": ["600036.sh"]}]}]
})";

// The texts of a list view's column `column`, row by row.
std::vector<std::wstring> ColumnTexts(HWND list, int column) {
  std::vector<std::wstring> texts;
  const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 64;
    const auto n = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    texts.emplace_back(text, n > 0 ? n : 0);
  }
  return texts;
}

// The tree's items in display order (children after their parent), as text and handle.
std::vector<std::pair<std::wstring, HTREEITEM>> TreeItems(HWND tree) {
  std::vector<std::pair<std::wstring, HTREEITEM>> items;
  std::vector<HTREEITEM> pending;
  auto next = [&](HTREEITEM item, WPARAM relation) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  };
  // Bounded by the items the tree holds.
  const auto count = static_cast<size_t>(SendMessageW(tree, TVM_GETCOUNT, 0, 0));
  for (HTREEITEM item = next(nullptr, TVGN_ROOT); item != nullptr && items.size() < count;) {
    wchar_t text[64] = {};
    TVITEMW value{};
    value.mask = TVIF_TEXT;
    value.hItem = item;
    value.pszText = text;
    value.cchTextMax = 64;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&value));
    items.emplace_back(text, item);
    if (HTREEITEM child = next(item, TVGN_CHILD)) {
      pending.push_back(item);
      item = child;
      continue;
    }
    for (item = next(item, TVGN_NEXT); item == nullptr && !pending.empty(); pending.pop_back()) {
      item = next(pending.back(), TVGN_NEXT);
    }
  }
  return items;
}

class AddinWinThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    excel_window_ = CreateWindowExW(0, L"STATIC", L"Excel", WS_OVERLAPPEDWINDOW, 0, 0, 1200, 900, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(excel_window_, nullptr) << GetLastError();
    folder_.WriteTerminal(nlohmann::json::parse(kTerminal));
    store_.SetDataDirectory(folder_.directory());
    store_.Load();
    // The thread's share of the store, as the add-in hands it over; its release is recorded.
    thread_ = CAddinWinThread::Start(excel_window_, nullptr, std::shared_ptr<const COrraData>(&store_, [this](const COrraData*) {
      released_on_ = GetCurrentThreadId();
    }));
    ASSERT_TRUE(thread_);
    id_ = thread_->thread_id();
    handle_ = OpenThread(SYNCHRONIZE, FALSE, id_);
  }

  void TearDown() override {
    thread_.reset();
    if (handle_ != nullptr) {
      EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }))
          << "the thread ends once let go";
      CloseHandle(handle_);
    }
    if (excel_window_ != nullptr) DestroyWindow(excel_window_);
  }

  bool Open(RibbonDialog dialog) { return thread_->Post({kOpenDialogMessage, static_cast<uintptr_t>(dialog), 0}); }

  // The one dialog captioned `caption`, once it is visible; null otherwise.
  HWND VisibleDialog(const std::wstring& caption) {
    HWND found = nullptr;
    PumpUntil([&] {
      const std::vector<HWND> dialogs = DialogsCaptioned(id_, caption);
      found = dialogs.size() == 1 && IsWindowVisible(dialogs[0]) ? dialogs[0] : nullptr;
      return found != nullptr;
    });
    return found;
  }

  bool HiddenWithin(HWND dialog) {
    return PumpUntil([&] { return !IsWindowVisible(dialog); });
  }

  // What the dialog's own button sends it.
  void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }

  testing::TestEnv env_;
  testing::ScratchFolder folder_;
  COrraData store_{env_};
  // The thread that let go of the store's share given to the thread; 0 until then.
  std::atomic<DWORD> released_on_{0};
  HWND excel_window_ = nullptr;
  std::unique_ptr<CAddinWinThread> thread_;
  DWORD id_ = 0;
  HANDLE handle_ = nullptr;
};

TEST_F(AddinWinThreadTest, TheNavigatorIsMadeOnceFromItsTemplateAndShownAgainWithItsState) {
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  const HWND navigator = VisibleDialog(L"函数插入");
  ASSERT_NE(navigator, nullptr);
  EXPECT_EQ(GetWindow(navigator, GW_OWNER), excel_window_) << "owned by Excel's main window";
  EXPECT_EQ(GetWindowThreadProcessId(navigator, nullptr), id_);

  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(navigator, IDOK)), L"确定");
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(navigator, IDCANCEL)), L"取消");
  const HWND tree = GetDlgItem(navigator, kNavigatorTree);
  EXPECT_EQ(testing::ClassNameOf(tree), WC_TREEVIEWW);
  EXPECT_TRUE(HasStyle(tree, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT));
  EXPECT_EQ(testing::ClassNameOf(GetDlgItem(navigator, kNavigatorSearchBox)), L"Edit");
  const HWND formula = GetDlgItem(navigator, kNavigatorFormulaBox);
  EXPECT_TRUE(HasStyle(formula, ES_MULTILINE | ES_READONLY));
  const HWND label = GetDlgItem(navigator, kNavigatorParameterLabel);
  EXPECT_EQ(testing::WindowTextOf(label), L"参数列表：");

  // The panel: a child under the label, two pixels left of the formula box's client area, as
  // wide as that plus two and three times as tall.
  HWND panel = nullptr;
  for (HWND child = GetWindow(navigator, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (testing::ClassNameOf(child) == kDialogClass) panel = child;
  }
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_TRUE(HasStyle(panel, WS_BORDER)) << "a thin border around the rows";
  EXPECT_NE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0) << "Tab goes into the rows";
  EXPECT_NE(GetDlgItem(panel, kParamReferenceButton), nullptr);
  RECT formula_client = {};
  RECT label_rect = {};
  RECT panel_rect = {};
  GetClientRect(formula, &formula_client);
  MapWindowPoints(formula, navigator, reinterpret_cast<POINT*>(&formula_client), 2);
  GetWindowRect(label, &label_rect);
  MapWindowPoints(nullptr, navigator, reinterpret_cast<POINT*>(&label_rect), 2);
  GetWindowRect(panel, &panel_rect);
  MapWindowPoints(nullptr, navigator, reinterpret_cast<POINT*>(&panel_rect), 2);
  EXPECT_EQ(panel_rect.left, formula_client.left - 2);
  EXPECT_EQ(panel_rect.top, label_rect.top);
  EXPECT_EQ(panel_rect.right - panel_rect.left, formula_client.right - formula_client.left + 2);
  EXPECT_EQ(panel_rect.bottom - panel_rect.top, 3 * (formula_client.bottom - formula_client.top));

  // Hidden and asked for again: the same window with what was typed into it.
  SetWindowTextW(GetDlgItem(navigator, kNavigatorSearchBox), L"收盘价");
  Press(navigator, IDCANCEL);
  ASSERT_TRUE(HiddenWithin(navigator));
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  EXPECT_EQ(VisibleDialog(L"函数插入"), navigator);
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(navigator, kNavigatorSearchBox)), L"收盘价");
  EXPECT_EQ(DialogsOf(id_).size(), 1u);
}

TEST_F(AddinWinThreadTest, TheInsertCodeDialogOpensBesideTheNavigatorAndOtherRequestsOpenNothing) {
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  ASSERT_NE(VisibleDialog(L"函数插入"), nullptr);
  ASSERT_TRUE(thread_->Post({kOpenDialogMessage, 2, 0}));
  ASSERT_TRUE(thread_->Post({kOpenDialogMessage + 1, 1, 0}));
  ASSERT_TRUE(Open(RibbonDialog::kInsertCode));
  const HWND insert_code = VisibleDialog(L"插入代码");
  ASSERT_NE(insert_code, nullptr);
  EXPECT_EQ(GetWindow(insert_code, GW_OWNER), excel_window_);
  EXPECT_NE(VisibleDialog(L"函数插入"), nullptr) << "both stay open";
  EXPECT_EQ(DialogsOf(id_).size(), 2u) << "wParam 2 and other messages made nothing";

  EXPECT_TRUE(HasStyle(GetDlgItem(insert_code, kInsertStockTree), TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT));
  for (const int list : {kInsertStockCandidates, kInsertStockSelected}) {
    const HWND view = GetDlgItem(insert_code, list);
    EXPECT_EQ(testing::ClassNameOf(view), WC_LISTVIEWW) << list;
    EXPECT_EQ(GetWindowLongW(view, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT) << list;
    EXPECT_FALSE(HasStyle(view, LVS_SINGLESEL)) << "several rows may be selected";
  }
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(insert_code, kInsertStockAddAll)), L">>");
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(insert_code, kInsertStockAdd)), L">");
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(insert_code, kInsertStockRemove)), L"<");
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(insert_code, kInsertStockRemoveAll)), L"<<");
  EXPECT_EQ(testing::WindowTextOf(GetDlgItem(insert_code, kInsertStockFillDown)), L"单元格所在列向下填充");
  EXPECT_EQ(SendDlgItemMessageW(insert_code, kInsertStockFillDown, BM_GETCHECK, 0, 0), BST_CHECKED)
      << "codes fill down the column by default";
  EXPECT_EQ(SendDlgItemMessageW(insert_code, kInsertStockFillRight, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(AddinWinThreadTest, OkCancelAndEscHideEachDialog) {
  ASSERT_TRUE(Open(RibbonDialog::kInsertCode));
  const HWND insert_code = VisibleDialog(L"插入代码");
  ASSERT_NE(insert_code, nullptr);
  Press(insert_code, IDOK);
  EXPECT_TRUE(HiddenWithin(insert_code)) << "OK";
  ASSERT_TRUE(Open(RibbonDialog::kInsertCode));
  ASSERT_EQ(VisibleDialog(L"插入代码"), insert_code);
  // Esc goes through the thread's loop to the dialog, which answers it as Cancel.
  PostMessageW(GetDlgItem(insert_code, kInsertStockTree), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(HiddenWithin(insert_code)) << "Esc";

  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  const HWND navigator = VisibleDialog(L"函数插入");
  ASSERT_NE(navigator, nullptr);
  // The navigator's OK hides it only with a formula to write (its own tests).
  Press(navigator, IDCANCEL);
  EXPECT_TRUE(HiddenWithin(navigator)) << "Cancel";
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  ASSERT_EQ(VisibleDialog(L"函数插入"), navigator);
  PostMessageW(GetDlgItem(navigator, kNavigatorTree), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(HiddenWithin(navigator)) << "Esc";
  EXPECT_EQ(DialogsOf(id_).size(), 2u) << "hidden, never destroyed";
}

TEST_F(AddinWinThreadTest, TheInsertCodeDialogListsACategoryMovesItsCodesAndHandsOnTheRowOnOk) {
  SheetWriteQueue& queue = ProcessSheetWriteQueue();
  // Earlier tests' OKs left their tables here.
  while (!queue.TakeBatch(100).empty()) {
  }
  ASSERT_TRUE(Open(RibbonDialog::kInsertCode));
  const HWND dialog = VisibleDialog(L"插入代码");
  ASSERT_NE(dialog, nullptr);
  const HWND tree = GetDlgItem(dialog, kInsertStockTree);
  const HWND candidates = GetDlgItem(dialog, kInsertStockCandidates);
  const HWND selected = GetDlgItem(dialog, kInsertStockSelected);

  for (const HWND list : {candidates, selected}) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
    wchar_t heading[16] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = heading;
    column.cchTextMax = 16;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::wstring(heading), L"证券简称");
    EXPECT_EQ(column.cx, 100);
    const auto extended = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    const DWORD wanted = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_ONECLICKACTIVATE;
    EXPECT_EQ(extended & wanted, wanted);
  }

  const std::vector<std::pair<std::wstring, HTREEITEM>> items = TreeItems(tree);
  std::vector<std::wstring> texts;
  for (const auto& [text, item] : items) texts.push_back(text);
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"自选股", L"自选股一", L"申万行业", L"银行[ 801780 ]"}))
      << "资管导航 and what lies below it are left out";

  // The tree's double-click on the selected category fills the candidates.
  ASSERT_EQ(items.size(), 4u);
  ASSERT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[3].second)));
  NMHDR click{tree, static_cast<UINT_PTR>(kInsertStockTree), static_cast<UINT>(NM_DBLCLK)};
  SendMessageW(dialog, WM_NOTIFY, kInsertStockTree, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(ColumnTexts(candidates, 0),
            (std::vector<std::wstring>{L"600000.sh", L"000001.sz", L"600036.sh", L"601398.sh", L"000002.sz"}));
  EXPECT_EQ(ColumnTexts(candidates, 1)[4], L"万科A");

  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kInsertStockAddAll, BN_CLICKED), 0);
  ASSERT_EQ(ColumnTexts(selected, 0), ColumnTexts(candidates, 0));
  EXPECT_EQ(ColumnTexts(selected, 1), ColumnTexts(candidates, 1));

  // The user selects three rows of the selected list and takes them out.
  for (const int row : {0, 1, 2}) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = row == 1 ? 0 : LVIS_SELECTED;
    SendMessageW(selected, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  }
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  SendMessageW(selected, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&state));
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kInsertStockRemove, BN_CLICKED), 0);
  EXPECT_EQ(ColumnTexts(selected, 0), (std::vector<std::wstring>{L"000001.sz", L"601398.sh"}));

  // ">" takes the candidates' selected rows only, and none twice.
  SendMessageW(candidates, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  SendMessageW(candidates, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kInsertStockAdd, BN_CLICKED), 0);
  EXPECT_EQ(ColumnTexts(selected, 0), (std::vector<std::wstring>{L"000001.sz", L"601398.sh", L"600000.sh"}));

  SendDlgItemMessageW(dialog, kInsertStockFillRight, BM_SETCHECK, BST_CHECKED, 0);
  SendDlgItemMessageW(dialog, kInsertStockFillDown, BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kInsertStockFillRight, BN_CLICKED), 0);
  Press(dialog, IDOK);
  ASSERT_TRUE(HiddenWithin(dialog));
  // The dialog hides itself before it hands its table on.
  ASSERT_TRUE(PumpUntil([&] { return queue.HasUntaken(); }));
  std::vector<SheetTable> tables = queue.TakeBatch(100);
  ASSERT_EQ(tables.size(), 1u);
  ASSERT_EQ(tables[0].rows(), 1u);
  ASSERT_EQ(tables[0].columns(), 3u);
  EXPECT_EQ(tables[0].At(0, 0), SheetValue(std::u16string(u"000001.sz")));
  EXPECT_EQ(tables[0].At(0, 1), SheetValue(std::u16string(u"601398.sh")));
  EXPECT_EQ(tables[0].At(0, 2), SheetValue(std::u16string(u"600000.sh")));

  // Shown again, it keeps its lists; "<<" empties the selected one and OK hands on nothing.
  ASSERT_TRUE(Open(RibbonDialog::kInsertCode));
  ASSERT_EQ(VisibleDialog(L"插入代码"), dialog);
  EXPECT_EQ(ColumnTexts(candidates, 0).size(), 5u);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kInsertStockRemoveAll, BN_CLICKED), 0);
  EXPECT_TRUE(ColumnTexts(selected, 0).empty());
  Press(dialog, IDOK);
  ASSERT_TRUE(HiddenWithin(dialog));
  ASSERT_TRUE(PumpUntil([&] { return queue.HasUntaken(); }));
  tables = queue.TakeBatch(100);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_TRUE(tables[0].empty());
}

TEST_F(AddinWinThreadTest, TheThreadsStartUpFillsAnEmptyExecutableDirectoryWithTheModulesOwn) {
  // Nothing in this test program computes the executable directory, so the thread's start-up
  // finds it empty and makes the module's directory both that and the current directory.
  ASSERT_TRUE(PumpUntil([] { return !ProcessExecutableDirectory().empty(); }));
  const std::u16string module = ModuleDirectory();
  EXPECT_EQ(ProcessExecutableDirectory(), module);
  wchar_t current[MAX_PATH + 1] = {};
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
  std::u16string current_text(reinterpret_cast<const char16_t*>(current), n);
  if (current_text.empty() || current_text.back() != u'\\') current_text += u'\\';
  EXPECT_EQ(current_text, module);
}

TEST_F(AddinWinThreadTest, LetGoTheThreadTakesItsDialogsWithIt) {
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  const HWND navigator = VisibleDialog(L"函数插入");
  ASSERT_NE(navigator, nullptr);
  thread_.reset();
  ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }));
  EXPECT_FALSE(IsWindow(navigator));
}

TEST_F(AddinWinThreadTest, ARequestQueuedAsTheAddinLetsGoFindsTheStoreWhichTheThreadGivesUpAtItsEnd) {
  // The add-in's disconnection: a request still queued, the add-in's object gone at once.
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  thread_.reset();
  ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }));
  EXPECT_EQ(released_on_.load(), id_) << "held by the thread until its loop ended, not by the object";
}

}  // namespace
}  // namespace orra
