#include "store/ini_text.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

// 自选股一, the default block's name, in GBK.
const std::string kDefaultName = "\xD7\xD4\xD1\xA1\xB9\xC9\xD2\xBB";

void Load(CIniText& ini, std::string_view text) {
  ini.LoadText({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

TEST(IniText, SectionsNeedTheirHeaderEndedByCrLfAndRunToTheNextHeader) {
  CIniText ini(false);
  Load(ini, "junk[a]\r\nk=1\r\n[b]\r\nk=2\r\n[c]\nk=3\r\n");
  EXPECT_TRUE(ini.HasSection("a")) << "a header counts anywhere in the text";
  EXPECT_TRUE(ini.HasSection("b"));
  EXPECT_FALSE(ini.HasSection("c")) << "a bare LF ends no header";
  EXPECT_FALSE(ini.HasSection("A")) << "section names match byte for byte";
  EXPECT_EQ(ini.GetString("a", "k", 31), "1");
  EXPECT_EQ(ini.GetString("b", "k", 31), "2");
  EXPECT_EQ(ini.GetString("c", "k", 31), "");
  EXPECT_EQ(ini.GetString("a", "missing", 31), "");
}

TEST(IniText, AKeyCountsAtTheBodysStartOrAfterALineFeedAndNotInTheNextSection) {
  CIniText ini(false);
  Load(ini, "[s]\r\nxk=1\r\nkk=2\r\n k=3\r\n[t]\r\nk=4\r\n");
  EXPECT_EQ(ini.GetString("s", "k", 31), "") << "only inside longer keys or after a space";
  EXPECT_EQ(ini.GetString("s", "xk", 31), "1");
  EXPECT_EQ(ini.GetString("s", "kk", 31), "2");
  EXPECT_EQ(ini.GetString("s", " k", 31), "3");
  // A LF alone is enough to start a key inside a body.
  CIniText lf(false);
  Load(lf, "[s]\r\na=1\nb=2\r\n");
  EXPECT_EQ(lf.GetString("s", "a", 31), "1\nb=2");
  EXPECT_EQ(lf.GetString("s", "b", 31), "2");
}

TEST(IniText, TheFirstLineOfAKeyWinsAndKeysHoldingEqualsSignsAreStillFound) {
  CIniText ini(false);
  Load(ini, "[s]\r\nstock2=b\r\nstock1=a\r\nstock1=late\r\n=empty\r\na=b=c\r\nno equals\r\n[t]\r\nstock3=t\r\n");
  EXPECT_EQ(ini.GetString("s", "stock1", 31), "a");
  EXPECT_EQ(ini.GetString("s", "stock2", 31), "b");
  EXPECT_EQ(ini.GetString("s", "", 31), "empty");
  EXPECT_EQ(ini.GetString("s", "a", 31), "b=c");
  EXPECT_EQ(ini.GetString("s", "a=b", 31), "c");
  EXPECT_EQ(ini.GetString("s", "no equals", 31), "");
  EXPECT_EQ(ini.GetString("s", "stock3", 31), "") << "a key of the next section";
  EXPECT_EQ(ini.GetString("t", "stock3", 31), "t");
  EXPECT_EQ(ini.GetString("s", "stock1", 31), "a") << "back to a section read before";
  // A key may run over a line feed, as the search from the section's start finds it.
  CIniText lines(false);
  Load(lines, "[s]\r\nx\r\ny=1\r\n");
  EXPECT_EQ(lines.GetString("s", "x\r\ny", 31), "1");
  EXPECT_EQ(lines.GetString("s", "y", 31), "1");
  EXPECT_EQ(lines.GetString("s", "x", 31), "");
}

TEST(IniText, ManyLinesWithoutAKeyAreReadInOnePass) {
  // A hostile file of a million bare lines before one key: each line is looked at once.
  std::string text = "[s]\r\n" + std::string(1000000, '\n') + "k=v\r\n";
  CIniText ini(false);
  Load(ini, text);
  EXPECT_EQ(ini.GetString("s", "k", 31), "v");
}

TEST(IniText, AValueRunsToItsCrOrTheEndAndIsCutOnACharacterBoundary) {
  CIniText ini(false);
  Load(ini, "[s]\r\nname=" + kDefaultName + "\r\nlast=tail");
  EXPECT_EQ(ini.GetString("s", "name", 31), kDefaultName);
  EXPECT_EQ(ini.GetString("s", "name", 5), kDefaultName.substr(0, 4)) << "no half character";
  EXPECT_EQ(ini.GetString("s", "name", 0), "");
  EXPECT_EQ(ini.GetString("s", "last", 31), "tail");
  EXPECT_EQ(ini.GetString("s", "last", 2), "ta");
}

TEST(IniText, CountIsTheDecimalValueOfItsKeyOrZero) {
  CIniText ini(false);
  Load(ini, "[a]\r\ncount=12\r\n[b]\r\ncount=-3\r\n[c]\r\nx=1\r\n[d]\r\ncount=many\r\n");
  EXPECT_EQ(ini.GetCount("a"), 12);
  EXPECT_EQ(ini.GetCount("b"), -3);
  EXPECT_EQ(ini.GetCount("c"), 0);
  EXPECT_EQ(ini.GetCount("d"), 0);
  EXPECT_EQ(ini.GetCount("none"), 0);
}

TEST(IniText, TheDefaultBlockIsAddedWhereItIsMissingAndLeftWhereItIsSet) {
  CIniText missing(false);
  Load(missing, "[a]\r\ncount=1\r\n");
  missing.AddDefaultBlock("g");
  EXPECT_EQ(missing.text(), "[a]\r\ncount=1\r\n[g]\r\nname1=" + kDefaultName + "\r\n");
  EXPECT_EQ(missing.changes(), 1);
  EXPECT_EQ(missing.GetString("g", "name1", 31), kDefaultName) << "the edit is seen by later reads";

  CIniText unnamed(false);
  Load(unnamed, "[g]\r\ncount=1\r\n[h]\r\n");
  unnamed.AddDefaultBlock("g");
  EXPECT_EQ(unnamed.text(), "[g]\r\nname1=" + kDefaultName + "\r\ncount=1\r\n[h]\r\n");

  CIniText renamed(false);
  Load(renamed, "[g]\r\nname1=old\r\ncount=1\r\n");
  renamed.AddDefaultBlock("g");
  EXPECT_EQ(renamed.text(), "[g]\r\nname1=" + kDefaultName + "\r\ncount=1\r\n");
  EXPECT_EQ(renamed.changes(), 1);

  const std::string named_text = "[g]\r\nname1=" + kDefaultName + "\r\n";
  CIniText named(false);
  Load(named, named_text);
  named.AddDefaultBlock("g");
  EXPECT_EQ(named.text(), named_text);
  EXPECT_EQ(named.changes(), 0);
}

// The terminal's own writer compares the section it read last without regard to A-Z case, so
// a group named in another case edits that section rather than adding one.
TEST(IniText, TheDefaultBlockGoesToTheLastReadSectionWhenOnlyItsCaseDiffers) {
  CIniText ini(false);
  Load(ini, "[Group]\r\ncount=0\r\n");
  ASSERT_TRUE(ini.HasSection("Group"));
  ini.AddDefaultBlock("GROUP");
  EXPECT_EQ(ini.text(), "[Group]\r\nname1=" + kDefaultName + "\r\ncount=0\r\n");
  EXPECT_FALSE(ini.HasSection("GROUP"));
}

TEST(IniText, LoadingTextAgainForgetsTheEditsAndTheSectionReadLast) {
  CIniText ini(false);
  Load(ini, "[g]\r\nk=1\r\n");
  EXPECT_EQ(ini.GetString("g", "k", 31), "1");
  ini.AddDefaultBlock("x");
  Load(ini, "[g]\r\nk=2\r\n");
  EXPECT_EQ(ini.changes(), 0);
  EXPECT_EQ(ini.GetString("g", "k", 31), "2");
}

}  // namespace
}  // namespace orra
