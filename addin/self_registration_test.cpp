#include "addin/self_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/com_ids.h"
#include "addin/registrar_scripts.h"
#include "addin/registration_resources.h"
#include "common/utf8.h"
#include "testing/in_memory_registry.h"

namespace orra {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::kCurrentUser;
constexpr RegistryRoot kClasses = RegistryRoot::kClassesRoot;
constexpr int32_t kTypeLibraryFailure = static_cast<int32_t>(0x80029C4A);  // TYPE_E_CANTLOADLIBRARY

constexpr std::u16string_view kModulePath = u"C:\\Program Files\\Orra\\Renamed.dll";
constexpr std::u16string_view kOwnEntry = u"\"C:\\Program Files\\Orra\\OrraAddin64.xll\"";
constexpr std::u16string_view kAddinKey = u"SOFTWARE\\Microsoft\\Office\\Excel\\Addins\\ZodevUruza.OrraExcel";
constexpr std::u16string_view kOptions16 = u"SOFTWARE\\Microsoft\\Office\\16.0\\Excel\\Options";
constexpr std::u16string_view kOptions14 = u"Software\\Microsoft\\Office\\14.0\\Excel\\Options";

// The DLL as self-registration sees it, with the registrar scripts the real DLL carries.
class FakeHost final : public RegistrationHost {
 public:
  std::u16string ModulePath() const override { return std::u16string(kModulePath); }
  void MakeCurrentDirectory(std::u16string_view directory) override { current_directory = directory; }
  std::optional<std::u16string> RegistrarScriptText(int resource_number) const override {
    if (scripts_missing) return std::nullopt;
    if (resource_number == ORRA_APPLICATION_SCRIPT_RESOURCE) return FromUtf8(kApplicationScriptUtf8);
    if (resource_number == ORRA_CLASS_SCRIPT_RESOURCE) return FromUtf8(kClassScriptUtf8);
    return std::nullopt;
  }
  int32_t RegisterTypeLibrary(ClassesTarget target) override {
    type_library_calls.push_back(target == ClassesTarget::kMachine ? "register machine" : "register user");
    return type_library_result;
  }
  int32_t UnregisterTypeLibrary(ClassesTarget target) override {
    type_library_calls.push_back(target == ClassesTarget::kMachine ? "unregister machine" : "unregister user");
    return type_library_result;
  }

  std::u16string current_directory;
  std::vector<std::string> type_library_calls;
  int32_t type_library_result = kRegistrationSucceeded;
  bool scripts_missing = false;
};

class SelfRegistrationTest : public ::testing::Test {
 protected:
  std::u16string Slot(std::u16string_view options, std::u16string_view name) const {
    return registry_.Text(kUser, options, name).value_or(u"<missing>");
  }
  void Put(std::u16string_view options, std::u16string_view name, std::u16string_view text) {
    ASSERT_TRUE(registry_.Create(kUser, options)->WriteText(name, text));
  }

  InMemoryRegistry registry_;
  FakeHost host_;
  SelfRegistration registration_{registry_, host_};
};

TEST(StartupEntry, NamesTheFixedFileInQuotes) {
  EXPECT_EQ(StartupEntry(u"D:\\x\\"), u"\"D:\\x\\OrraAddin64.xll\"");
  EXPECT_EQ(DirectoryOf(kModulePath), u"C:\\Program Files\\Orra\\");
  EXPECT_EQ(DirectoryOf(u"no-directory.dll"), u"");
}

TEST(StartupEntry, OwnEntriesAreKnownByTheTextAfterTheLastBackslash) {
  EXPECT_TRUE(IsOwnStartupEntry(kOwnEntry));
  EXPECT_TRUE(IsOwnStartupEntry(u"\"D:\\Elsewhere\\ORRAADDIN64.XLL\""));
  EXPECT_TRUE(IsOwnStartupEntry(u"/R \"D:\\a\\b\\orraaddin64.xll\""));
  // Without a backslash the text is compared from its second character.
  EXPECT_TRUE(IsOwnStartupEntry(u"\"OrraAddin64.xll\""));
  EXPECT_TRUE(IsOwnStartupEntry(u"xOrraAddin64.xll\""));
  EXPECT_FALSE(IsOwnStartupEntry(u"OrraAddin64.xll\""));
  EXPECT_FALSE(IsOwnStartupEntry(u"\"C:\\Orra\\OrraAddin64.xll"));     // no closing quote
  EXPECT_FALSE(IsOwnStartupEntry(u"\"C:\\Orra\\OrraAddin64.xll\" "));  // something after it
  EXPECT_FALSE(IsOwnStartupEntry(u"\"C:\\Orra\\OrraAddin64.xll\\x\""));
  EXPECT_FALSE(IsOwnStartupEntry(u"\"C:\\Other\\MyOrraAddin64.xll\""));
  EXPECT_FALSE(IsOwnStartupEntry(u""));
  EXPECT_FALSE(IsOwnStartupEntry(u"\""));
}

TEST_F(SelfRegistrationTest, FirstRegistrationWritesEveryEntry) {
  registry_.Create(kUser, kOptions16);
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);

