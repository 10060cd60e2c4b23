// The user-interface thread under Wine (the null graphics driver, where dialogs work without a
// display): its thread message opens each dialog from its template once and shows it again
// later, other wParams open nothing, OK, Cancel and Esc hide; the dialogs belong to that thread,
// owned by the test's stand-in for Excel's main window, and go when the thread is let go.
#include "ui/addin_win_thread_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "addin/ribbon_commands.h"
#include "common/module_directory.h"
#include "common/utilities.h"
#include "store/orra_data.h"
#include "testing/test_env.h"
#include "ui/dialog_resources.h"

namespace orra {
namespace {

constexpr std::chrono::seconds kLimit{10};
constexpr wchar_t kDialogClass[] = L"#32770";

// Pumps this thread's messages (the owner window lives here) until `done` or the limit.
template <typename Done>
bool PumpUntil(Done done) {
  const auto end = std::chrono::steady_clock::now() + kLimit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  const int n = GetWindowTextW(window, text, 256);
  return std::wstring(text, n > 0 ? n : 0);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(window, name, 64);
  return std::wstring(name, n > 0 ? n : 0);
}

// The dialog windows of `thread`, top-level, whatever their visibility.
std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM list) -> BOOL {
        if (ClassOf(window) == kDialogClass) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> DialogsCaptioned(DWORD thread, const std::wstring& caption) {
  std::vector<HWND> found;
  for (HWND window : DialogsOf(thread)) {
    if (TextOf(window) == caption) found.push_back(window);
  }
  return found;
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongW(window, GWL_STYLE) & style) == style; }

class AddinWinThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    excel_window_ = CreateWindowExW(0, L"STATIC", L"Excel", WS_OVERLAPPEDWINDOW, 0, 0, 1200, 900, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(excel_window_, nullptr) << GetLastError();
    thread_ = CAddinWinThread::Start(excel_window_, nullptr, store_);
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

  // Never loaded: the navigator's tree is empty.
  testing::TestEnv env_;
  COrraData store_{env_};
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

  EXPECT_EQ(TextOf(GetDlgItem(navigator, IDOK)), L"确定");
  EXPECT_EQ(TextOf(GetDlgItem(navigator, IDCANCEL)), L"取消");
  const HWND tree = GetDlgItem(navigator, kNavigatorTree);
  EXPECT_EQ(ClassOf(tree), WC_TREEVIEWW);
  EXPECT_TRUE(HasStyle(tree, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT));
  EXPECT_EQ(ClassOf(GetDlgItem(navigator, kNavigatorSearchBox)), L"Edit");
  const HWND formula = GetDlgItem(navigator, kNavigatorFormulaBox);
  EXPECT_TRUE(HasStyle(formula, ES_MULTILINE | ES_READONLY));
  const HWND label = GetDlgItem(navigator, kNavigatorParameterLabel);
  EXPECT_EQ(TextOf(label), L"参数列表：");

  // The panel: a child under the label, two pixels left of the formula box's client area, as
  // wide as that plus two and three times as tall.
  HWND panel = nullptr;
  for (HWND child = GetWindow(navigator, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == kDialogClass) panel = child;
  }
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(IsWindowVisible(panel));
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
  EXPECT_EQ(TextOf(GetDlgItem(navigator, kNavigatorSearchBox)), L"收盘价");
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
    EXPECT_EQ(ClassOf(view), WC_LISTVIEWW) << list;
    EXPECT_EQ(GetWindowLongW(view, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT) << list;
    EXPECT_FALSE(HasStyle(view, LVS_SINGLESEL)) << "several rows may be selected";
  }
  EXPECT_EQ(TextOf(GetDlgItem(insert_code, kInsertStockAddAll)), L">>");
  EXPECT_EQ(TextOf(GetDlgItem(insert_code, kInsertStockAdd)), L">");
  EXPECT_EQ(TextOf(GetDlgItem(insert_code, kInsertStockRemove)), L"<");
  EXPECT_EQ(TextOf(GetDlgItem(insert_code, kInsertStockRemoveAll)), L"<<");
  EXPECT_EQ(TextOf(GetDlgItem(insert_code, kInsertStockFillDown)), L"单元格所在列向下填充");
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
  Press(navigator, IDOK);
  EXPECT_TRUE(HiddenWithin(navigator)) << "OK";
  ASSERT_TRUE(Open(RibbonDialog::kIndicatorNavigator));
  ASSERT_EQ(VisibleDialog(L"函数插入"), navigator);
  PostMessageW(GetDlgItem(navigator, kNavigatorTree), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(HiddenWithin(navigator)) << "Esc";
  EXPECT_EQ(DialogsOf(id_).size(), 2u) << "hidden, never destroyed";
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

}  // namespace
}  // namespace orra
