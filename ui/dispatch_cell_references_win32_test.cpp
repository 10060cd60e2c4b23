// Excel's cell references from another thread, under Wine: the stand-in Excel's Application
// refuses a raw pointer used outside its apartment, as Excel does, and serves the proxy that a
// DispatchHandoff gives the other thread while its own thread pumps messages.
#include "ui/dispatch_cell_references_win32.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "testing/message_pump_win32.h"
#include "tools/xlhost/excel_objects_win32.h"
#include "ui/dispatch_handoff_win32.h"

namespace orra {
namespace {

constexpr std::chrono::seconds kLimit{10};

struct Apartment {
  Apartment() : joined(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~Apartment() {
    if (joined) CoUninitialize();
  }
  const bool joined;
};

// What the other thread found.
struct Answers {
  std::optional<std::u16string> raw_address = u"not asked";
  bool raw_is_range = true;
  bool took_proxy = false;
  std::optional<std::u16string> address;
  bool is_range = false;
  bool is_range_of_nonsense = true;
  bool second_take_empty = false;
};

class DispatchCellReferencesTest : public ::testing::Test {
 protected:
  Apartment apartment_;
  xlhost::Sheet sheet_{u"Book1.xlsx", u"Sheet1", 1};
  xlhost::Workbook workbook_{sheet_, [](xlhost::CellAddress) {}};
  xlhost::ApartmentGate gate_;
  xlhost::ComPtr<IDispatch> application_ =
      xlhost::MakeApplication(workbook_, gate_, reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234)));
};

TEST_F(DispatchCellReferencesTest, AnotherThreadIsRefusedWithTheRawPointerAndServedThroughTheHandoff) {
  ASSERT_TRUE(apartment_.joined);
  ASSERT_TRUE(application_);
  workbook_.Activate({2, 1});
  DispatchHandoff handoff(application_.get());

  Answers answers;
  std::atomic<bool> done{false};
  std::thread other([&] {
    {
      Apartment apartment;
      DispatchCellReferences raw(ComPtr<IDispatch>::Share(application_.get()));
      answers.raw_address = raw.ActiveCellAddress();
      answers.raw_is_range = raw.IsRange(u"A1");

      ComPtr<IDispatch> proxy = handoff.Take();
      answers.took_proxy = static_cast<bool>(proxy);
      answers.second_take_empty = !handoff.Take();
      DispatchCellReferences excel(std::move(proxy));
      answers.address = excel.ActiveCellAddress();
      answers.is_range = excel.IsRange(u"B2:C3");
      answers.is_range_of_nonsense = excel.IsRange(u"no such range!");
    }
    done = true;
  });
  const bool finished = testing::PumpMessagesUntil([&] { return done.load(); }, kLimit);
  other.join();
  ASSERT_TRUE(finished) << "the other thread's calls were not served";

  EXPECT_EQ(answers.raw_address, std::nullopt) << "Excel refuses a pointer used outside its apartment";
  EXPECT_FALSE(answers.raw_is_range);
  ASSERT_TRUE(answers.took_proxy);
  EXPECT_TRUE(answers.second_take_empty) << "a handoff gives its object once";
  EXPECT_EQ(answers.address, u"[Book1.xlsx]Sheet1!$B$3");
  EXPECT_TRUE(answers.is_range);
  EXPECT_FALSE(answers.is_range_of_nonsense);
}

TEST_F(DispatchCellReferencesTest, WithoutAnApplicationEveryQuestionFails) {
  DispatchHandoff nothing(nullptr);
  EXPECT_FALSE(nothing.Take());
  DispatchCellReferences excel{ComPtr<IDispatch>()};
  EXPECT_EQ(excel.ActiveCellAddress(), std::nullopt);
  EXPECT_FALSE(excel.IsRange(u"A1"));
}

TEST_F(DispatchCellReferencesTest, AHandoffNeverTakenLetsTheObjectGo) {
  xlhost::ComPtr<IDispatch> application =
      xlhost::MakeApplication(workbook_, gate_, reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234)));
  ASSERT_TRUE(application);
  IDispatch* const object = application.get();
  { DispatchHandoff unused(object); }
  // One reference is left, ours: AddRef answers the count after it.
  EXPECT_EQ(object->AddRef(), 2u) << "the marshal data's references were released";
  object->Release();
}

}  // namespace
}  // namespace orra
