#include "testing/in_memory_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace orra {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::kCurrentUser;
constexpr RegistryRoot kClasses = RegistryRoot::kClassesRoot;

TEST(InMemoryRegistry, KeyAndValueNamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
  InMemoryRegistry registry;
  ASSERT_NE(registry.Create(kUser, u"Software\\Vendor\\Product"), nullptr);
  auto key = registry.Open(kUser, u"SOFTWARE\\vendor\\PRODUCT");
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->WriteText(u"Path", u"first"));
  EXPECT_TRUE(key->WriteText(u"PATH", u"second"));
  EXPECT_EQ(key->ReadText(u"path", 260), u"second");
  EXPECT_EQ(registry.ValueNames(kUser, u"software\\vendor\\product"), std::vector<std::u16string>{u"Path"});
  EXPECT_EQ(registry.SubkeyNames(kUser, u"software"), std::vector<std::u16string>{u"Vendor"});
}

TEST(InMemoryRegistry, RootsAreSeparateTrees) {
  InMemoryRegistry registry;
  ASSERT_NE(registry.Create(kClasses, u"CLSID"), nullptr);
  EXPECT_EQ(registry.Open(kUser, u"CLSID"), nullptr);
  EXPECT_TRUE(registry.HasKey(kClasses, u"clsid"));
}

TEST(InMemoryRegistry, RefusesEmptyPartsAndOverlongNames) {
  InMemoryRegistry registry;
  EXPECT_EQ(registry.Create(kUser, u""), nullptr);
  EXPECT_EQ(registry.Create(kUser, u"A\\\\B"), nullptr);
  EXPECT_EQ(registry.Create(kUser, u"\\A"), nullptr);
  EXPECT_EQ(registry.Create(kUser, u"A\\"), nullptr);
  EXPECT_EQ(registry.Create(kUser, std::u16string(256, u'k')), nullptr);
  EXPECT_NE(registry.Create(kUser, std::u16string(255, u'k')), nullptr);
  EXPECT_EQ(registry.Dump(kUser).size(), 2u);  // the root and the one key of 255 characters
}

TEST(InMemoryRegistry, ReadsOnlyValuesOfTheAskedTypeThatFitTheRoom) {
  InMemoryRegistry registry;
  auto key = registry.Create(kUser, u"K");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteText(u"text", u"12345"));
  ASSERT_TRUE(key->WriteNumber(u"number", 7));
  EXPECT_EQ(key->ReadText(u"text", 5), u"12345");
  EXPECT_EQ(key->ReadText(u"text", 4), std::nullopt);
  EXPECT_EQ(key->ReadText(u"number", 260), std::nullopt);
  EXPECT_EQ(registry.Number(kUser, u"K", u"number"), 7u);
  EXPECT_EQ(registry.Number(kUser, u"K", u"text"), std::nullopt);
  EXPECT_EQ(key->ReadText(u"missing", 260), std::nullopt);
  EXPECT_TRUE(key->DeleteValue(u"TEXT"));
  EXPECT_FALSE(key->DeleteValue(u"text"));
}

TEST(InMemoryRegistry, DeletingATreeTakesItsSubkeysAndLeavesOpenKeysDead) {
  InMemoryRegistry registry;
  auto deep = registry.Create(kUser, u"A\\B\\C");
  ASSERT_NE(deep, nullptr);
  ASSERT_TRUE(deep->WriteText(u"v", u"x"));
  ASSERT_NE(registry.Create(kUser, u"A\\Other"), nullptr);

  EXPECT_EQ(registry.DeleteTree(kUser, u"a\\b"), DeleteOutcome::kDeleted);
  EXPECT_FALSE(registry.HasKey(kUser, u"A\\B\\C"));
  EXPECT_TRUE(registry.HasKey(kUser, u"A\\Other"));
  EXPECT_EQ(deep->ReadText(u"v", 260), std::nullopt);
  EXPECT_FALSE(deep->WriteText(u"v", u"y"));
  // Making the key again does not bring the dead object back to life.
  ASSERT_NE(registry.Create(kUser, u"A\\B\\C"), nullptr);
  EXPECT_FALSE(deep->WriteText(u"v", u"y"));
  EXPECT_EQ(registry.Text(kUser, u"A\\B\\C", u"v"), std::nullopt);

  EXPECT_EQ(registry.DeleteTree(kUser, u"A\\Missing"), DeleteOutcome::kMissing);
  EXPECT_EQ(registry.DeleteTree(kUser, u"Missing\\Too"), DeleteOutcome::kMissing);
}

TEST(InMemoryRegistry, AReadOnlyRootOpensAndReadsButChangesNothing) {
  InMemoryRegistry registry;
  ASSERT_TRUE(registry.Create(kClasses, u"K")->WriteText(u"v", u"kept"));
  registry.SetReadOnly(kClasses, true);
  const std::vector<std::u16string> before = registry.Dump(kClasses);

  auto key = registry.Open(kClasses, u"K");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->ReadText(u"v", 260), u"kept");
  EXPECT_FALSE(key->WriteText(u"v", u"changed"));
  EXPECT_FALSE(key->WriteNumber(u"n", 1));
  EXPECT_FALSE(key->DeleteValue(u"v"));
  EXPECT_EQ(registry.Create(kClasses, u"K"), nullptr);
  EXPECT_EQ(registry.DeleteTree(kClasses, u"K"), DeleteOutcome::kFailed);
  EXPECT_EQ(registry.Dump(kClasses), before);
  EXPECT_NE(registry.Create(kUser, u"K"), nullptr);
}

}  // namespace
}  // namespace orra
