#include "addin/registrar_script.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "testing/in_memory_registry.h"

namespace orra {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::kCurrentUser;
constexpr RegistryRoot kClasses = RegistryRoot::kClassesRoot;

const std::array<RegistrarVariable, 2> kVariables = {{{u"MODULE", u"C:\\Add ins\\it's.xll"}, {u"ID", u"{42}"}}};

constexpr std::u16string_view kScript = uR"(HKCR
{
  NoRemove CLSID
  {
    ForceRemove '%ID%' = s 'The Class'
    {
      InprocServer32 = s '%MODULE%'
      {
        val ThreadingModel = s 'Apartment'
      }
      ForceRemove Programmable
    }
  }
  Vendor.Class = s 'The Class'
  {
    CLSID = s '%ID%'
  }
}
HKEY_CURRENT_USER
{
  NoRemove Software
  {
    Vendor
    {
      val Count = d 3
      val Mask = d '0xFFFFFFFF'
      val 'Odd ''name''' = s '100%% sure'
    }
  }
}
)";

// The script above, which must parse (value() throws, and the test fails, when it does not).
RegistrarScript MustParse(std::u16string_view text) { return RegistrarScript::Parse(text, kVariables).value(); }

TEST(RegistrarScript, RegistersKeysValuesAndVariablesUnderTheirRoots) {
  InMemoryRegistry registry;
  ASSERT_TRUE(MustParse(kScript).Register(registry, ClassesTarget::kMachine));

  EXPECT_EQ(registry.Text(kClasses, u"CLSID\\{42}", u""), u"The Class");
  EXPECT_EQ(registry.Text(kClasses, u"CLSID\\{42}\\InprocServer32", u""), u"C:\\Add ins\\it's.xll");
  EXPECT_EQ(registry.Text(kClasses, u"CLSID\\{42}\\InprocServer32", u"ThreadingModel"), u"Apartment");
  EXPECT_TRUE(registry.HasKey(kClasses, u"CLSID\\{42}\\Programmable"));
  EXPECT_TRUE(registry.ValueNames(kClasses, u"CLSID\\{42}\\Programmable").empty());
  EXPECT_EQ(registry.Text(kClasses, u"Vendor.Class\\CLSID", u""), u"{42}");
  EXPECT_EQ(registry.Number(kUser, u"Software\\Vendor", u"Count"), 3u);
  EXPECT_EQ(registry.Number(kUser, u"Software\\Vendor", u"Mask"), 0xFFFFFFFFu);
  EXPECT_EQ(registry.Text(kUser, u"Software\\Vendor", u"Odd 'name'"), u"100% sure");
  EXPECT_FALSE(registry.HasKey(kUser, u"Software\\Classes"));
}

TEST(RegistrarScript, PerUserRegistrationPutsTheClassesUnderTheUsersClasses) {
  InMemoryRegistry registry;
  ASSERT_TRUE(MustParse(kScript).Register(registry, ClassesTarget::kCurrentUser));
  EXPECT_EQ(registry.Dump(kClasses).size(), 1u);  // only the root
  EXPECT_EQ(registry.Text(kUser, u"Software\\Classes\\CLSID\\{42}\\InprocServer32", u""), u"C:\\Add ins\\it's.xll");
  EXPECT_EQ(registry.Number(kUser, u"Software\\Vendor", u"Count"), 3u);

  ASSERT_TRUE(MustParse(kScript).Unregister(registry, ClassesTarget::kCurrentUser));
  EXPECT_FALSE(registry.HasKey(kUser, u"Software\\Classes\\CLSID\\{42}"));
  EXPECT_FALSE(registry.HasKey(kUser, u"Software\\Classes\\Vendor.Class"));
  EXPECT_TRUE(registry.HasKey(kUser, u"Software\\Classes\\CLSID"));
}

TEST(RegistrarScript, ForceRemoveReplacesTheKeyWholeOtherKeysKeepWhatTheyHold) {
  InMemoryRegistry registry;
  ASSERT_TRUE(registry.Create(kClasses, u"CLSID\\{42}\\Stale\\Deeper"));
  ASSERT_TRUE(registry.Create(kClasses, u"CLSID\\{42}\\Programmable\\Stale"));
  ASSERT_TRUE(registry.Create(kClasses, u"Vendor.Class\\Extra")->WriteText(u"kept", u"yes"));

  ASSERT_TRUE(MustParse(kScript).Register(registry, ClassesTarget::kMachine));
  EXPECT_FALSE(registry.HasKey(kClasses, u"CLSID\\{42}\\Stale"));
  EXPECT_TRUE(registry.SubkeyNames(kClasses, u"CLSID\\{42}\\Programmable").empty());
  EXPECT_EQ(registry.Text(kClasses, u"Vendor.Class\\Extra", u"kept"), u"yes");
}

