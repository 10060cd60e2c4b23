#include "ui/autocomplete_edit_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "testing/message_pump_win32.h"
#include "testing/parent_window_win32.h"

namespace orra {
namespace {

constexpr wchar_t kParentClass[] = L"OrraAutocompleteTestParent";

std::wstring Text(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

int ClientHeight(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return rect.bottom;
}

// A top-level parent with an Edit control in it, the edit taken over, the prices as candidates.
class CACEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = parent_window_.get();
    ASSERT_NE(parent_, nullptr) << "windows need a display or Wine's null driver";
    edit_window_ = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 200, 24, parent_,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit_window_, nullptr);
    edit_ = std::make_unique<CACEdit>();
    ASSERT_TRUE(edit_->Init(edit_window_));
    edit_->SetNotifyWindow(parent_);
    edit_->AddCandidate(u"收盘价", 1);
    edit_->AddCandidate(u"开盘价", 2);
    edit_->AddCandidate(u"最高价", 3);
  }
  void TearDown() override {
    edit_.reset();
  }
  HWND list() const { return edit_->list().window(); }
  int Rows() const { return edit_->list().row_height() > 0 ? ClientHeight(list()) / edit_->list().row_height() : 0; }
  bool ChoicePosted() {
    MSG message;
    return PeekMessageW(&message, parent_, kAutocompleteChoiceMessage, kAutocompleteChoiceMessage, PM_REMOVE) != 0;
  }

  testing::ParentWindow parent_window_{kParentClass, DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       {100, 100, 500, 400}};
  HWND parent_ = nullptr;
  HWND edit_window_ = nullptr;
  std::unique_ptr<CACEdit> edit_;
};

TEST_F(CACEditTest, TypingShowsTheListUnderTheEditWithOneRowPerMatch) {
  ASSERT_FALSE(IsWindowVisible(list()));
  SetWindowTextW(edit_window_, L"盘价");
  ASSERT_TRUE(IsWindowVisible(list()));
  EXPECT_EQ(Rows(), 2);
  RECT edit_rect = {}, list_rect = {};
  GetWindowRect(edit_window_, &edit_rect);
  GetWindowRect(list(), &list_rect);
  EXPECT_EQ(list_rect.left, edit_rect.left);
  EXPECT_EQ(list_rect.top, edit_rect.bottom);
  EXPECT_EQ(list_rect.right - list_rect.left, edit_rect.right - edit_rect.left);

  for (int i = 0; i < 8; ++i) edit_->AddCandidate(u"价" + std::u16string(1, char16_t(u'0' + i)), 10 + i);
  SetWindowTextW(edit_window_, L"价");
  EXPECT_EQ(Rows(), 6);
  SetWindowTextW(edit_window_, L"最低价");
  EXPECT_FALSE(IsWindowVisible(list()));
  SetWindowTextW(edit_window_, L"价");
  SetWindowTextW(edit_window_, L"");
  EXPECT_FALSE(IsWindowVisible(list()));
}

TEST_F(CACEditTest, DownAndEnterPutTheEntryInAndPostTheChoice) {
  SetWindowTextW(edit_window_, L"盘价");
  SendMessageW(edit_window_, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(edit_window_, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Text(edit_window_), L"盘价") << "moving the highlight leaves the text";
  EXPECT_FALSE(ChoicePosted());
  SendMessageW(edit_window_, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(Text(edit_window_), L"收盘价");
  EXPECT_EQ(edit_->accepted_value(), 1u);
  EXPECT_TRUE(ChoicePosted());
  EXPECT_FALSE(IsWindowVisible(list())) << "the accepted text does not open the list again";
  DWORD start = 0, end = 0;
  SendMessageW(edit_window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 3u);
}

TEST_F(CACEditTest, EnterAndEscapeAreTheListsOnlyWhileItIsShown) {
  MSG escape = {edit_window_, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_FALSE(SendMessageW(edit_window_, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) &
               DLGC_WANTALLKEYS);
  SetWindowTextW(edit_window_, L"价");
  EXPECT_TRUE(SendMessageW(edit_window_, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) &
              DLGC_WANTALLKEYS);
  SendMessageW(edit_window_, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(IsWindowVisible(list()));
  EXPECT_EQ(Text(edit_window_), L"价");
  EXPECT_FALSE(SendMessageW(edit_window_, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) &
               DLGC_WANTALLKEYS);
  SendMessageW(edit_window_, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(ChoicePosted());
}

TEST_F(CACEditTest, AClickOnARowAcceptsIt) {
  SetWindowTextW(edit_window_, L"价");
  const int row_height = edit_->list().row_height();
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, row_height * 2 + row_height / 2));
  EXPECT_EQ(Text(edit_window_), L"最高价");
  EXPECT_TRUE(ChoicePosted());
  EXPECT_FALSE(IsWindowVisible(list()));
}

TEST_F(CACEditTest, MovingTheParentHidesTheList) {
  SetWindowTextW(edit_window_, L"价");
  ASSERT_TRUE(IsWindowVisible(list()));
  SetWindowPos(parent_, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(testing::PumpMessagesUntil([&] { return !IsWindowVisible(list()); }, std::chrono::seconds(3)));
}

TEST_F(CACEditTest, TheHintFillsTheEmptyUnfocusedBox) {
  SetFocus(parent_);
  edit_->SetHint(true);
  EXPECT_EQ(Text(edit_window_), L"在此输入指标名称进行搜索");
  EXPECT_FALSE(IsWindowVisible(list()));
  SetFocus(edit_window_);
  EXPECT_EQ(Text(edit_window_), L"");
  SetFocus(parent_);
  EXPECT_EQ(Text(edit_window_), L"在此输入指标名称进行搜索");
}

}  // namespace
}  // namespace orra
