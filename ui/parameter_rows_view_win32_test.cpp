#include "ui/parameter_rows_view_win32.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <variant>

#include "common/text_conversion.h"
#include "common/utf8.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"

namespace orra {
namespace {

using nlohmann::json;

constexpr int kPanelWidth = 380;
constexpr int kPanelHeight = 60;  // six units: shorter than a panel of many rows

class FakeCellReferences final : public CellReferenceProbe {
 public:
  bool IsRange(std::u16string_view text) override { return text == u"A2"; }
  std::optional<std::u16string> ActiveCellAddress() override { return active_cell; }
  std::optional<std::u16string> active_cell;
};

json Terminal() {
  json many = json::array();
  json parameters = json::array({
      {{"name", "@startdate@"}, {"control", "date"}, {"caption", "起始日期:"}, {"default", "2017-01-03"}},
      {{"name", "@unit@"}, {"control", "text"}, {"caption", "单位"}},
      {{"name", "@type@"}, {"control", "choice"}, {"caption", "类型"},
       {"choices", json::array({json::array({"前复权", "1"}), json::array({"后复权", "2"}), json::array({"不复权", "0"})})}},
  });
  for (int i = 1; i <= 12; ++i) {
    const std::string name = "@p" + std::to_string(i) + "@";
    many.push_back(name);
    parameters.push_back({{"name", name}, {"control", "text"}, {"caption", "P"}});
  }
  return {
      {"indicators", {{"tree", json::array({
          {{"name", "close"}, {"params", json::array({"@startdate@", "@unit@", "@type@"})}},
          {{"name", "plain"}},
          {{"name", "many"}, {"params", many}},
          {{"folder", "行情"}, {"children", json::array()}},
      })}}},
      {"parameters", {{"tree", parameters}}},
  };
}

std::u16string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return std::u16string(reinterpret_cast<const char16_t*>(name));
}

std::u16string TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return text;
}

// The window's top left corner in its parent's client area.
POINT Origin(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  POINT corner = {rect.left, rect.top};
  ScreenToClient(GetParent(window), &corner);
  return corner;
}

struct WindowDestroyer {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

class ParameterRowsViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    folder_.WriteTerminal(Terminal());
    store_.SetDataDirectory(folder_.directory());
    store_.Load();
    // A plain parent standing in for the panel's dialog, with its reference button.
    panel_window_.reset(CreateWindowExW(0, WC_STATICW, L"panel", WS_POPUP | WS_VSCROLL, 0, 0, kPanelWidth,
                                        kPanelHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(panel_window_.get(), nullptr);
    // Shown, as the panel is when the user scrolls it: the rows move only in a drawable window.
    ShowWindow(panel_window_.get(), SW_SHOWNOACTIVATE);
    reference_button_ = CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD, 0, 0, 1, 1, panel_window_.get(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ParameterPanel::kReferenceButtonId)),
                                        GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(reference_button_, nullptr);
    view_ = std::make_unique<ParameterRowsView>(panel_window_.get());
  }

  void TearDown() override {
    view_.reset();
    panel_window_.reset();
  }

  void Show(std::optional<std::string_view> name) {
    std::optional<RecordRef> descriptor;
    if (name) {
      const std::shared_ptr<const CRecordFile> file = store_.IndicatorFile();
      const std::optional<size_t> index = file->FindByName(ToNarrowString(FromUtf8(*name)));
      ASSERT_TRUE(index) << *name;
      descriptor = RecordRef{file, *index};
    }
    // As the navigator does: the first selection starts date pickers on the defaults.
    panel_.Show(descriptor, !shown_before_);
    shown_before_ = true;
    view_->Show(panel_);
  }

  HWND Item(int id) const { return GetDlgItem(panel_window_.get(), id); }

  testing::ScratchFolder folder_;
  testing::TestEnv env_;
  COrraData store_{env_};
  ParameterPanel panel_{store_};
  FakeCellReferences excel_;
  UniqueWindow panel_window_;
  HWND reference_button_ = nullptr;
  bool shown_before_ = false;
  std::unique_ptr<ParameterRowsView> view_;
};