  EXPECT_EQ(registry_.Text(kUser, kAddinKey, u"FriendlyName"), u"Orra Excel Addin");
  EXPECT_EQ(registry_.Text(kUser, kAddinKey, u"Description"), u"星桥资管插件");
  EXPECT_EQ(registry_.Number(kUser, kAddinKey, u"LoadBehavior"), 3u);
  EXPECT_EQ(registry_.Number(kUser, kAddinKey, u"CommandLineSafe"), 1u);

  // With no start-up entries at all, both "OPEN" and OPEN1 get this system's.
  EXPECT_EQ(registry_.ValueNames(kUser, kOptions16), (std::vector<std::u16string>{u"OPEN", u"OPEN1"}));
  EXPECT_EQ(Slot(kOptions16, u"OPEN"), kOwnEntry);
  EXPECT_EQ(Slot(kOptions16, u"OPEN1"), kOwnEntry);
  // Versions whose Excel is not installed get nothing, not even their key.
  EXPECT_FALSE(registry_.HasKey(kUser, kOptions14));
  EXPECT_EQ(registry_.SubkeyNames(kUser, u"SOFTWARE\\Microsoft\\Office"), (std::vector<std::u16string>{u"16.0", u"Excel"}));
  EXPECT_EQ(host_.current_directory, u"C:\\Program Files\\Orra\\");

  const std::u16string clsid_key = u"CLSID\\" + std::u16string(kOrraExcelClassId);
  EXPECT_EQ(registry_.Text(kClasses, clsid_key, u""), u"OrraExcel Class");
  EXPECT_EQ(registry_.Text(kClasses, clsid_key + u"\\InprocServer32", u""), kModulePath);
  EXPECT_EQ(registry_.Text(kClasses, clsid_key + u"\\InprocServer32", u"ThreadingModel"), u"Apartment");
  EXPECT_EQ(registry_.Text(kClasses, clsid_key + u"\\ProgID", u""), u"ZodevUruza.OrraExcel.1");
  EXPECT_EQ(registry_.Text(kClasses, clsid_key + u"\\VersionIndependentProgID", u""), u"ZodevUruza.OrraExcel");
  EXPECT_EQ(registry_.Text(kClasses, clsid_key + u"\\TypeLib", u""), kTypeLibraryId);
  EXPECT_TRUE(registry_.HasKey(kClasses, clsid_key + u"\\Programmable"));
  EXPECT_EQ(registry_.Text(kClasses, u"ZodevUruza.OrraExcel\\CLSID", u""), kOrraExcelClassId);
  EXPECT_EQ(registry_.Text(kClasses, u"ZodevUruza.OrraExcel\\CurVer", u""), u"ZodevUruza.OrraExcel.1");
  EXPECT_EQ(registry_.Text(kClasses, u"ZodevUruza.OrraExcel.1\\CLSID", u""), kOrraExcelClassId);
  EXPECT_EQ(registry_.Text(kClasses, u"ZodevUruza.OrraExcel.1", u""), u"OrraExcel Class");
  EXPECT_EQ(registry_.Text(kClasses, u"AppID\\" + std::u16string(kApplicationId), u""), u"ZodevUruza");
  EXPECT_EQ(registry_.Text(kClasses, u"AppID\\ZodevUruza.DLL", u"AppID"), kApplicationId);
  EXPECT_EQ(host_.type_library_calls, std::vector<std::string>{"register machine"});
}

TEST_F(SelfRegistrationTest, TakesTheFirstNumberedSlotThatIsFree) {
  Put(kOptions16, u"OPEN", u"\"C:\\Other\\other.xll\"");
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);
  EXPECT_EQ(Slot(kOptions16, u"OPEN"), u"\"C:\\Other\\other.xll\"");
  EXPECT_EQ(Slot(kOptions16, u"OPEN1"), kOwnEntry);
  EXPECT_EQ(registry_.ValueNames(kUser, kOptions16).size(), 2u);

  // Past other add-ins' entries the scan stops at the first free slot, even with an older
  // entry of this system further on.
  Put(kOptions14, u"OPEN1", u"\"C:\\Other\\one.xll\"");
  Put(kOptions14, u"OPEN3", u"\"C:\\Old\\OrraAddin64.xll\"");
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);
  EXPECT_EQ(Slot(kOptions14, u"OPEN"), kOwnEntry);
  EXPECT_EQ(Slot(kOptions14, u"OPEN1"), u"\"C:\\Other\\one.xll\"");
  EXPECT_EQ(Slot(kOptions14, u"OPEN2"), kOwnEntry);
  EXPECT_EQ(Slot(kOptions14, u"OPEN3"), u"\"C:\\Old\\OrraAddin64.xll\"");
}

