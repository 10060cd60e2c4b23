#include "ui/report_ctrl_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "testing/parent_window_win32.h"

namespace orra {
namespace {

constexpr wchar_t kParentClass[] = L"OrraReportCtrlTestParent";
constexpr int kListId = 1001;

// What the parent window was told after each sort.
using SortNotices = std::vector<std::pair<WPARAM, LPARAM>>;

LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == CReportCtrl::kSortedMessage) {
    auto* notices = reinterpret_cast<SortNotices*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (notices != nullptr) notices->emplace_back(wparam, lparam);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class ReportCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    parent_ = parent_window_.get();
    ASSERT_NE(parent_, nullptr);
    SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&notices_));
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_ICON | LVS_EDITLABELS | LVS_NOSCROLL, 0, 0, 300,
                            200, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                            GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list_, nullptr);
  }

  void AttachWithColumns() {
    ASSERT_TRUE(control_.Attach(list_));
    ASSERT_EQ(control_.InsertColumn(0, u"证券代码", LVCFMT_LEFT, 80), 0);
    ASSERT_EQ(control_.InsertColumn(1, u"证券简称", LVCFMT_LEFT, 120), 1);
  }

  void AddRows(const std::vector<std::u16string>& codes) {
    for (const std::u16string& code : codes) {
      const std::optional<int> row = control_.InsertItem(ListRows(), code);
      ASSERT_TRUE(row);
      ASSERT_TRUE(control_.SetItemText(*row, 1, u"name " + code));
    }
  }

  int ListRows() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

  // Selects a row as the user would, in the list view itself.
  void SelectInList(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ASSERT_TRUE(SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
  }

  UINT ListState(int row, UINT mask) const {
    return static_cast<UINT>(SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
  }

  std::u16string ListText(int row, int column) const {
    wchar_t buffer[128] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
  }

  std::vector<std::u16string> ListColumn(int column) const {
    std::vector<std::u16string> texts;
    for (int row = 0; row < ListRows(); ++row) texts.push_back(ListText(row, column));
    return texts;
  }

  std::vector<int> SelectedListRows() const {
    std::vector<int> rows;
    for (int row = 0; row < ListRows(); ++row) {
      if (ListState(row, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(row);
    }
    return rows;
  }

  // The notification the list view sends its parent when a heading is clicked.
  void ClickHeading(int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list_;
    click.hdr.idFrom = kListId;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(parent_, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&click));
  }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
  SortNotices notices_;
  CReportCtrl control_;
  // Last, so the windows go before the control and the notices they use.
  testing::ParentWindow parent_window_{kParentClass, &ParentProcedure, WS_OVERLAPPEDWINDOW, {0, 0, 400, 300}};
};

TEST_F(ReportCtrlTest, AttachingAndCreatingForceReportViewAndFullRowSelection) {
  ASSERT_TRUE(control_.Attach(list_));
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(list_, GWL_STYLE));
  EXPECT_EQ(style & CReportCtrl::kStyleRemoved, 0u);
  // The scroll bar bits are the window's own to drop while nothing needs scrolling.
  constexpr DWORD kKept = CReportCtrl::kStyleAdded & ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
  EXPECT_EQ(style & kKept, kKept);
  const auto extended = static_cast<DWORD>(SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_EQ(extended & 0x22u, 0x22u);
  control_.SetExtendedStyle(LVS_EX_GRIDLINES);
  EXPECT_EQ(SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_GRIDLINES | 0x22);
  EXPECT_FALSE(control_.Attach(list_));
  EXPECT_FALSE(CReportCtrl().Attach(parent_));

  CReportCtrl created;
  ASSERT_TRUE(created.Create(parent_, 7, std::nullopt, LVS_ICON | LVS_EDITLABELS | LVS_NOSCROLL));
  EXPECT_EQ(GetDlgCtrlID(created.window()), 7);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(created.window(), GWL_STYLE)) & (CReportCtrl::kStyleRemoved | LVS_TYPEMASK),
            static_cast<DWORD>(LVS_REPORT));
  RECT client{};
  RECT made{};
  GetClientRect(parent_, &client);
  GetClientRect(created.window(), &made);
  EXPECT_GT(made.right, 0);
  EXPECT_LE(made.right, client.right);
  EXPECT_EQ(SendMessageW(created.window(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x22, 0x22);
}

TEST_F(ReportCtrlTest, CountsAndDeletesTheRowsSelectedInTheWindow) {
  AttachWithColumns();
  AddRows({u"600000.SH", u"000001.SZ", u"600519.SH", u"000002.SZ", u"300750.SZ"});
  ASSERT_EQ(ListRows(), 5);
  SelectInList(1);
  SelectInList(3);
  EXPECT_EQ(control_.GetItemCount(), 5u);
  EXPECT_EQ(control_.GetItemCount(kRowSelected), 2u);
  EXPECT_EQ(control_.GetItemCount(kRowNotSelected), 3u);
  EXPECT_EQ(control_.GetItemCount(0), 0u);
  EXPECT_EQ(control_.GetItemStates(1), kRowSelected | kRowNotChecked | kRowNotFocused);

  EXPECT_EQ(control_.DeleteItems(kRowSelected), 2u);
  EXPECT_EQ(ListColumn(0), (std::vector<std::u16string>{u"600000.SH", u"600519.SH", u"300750.SZ"}));
  EXPECT_EQ(ListColumn(1), (std::vector<std::u16string>{u"name 600000.SH", u"name 600519.SH", u"name 300750.SZ"}));
  EXPECT_EQ(control_.model().GetItemCount(), 3u);
  EXPECT_EQ(control_.model().ItemText(1, 0), u"600519.SH");

  EXPECT_EQ(control_.DeleteItems(kRowAll), 3u);
  EXPECT_EQ(ListRows(), 0);
  EXPECT_EQ(control_.model().GetItemCount(), 0u);
}

TEST_F(ReportCtrlTest, StatesAndDeletionsReachTheListView) {
  AttachWithColumns();
  AddRows({u"1", u"2", u"3"});
  EXPECT_FALSE(control_.SetItemStates(0, 0));
  EXPECT_FALSE(control_.SetItemStates(3, kRowSelected));
  ASSERT_TRUE(control_.SetItemStates(0, kRowSelected | kRowChecked | kRowFocused));
  EXPECT_EQ(ListState(0, LVIS_SELECTED | LVIS_FOCUSED), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(ListState(0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(control_.GetItemStates(0), kRowSelected | kRowChecked | kRowFocused);

  ASSERT_TRUE(control_.SetItemStates(2, kRowFocused));
  EXPECT_EQ(ListState(0, LVIS_FOCUSED), 0u);
  EXPECT_EQ(control_.GetItemStates(0), kRowSelected | kRowChecked | kRowNotFocused);

  ASSERT_TRUE(control_.SetItemStates(0, kRowNotSelected | kRowNotChecked));
  EXPECT_EQ(control_.GetItemStates(0), kRowNotSelected | kRowNotChecked | kRowNotFocused);

  ASSERT_TRUE(control_.SetItemData(1, static_cast<uintptr_t>(0x1234'5678'9ABCull)));
  EXPECT_EQ(control_.GetItemData(1), static_cast<uintptr_t>(0x1234'5678'9ABCull));
  EXPECT_FALSE(control_.GetItemData(3));

  ASSERT_TRUE(control_.DeleteItem(0, true));
  EXPECT_EQ(ListColumn(0), (std::vector<std::u16string>{u"2", u"3"}));
  EXPECT_EQ(SelectedListRows(), std::vector<int>{0});
  EXPECT_EQ(control_.GetItemCount(kRowSelected), 1u);
  EXPECT_EQ(control_.GetItemData(0), static_cast<uintptr_t>(0x1234'5678'9ABCull));
  EXPECT_FALSE(control_.DeleteItem(2, false));
  EXPECT_FALSE(control_.InsertItem(-1, u"x"));
  EXPECT_FALSE(control_.SetItemText(0, 2, u"x"));
  EXPECT_FALSE(control_.SetItemText(2, 0, u"x"));
  EXPECT_EQ(ListRows(), 2);
}

TEST_F(ReportCtrlTest, HeadingClicksSortTheWindowsRowsAndTellTheParent) {
  AttachWithColumns();
  AddRows({u"10", u"9", u"100", u"-5", u"-50"});
  ASSERT_TRUE(control_.SetItemData(1, 9));
  SelectInList(1);  // "9"
  SelectInList(4);  // "-50"

  ClickHeading(0);
  EXPECT_EQ(ListColumn(0), (std::vector<std::u16string>{u"-50", u"-5", u"9", u"10", u"100"}));
  EXPECT_EQ(ListColumn(1), (std::vector<std::u16string>{u"name -50", u"name -5", u"name 9", u"name 10", u"name 100"}));
  EXPECT_EQ(SelectedListRows(), (std::vector<int>{0, 2}));
  EXPECT_EQ(control_.GetItemData(2), 9u);
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = 2;
  ASSERT_TRUE(SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.lParam, 9);
  EXPECT_EQ(notices_, (SortNotices{{0, 1}}));

  ClickHeading(0);
  EXPECT_EQ(ListColumn(0), (std::vector<std::u16string>{u"100", u"10", u"9", u"-5", u"-50"}));
  EXPECT_EQ(SelectedListRows(), (std::vector<int>{2, 4}));
  EXPECT_EQ(control_.GetItemCount(kRowSelected), 2u);

  ClickHeading(1);
  EXPECT_EQ(ListColumn(1), (std::vector<std::u16string>{u"name -5", u"name -50", u"name 10", u"name 100", u"name 9"}));
  EXPECT_EQ(notices_, (SortNotices{{0, 1}, {0, 0}, {1, 1}}));

  // A column the header does not have, and a change to the rows, which restarts ascending.
  ClickHeading(2);
  EXPECT_EQ(notices_.size(), 3u);
  ASSERT_TRUE(control_.SetItemText(0, 1, u"name -5"));
  ClickHeading(1);
  EXPECT_EQ(notices_.back(), (std::pair<WPARAM, LPARAM>{1, 1}));
}

TEST_F(ReportCtrlTest, CellsAreDrawnInTheirRowsColours) {
  AttachWithColumns();
  AddRows({u"600000.SH"});
  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr.hwndFrom = list_;
  draw.nmcd.hdr.idFrom = kListId;
  draw.nmcd.hdr.code = NM_CUSTOMDRAW;
  draw.nmcd.dwDrawStage = CDDS_PREPAINT;
  EXPECT_EQ(SendMessageW(parent_, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&draw)), CDRF_NOTIFYITEMDRAW);

  constexpr COLORREF kUnset = RGB(1, 2, 3);
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  draw.nmcd.dwItemSpec = 0;
  draw.clrText = kUnset;
  draw.clrTextBk = kUnset;
  EXPECT_EQ(SendMessageW(parent_, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&draw)), CDRF_NOTIFYSUBITEMDRAW);
  EXPECT_EQ(draw.clrText, GetSysColor(COLOR_WINDOWTEXT));

  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
  draw.iSubItem = 1;
  draw.clrText = kUnset;
  draw.clrTextBk = kUnset;
  EXPECT_EQ(SendMessageW(parent_, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&draw)), CDRF_DODEFAULT);
  EXPECT_EQ(draw.clrText, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(draw.clrTextBk, GetSysColor(COLOR_WINDOW));

  // A row the model does not have is left to the list view's own colours.
  draw.nmcd.dwItemSpec = 5;
  draw.clrText = kUnset;
  SendMessageW(parent_, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(draw.clrText, kUnset);
}

TEST_F(ReportCtrlTest, SpaceNeverReachesTheListView) {
  AttachWithColumns();
  control_.SetExtendedStyle(LVS_EX_CHECKBOXES);
  AddRows({u"1", u"2"});
  ASSERT_TRUE(control_.SetItemStates(0, kRowFocused | kRowNotChecked));
  SendMessageW(list_, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(list_, WM_CHAR, VK_SPACE, 0);
  SendMessageW(list_, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(control_.GetItemStates(0), kRowNotSelected | kRowNotChecked | kRowFocused);
}

TEST_F(ReportCtrlTest, DestroyingTheWindowFreesTheRowsAndReleasesTheParent) {
  AttachWithColumns();
  AddRows({u"1", u"2"});
  DestroyWindow(list_);
  EXPECT_EQ(control_.window(), nullptr);
  EXPECT_EQ(control_.model().GetItemCount(), 0u);
  // The parent no longer hands anything to the view.
  ClickHeading(0);
  EXPECT_TRUE(notices_.empty());
}

}  // namespace
}  // namespace orra