TEST_F(ParameterRowsViewTest, ShowMakesEachRowsControlsWhereTheModelSays) {
  Show("close");
  ASSERT_EQ(panel_.rows().size(), 4u);
  const std::u16string labels[] = {u"证券代码：", u"起始日期：", u"单位：", u"类型："};
  const std::u16string classes[] = {u"edit", u"sysdatetimepick32", u"edit", u"combobox"};
  for (size_t i = 0; i < 4; ++i) {
    const PanelRow& row = panel_.rows()[i];
    const HWND label = Item(ParameterPanel::kLabelIdBase + static_cast<int>(i));
    const HWND input = Item(ParameterPanel::kInputIdBase + static_cast<int>(i));
    ASSERT_NE(label, nullptr) << i;
    ASSERT_NE(input, nullptr) << i;
    EXPECT_EQ(Lower(ClassOf(label)), u"static") << i;
    EXPECT_EQ(TextOf(label), labels[i]) << i;
    EXPECT_NE(GetWindowLongW(label, GWL_STYLE) & SS_RIGHT, 0) << i;
    EXPECT_EQ(Lower(ClassOf(input)), classes[i]) << i;
    EXPECT_EQ(Origin(input).x, row.input_rect.left) << i;
    EXPECT_EQ(Origin(input).y, row.input_rect.top) << i;
    EXPECT_EQ(Origin(label).y, row.label_rect.top) << i;
  }
  EXPECT_EQ(GetWindowLongW(Item(4113), GWL_STYLE) & (DTS_LONGDATEFORMAT | DTS_TIMEFORMAT), DTS_SHORTDATEFORMAT);

  // The date picker starts on the parameter's default; the choice box on its first item, the
  // items in the list's order.
  SYSTEMTIME time = {};
  ASSERT_EQ(SendMessageW(Item(4113), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)), GDT_VALID);
  EXPECT_EQ((CalendarDate{time.wYear, time.wMonth, time.wDay}), (CalendarDate{2017, 1, 3}));
  const HWND choice = Item(4115);
  ASSERT_EQ(SendMessageW(choice, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(choice, CB_GETCURSEL, 0, 0), 0);
  wchar_t item[16] = {};
  SendMessageW(choice, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(item)), u"不复权");

  // The reference button stands right of the code edit, shown.
  EXPECT_TRUE(IsWindowVisible(reference_button_));
  const PanelRect button = ParameterPanel::ReferenceButtonRect();
  EXPECT_EQ(Origin(reference_button_).x, button.left);
  EXPECT_EQ(Origin(reference_button_).y, button.top);
}

TEST_F(ParameterRowsViewTest, WhatTheControlsHoldBuildsTheModelsFormula) {
  Show("close");
  SetWindowTextW(Item(4112), L"  600000.sh ");
  SetWindowTextW(Item(4114), L"万元");
  SendMessageW(Item(4115), CB_SETCURSEL, 1, 0);
  SYSTEMTIME time = {};
  time.wYear = 2017;
  time.wMonth = 2;
  time.wDay = 20;
  SendMessageW(Item(4113), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));

  const std::vector<RowReading> readings = view_->Read();
  ASSERT_EQ(readings.size(), 4u);
  EXPECT_EQ(std::get<std::u16string>(readings[0]), u"  600000.sh ");
  EXPECT_EQ(std::get<CalendarDate>(readings[1]), (CalendarDate{2017, 2, 20}));
  EXPECT_EQ(std::get<std::u16string>(readings[2]), u"万元");
  EXPECT_EQ(std::get<ChosenItem>(readings[3]).index, 1u);
  // Exactly what the model gives for those values.
  const std::vector<RowReading> typed = {u"  600000.sh ", CalendarDate{2017, 2, 20}, u"万元", ChosenItem{1}};
  EXPECT_EQ(panel_.BuildFormula(readings, excel_), panel_.BuildFormula(typed, excel_));
  EXPECT_EQ(panel_.BuildFormula(readings, excel_),
            u"=XDP(\"600000.sh\",\"close\",\"@startdate@=20170220\",\"@unit@=万元\",\"@type@=2\")");

  // A later indicator's edit starts with the code used, its picker on the date read.
  Show("close");  // the same record: the model keeps its rows, the view remakes them alike
  Show("plain");
  Show("close");
  EXPECT_EQ(TextOf(Item(4112)), u"600000.sh");
  ASSERT_EQ(SendMessageW(Item(4113), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)), GDT_VALID);
  EXPECT_EQ((CalendarDate{time.wYear, time.wMonth, time.wDay}), (CalendarDate{2017, 2, 20}));
}