TEST_F(SelfRegistrationTest, RegistrationAgainChangesNothing) {
  registry_.Create(kUser, kOptions16);
  Put(kOptions14, u"OPEN", u"\"C:\\Other\\other.xll\"");
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);
  const std::vector<std::u16string> user = registry_.Dump(kUser);
  const std::vector<std::u16string> classes = registry_.Dump(kClasses);
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);
  EXPECT_EQ(registry_.Dump(kUser), user);
  EXPECT_EQ(registry_.Dump(kClasses), classes);
}

TEST_F(SelfRegistrationTest, AnEntryOfThisSystemFromElsewhereIsRewrittenThenDeleted) {
  Put(kOptions16, u"OPEN", u"\"D:\\Old Place\\orraaddin64.XLL\"");
  Put(kOptions16, u"OPEN1", u"\"C:\\Other\\other.xll\"");
  Put(kOptions16, u"OPEN2", u"\"E:\\Older\\OrraAddin64.xll\"");
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);
  EXPECT_EQ(Slot(kOptions16, u"OPEN"), kOwnEntry);
  EXPECT_EQ(Slot(kOptions16, u"OPEN1"), u"\"C:\\Other\\other.xll\"");
  EXPECT_EQ(Slot(kOptions16, u"OPEN2"), kOwnEntry);

  ASSERT_EQ(registration_.Unregister(), kRegistrationSucceeded);
  EXPECT_EQ(registry_.ValueNames(kUser, kOptions16), std::vector<std::u16string>{u"OPEN1"});
}

TEST_F(SelfRegistrationTest, NeverOverwritesAnotherAddinWhenEveryNumberedSlotIsTaken) {
  Put(kOptions14, u"OPEN", u"\"C:\\Others\\first.xll\"");
  for (int slot = 1; slot <= 255; ++slot) {
    const std::string name = "OPEN" + std::to_string(slot);
    const std::u16string wide(name.begin(), name.end());
    Put(kOptions14, wide, u"\"C:\\Others\\" + wide + u".xll\"");
    Put(kOptions16, wide, u"\"C:\\Others\\" + wide + u".xll\"");
  }
  const std::vector<std::u16string> before = registry_.Dump(kUser);

  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);
  // Version 16's "OPEN" was free and holds this system's entry now; no other slot changed.
  EXPECT_EQ(Slot(kOptions16, u"OPEN"), kOwnEntry);
  ASSERT_TRUE(registry_.Create(kUser, kOptions16)->DeleteValue(u"OPEN"));
  ASSERT_EQ(registry_.DeleteTree(kUser, kAddinKey), DeleteOutcome::kDeleted);
  ASSERT_EQ(registry_.DeleteTree(kUser, u"SOFTWARE\\Microsoft\\Office\\Excel"), DeleteOutcome::kDeleted);
  EXPECT_EQ(registry_.Dump(kUser), before);
}

TEST_F(SelfRegistrationTest, UnregistrationRemovesWhatRegistrationWroteAndNothingElse) {
  registry_.Create(kUser, kOptions16);
  Put(kOptions14, u"OPEN", u"\"C:\\Other\\other.xll\"");
  ASSERT_TRUE(registry_.Create(kClasses, u"CLSID\\{someone-else}"));
  ASSERT_TRUE(registry_.Create(kClasses, u"AppID\\{someone-else}"));
  const std::vector<std::u16string> classes_before = registry_.Dump(kClasses);
  ASSERT_EQ(registration_.Register(), kRegistrationSucceeded);

  ASSERT_EQ(registration_.Unregister(), kRegistrationSucceeded);
  EXPECT_FALSE(registry_.HasKey(kUser, kAddinKey));
  EXPECT_TRUE(registry_.ValueNames(kUser, kOptions16).empty());
  EXPECT_EQ(registry_.ValueNames(kUser, kOptions14), std::vector<std::u16string>{u"OPEN"});
  EXPECT_EQ(registry_.Dump(kClasses), classes_before);
  EXPECT_EQ(host_.type_library_calls, (std::vector<std::string>{"register machine", "unregister machine"}));
}