TEST(RegistrarScript, UnregisterDeletesWhatItNamesAndKeepsNoRemoveKeysAndTheirOtherSubkeys) {
  InMemoryRegistry registry;
  ASSERT_TRUE(registry.Create(kClasses, u"CLSID\\{other}"));
  ASSERT_TRUE(registry.Create(kUser, u"Software\\Someone"));
  const RegistrarScript script = MustParse(kScript);
  ASSERT_TRUE(script.Register(registry, ClassesTarget::kMachine));

  ASSERT_TRUE(script.Unregister(registry, ClassesTarget::kMachine));
  EXPECT_EQ(registry.Dump(kClasses), (std::vector<std::u16string>{u"", u"CLSID", u"CLSID\\{other}"}));
  EXPECT_EQ(registry.SubkeyNames(kUser, u"Software"), std::vector<std::u16string>{u"Someone"});

  // Nothing left to delete is no failure.
  EXPECT_TRUE(script.Unregister(registry, ClassesTarget::kMachine));
}

TEST(RegistrarScript, FailuresStopRegistrationButNotUnregistration) {
  InMemoryRegistry registry;
  const RegistrarScript script = MustParse(kScript);
  registry.SetReadOnly(kClasses, true);
  EXPECT_FALSE(script.Register(registry, ClassesTarget::kMachine));
  // The HKCR block failed first, so the HKCU block was never reached.
  EXPECT_FALSE(registry.HasKey(kUser, u"Software\\Vendor"));

  registry.SetReadOnly(kClasses, false);
  ASSERT_TRUE(script.Register(registry, ClassesTarget::kMachine));
  registry.SetReadOnly(kClasses, true);
  EXPECT_FALSE(script.Unregister(registry, ClassesTarget::kMachine));
  EXPECT_TRUE(registry.HasKey(kClasses, u"CLSID\\{42}"));
  EXPECT_FALSE(registry.HasKey(kUser, u"Software\\Vendor"));
}

TEST(RegistrarScript, RefusesMalformedScripts) {
  const char16_t* const malformed[] = {
      u"HKLM { Key }",                            // a root it does not write
      u"HKCR { Key = s '%NOPE%' }",               // a variable not given
      u"HKCR { Key = s '%MODULE }",               // a variable not closed
      u"HKCR { Key = s 'open }",                  // a quote not closed
      u"HKCR { Key = x 'text' }",                 // neither text nor number
      u"HKCR { Key = d 'twelve' }",               // a number that is none
      u"HKCR { Key = d 4294967296 }",             // a number too large
      u"HKCR { Key = d 0x }",                     // a number without digits
      u"HKCR { val Name = s 'x' }",               // a value outside a key
      u"HKCR { 'A\\B' }",                         // a backslash inside a name
      u"HKCR { '' }",                             // an empty name
      u"HKCR { Key { val = s 'x' } }",            // a value without a name
      u"HKCR { Key = }",                          // an equals sign without a datum
      u"HKCR Key",                                // a root without its block
      u"{ Key }",                                 // a block without a root
      u"HKCR { Key } }",                          // a brace too many
      u"HKCR { NoRemove }",                       // a flag without a name
  };
  for (const char16_t* text : malformed) {
    EXPECT_FALSE(RegistrarScript::Parse(text, kVariables).has_value()) << std::string(text, text + std::char_traits<char16_t>::length(text));
  }
}

TEST(RegistrarScript, EveryTruncationOfAScriptIsRefused) {
  std::u16string_view whole = kScript;
  while (!whole.empty() && whole.back() == u'\n') whole.remove_suffix(1);
  ASSERT_TRUE(RegistrarScript::Parse(whole, kVariables).has_value());
  // Every prefix that ends inside a root's block misses a closing brace, a name or a datum.
  const size_t second_root = whole.find(u"HKEY_CURRENT_USER");
  const size_t first_root_end = whole.rfind(u'}', second_root);
  for (size_t length = 1; length < whole.size(); ++length) {
    if (length > first_root_end && length <= second_root) continue;  // whole first root, then blanks
    EXPECT_FALSE(RegistrarScript::Parse(whole.substr(0, length), kVariables).has_value()) << length;
  }
  // The empty text is a script that does nothing.
  EXPECT_TRUE(RegistrarScript::Parse(u"", kVariables).has_value());
}

TEST(RegistrarScript, BoundsTheNestingOfBlocks) {
  auto nested = [](size_t depth) {
    std::u16string text = u"HKCU ";
    for (size_t i = 0; i < depth; ++i) text += u"{ K ";
    text += u"{ }";
    for (size_t i = 0; i < depth; ++i) text += u" }";
    return text;
  };
  EXPECT_TRUE(RegistrarScript::Parse(nested(kMaxRegistrarDepth - 1), kVariables).has_value());
  EXPECT_FALSE(RegistrarScript::Parse(nested(kMaxRegistrarDepth), kVariables).has_value());
  EXPECT_FALSE(RegistrarScript::Parse(nested(100000), kVariables).has_value());
}

}  // namespace
}  // namespace orra