TEST_F(ParameterRowsViewTest, AnotherIndicatorTakesTheEarlierControlsAway) {
  Show("close");
  const HWND old_code = Item(4112);
  const HWND old_choice = Item(4115);
  Show("plain");
  EXPECT_FALSE(IsWindow(old_code));
  EXPECT_FALSE(IsWindow(old_choice));
  EXPECT_NE(Item(4112), nullptr);
  EXPECT_EQ(Item(4113), nullptr);
  EXPECT_EQ(Item(4115), nullptr);
  EXPECT_EQ(Item(8209), nullptr);
  EXPECT_EQ(view_->Read().size(), 1u);

  // A folder: no rows, no reference button, and a formula of the folder's name alone.
  Show("行情");
  EXPECT_EQ(Item(4112), nullptr);
  EXPECT_EQ(Item(8208), nullptr);
  EXPECT_FALSE(IsWindowVisible(reference_button_));
  EXPECT_TRUE(view_->Read().empty());
  EXPECT_EQ(panel_.BuildFormula(view_->Read(), excel_), u"=XDP(\"行情\")");
}

TEST_F(ParameterRowsViewTest, TheReferenceButtonWritesTheActiveCellUnlessExcelRefuses) {
  Show("plain");
  SetWindowTextW(Item(4112), L"600000.sh");
  view_->OnReferenceButton(excel_);
  EXPECT_EQ(TextOf(Item(4112)), u"600000.sh");
  excel_.active_cell = u"[Book1]Sheet1!$B$3";
  view_->OnReferenceButton(excel_);
  EXPECT_EQ(TextOf(Item(4112)), u"[Book1]Sheet1!B3");
}

TEST_F(ParameterRowsViewTest, ScrollingMovesTheRowsWithinTheRange) {
  Show("many");
  ASSERT_EQ(panel_.rows().size(), 13u);
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(panel_window_.get(), SB_VERT, &info));
  EXPECT_EQ(info.nMax, panel_.ScrollRangeUnits());
  EXPECT_EQ(info.nPos, 0);

  const HWND last = Item(ParameterPanel::kInputIdBase + 12);
  const int last_top = panel_.rows().back().input_rect.top;
  const auto expect_at = [&](int position) {
    EXPECT_EQ(view_->scroll_position(), position);
    EXPECT_EQ(GetScrollPos(panel_window_.get(), SB_VERT), position);
    EXPECT_EQ(Origin(last).y, last_top - position * ParameterPanel::kScrollUnitPixels);
  };
  view_->OnVScroll(SB_LINEUP);
  expect_at(0);
  view_->OnVScroll(SB_LINEDOWN);
  expect_at(1);
  view_->OnVScroll(SB_PAGEDOWN);
  expect_at(1 + ParameterRowsView::kPageUnits);
  view_->OnMouseWheel(MAKEWPARAM(0, WHEEL_DELTA));
  expect_at(ParameterRowsView::kPageUnits);
  view_->OnMouseWheel(MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
  expect_at(1 + ParameterRowsView::kPageUnits);
  // The end of the bar shows the last row's bottom at the page's bottom, and no further.
  view_->OnVScroll(SB_BOTTOM);
  const int end = panel_.ScrollRangeUnits() - static_cast<int>(info.nPage) + 1;
  expect_at(end);
  view_->OnVScroll(SB_PAGEDOWN);
  expect_at(end);
  view_->OnVScroll(SB_TOP);
  expect_at(0);

  // A new indicator starts at the top, its controls where the model puts them.
  view_->OnVScroll(SB_BOTTOM);
  Show("close");
  EXPECT_EQ(view_->scroll_position(), 0);
  EXPECT_EQ(Origin(Item(4115)).y, panel_.rows()[3].input_rect.top);
  EXPECT_EQ(Origin(reference_button_).y, ParameterPanel::ReferenceButtonRect().top);
}

}  // namespace
}  // namespace orra