TEST_F(SelfRegistrationTest, UnregistrationStopsLookingAfterFiveMissingSlotsOverAllVersions) {
  // Version 14 has four gaps before one of our entries: still found; the fifth gap ends its
  // scan, so the entry after it stays.
  Put(kOptions14, u"OPEN", kOwnEntry);
  Put(kOptions14, u"OPEN5", kOwnEntry);
  Put(kOptions14, u"OPEN7", kOwnEntry);
  // The count is not reset: version 16's first gap ends its scan at once.
  Put(kOptions16, u"OPEN", kOwnEntry);
  Put(kOptions16, u"OPEN2", kOwnEntry);

  registration_.Unregister();
  EXPECT_EQ(registry_.ValueNames(kUser, kOptions14), std::vector<std::u16string>{u"OPEN7"});
  EXPECT_EQ(registry_.ValueNames(kUser, kOptions16), std::vector<std::u16string>{u"OPEN2"});
}

TEST_F(SelfRegistrationTest, ClassRegistrationWithoutTheRightsFailsAfterTheUserEntries) {
  registry_.Create(kUser, kOptions16);
  registry_.SetReadOnly(kClasses, true);
  EXPECT_EQ(registration_.Register(), kClassRegistrationFailed);
  EXPECT_EQ(registry_.Number(kUser, kAddinKey, u"LoadBehavior"), 3u);
  EXPECT_EQ(Slot(kOptions16, u"OPEN"), kOwnEntry);
  EXPECT_TRUE(host_.type_library_calls.empty());
}

TEST_F(SelfRegistrationTest, TheTypeLibraryResultIsTheAnswer) {
  host_.type_library_result = kTypeLibraryFailure;
  EXPECT_EQ(registration_.Register(), kTypeLibraryFailure);
  // Unregistration answers the type library's failure but removes the classes all the same.
  EXPECT_EQ(registration_.Unregister(), kTypeLibraryFailure);
  EXPECT_FALSE(registry_.HasKey(kClasses, u"ZodevUruza.OrraExcel"));
  EXPECT_FALSE(registry_.HasKey(kClasses, u"CLSID\\" + std::u16string(kOrraExcelClassId)));
}

TEST_F(SelfRegistrationTest, AModuleWithoutItsScriptsFailsTheClassRegistration) {
  host_.scripts_missing = true;
  EXPECT_EQ(registration_.Register(), kClassRegistrationFailed);
  EXPECT_EQ(registration_.Unregister(), kClassRegistrationFailed);
}

TEST_F(SelfRegistrationTest, InstallForTheUserSwitchesEveryLaterCallToTheUsersClasses) {
  EXPECT_EQ(registration_.Install(true, u"users"), kRegistrationSucceeded);
  EXPECT_EQ(registration_.Install(true, u"use"), kRegistrationSucceeded);
  EXPECT_FALSE(registration_.per_user());
  EXPECT_TRUE(registry_.HasKey(kClasses, u"ZodevUruza.OrraExcel"));
  ASSERT_EQ(registration_.Install(false, std::nullopt), kRegistrationSucceeded);

  EXPECT_EQ(registration_.Install(true, u"USER"), kRegistrationSucceeded);
  EXPECT_TRUE(registration_.per_user());
  EXPECT_EQ(registry_.Dump(kClasses).size(), 3u);  // the root and the kept AppID and CLSID keys
  EXPECT_EQ(registry_.Text(kUser, u"Software\\Classes\\ZodevUruza.OrraExcel\\CurVer", u""), u"ZodevUruza.OrraExcel.1");
  EXPECT_EQ(registry_.Text(kUser, u"Software\\Classes\\CLSID\\" + std::u16string(kOrraExcelClassId) + u"\\InprocServer32", u""),
            kModulePath);

  // Without a command line the switch stays on.
  EXPECT_EQ(registration_.Install(false, std::nullopt), kRegistrationSucceeded);
  EXPECT_FALSE(registry_.HasKey(kUser, u"Software\\Classes\\ZodevUruza.OrraExcel"));
  EXPECT_EQ(host_.type_library_calls.back(), "unregister user");
  EXPECT_EQ(host_.type_library_calls[host_.type_library_calls.size() - 2], "register user");
}

TEST_F(SelfRegistrationTest, AFailedInstallUndoesTheRegistration) {
  registry_.Create(kUser, kOptions16);
  registry_.SetReadOnly(kClasses, true);
  EXPECT_EQ(registration_.Install(true, std::nullopt), kClassRegistrationFailed);
  EXPECT_FALSE(registry_.HasKey(kUser, kAddinKey));
  EXPECT_TRUE(registry_.ValueNames(kUser, kOptions16).empty());
}

}  // namespace
}  // namespace orra
