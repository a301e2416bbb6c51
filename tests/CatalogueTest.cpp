// The message catalogue: the choice of language, the fallbacks of a lookup,
// damaged data, numbered placeholders, and the catalogue compiled into the
// program. The fixtures' catalogues are tests/po, compiled by the build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/Catalogue.h"
#include "engine/base/NumberedText.h"

namespace tarnwell {
std::span<const EmbeddedCatalogue> TestCatalogues();
}

namespace tarnwell {
namespace {

std::span<const unsigned char> TestMo(std::string_view language) {
  for (const EmbeddedCatalogue& catalogue : TestCatalogues()) {
    if (catalogue.language == language) return catalogue.mo;
  }
  return {};
}

TEST(Catalogue, ChoosesFromThePreferences) {
  Catalogues catalogues(TestCatalogues());
  const auto choose = [&](std::vector<std::string> preferred) {
    return catalogues.ChooseLanguage(preferred);
  };
  EXPECT_EQ(choose({}), "ja");  // no language set: the texts' own
  EXPECT_EQ(choose({"de_AT@euro"}), "de");
  EXPECT_EQ(choose({"fr_FR", "de"}), "de");
  EXPECT_EQ(choose({"fr_FR"}), "en");  // no catalogue: English
  EXPECT_EQ(choose({"fr", "ja_JP", "de"}), "ja");
  EXPECT_EQ(choose({"en@pseudo"}), "en@pseudo");
  EXPECT_EQ(catalogues.Language(), "en@pseudo");
  EXPECT_FALSE(catalogues.SetLanguage("fr"));
  EXPECT_EQ(catalogues.Language(), "en@pseudo");
}

TEST(Catalogue, FallsBackToEnglishThenTheMsgid) {
  Catalogues catalogues(TestCatalogues());
  const char* const both = "両方にある文";
  const char* const english = "英語だけにある文 {1} と {2}";
  const char* const neither = "どちらにもない文";
  EXPECT_EQ(catalogues.Translate({}, both), both);  // Japanese looks up nothing
  ASSERT_TRUE(catalogues.SetLanguage("de"));
  EXPECT_STREQ(catalogues.Translate({}, both), "In beiden");
  EXPECT_STREQ(catalogues.Translate({}, english), "Only in English: {2} after {1}");
  EXPECT_EQ(catalogues.Translate({}, neither), neither);
  EXPECT_STREQ(catalogues.Translate("動詞", "保存"), "Speichern");
  EXPECT_STREQ(catalogues.Translate("名詞", "保存"), "Saving");
  EXPECT_STREQ(catalogues.Translate({}, "保存"), "保存");  // the context is part of the key
  ASSERT_TRUE(catalogues.SetLanguage("en@pseudo"));
  EXPECT_EQ(NumberedText(catalogues.Translate({}, english), {"1 MB", "2 MB"}),
            "【Only in English: 2 MB after 1 MB~~~~~~~~~~】");
  EXPECT_STREQ(catalogues.Translate({}, neither), "【どちらにもない文~~~】");
}

TEST(Catalogue, DamagedDataGivesNoTranslation) {
  const std::span<const unsigned char> good = TestMo("de");
  ASSERT_GT(good.size(), 28U);
  ASSERT_TRUE(MoFile::Read(good));
  // Every shorter piece cuts off a string or a table.
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(MoFile::Read(good.first(size))) << size;
  }
  // No byte changed to any of these makes a lookup read outside the data.
  std::vector<unsigned char> bytes(good.begin(), good.end());
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (const unsigned char value : {0x00, 0x7f, 0xff}) {
      const unsigned char old = bytes[at];
      bytes[at] = value;
      if (const auto file = MoFile::Read(bytes)) {
        static_cast<void>(file->Find("両方にある文"));
        static_cast<void>(file->Find("動詞\x04保存"));
      }
      bytes[at] = old;
    }
  }
  // A catalogue that does not read is as if absent.
  bytes[0] ^= 1U;
  const EmbeddedCatalogue damaged[] = {{"en", TestMo("en")}, {"de", bytes}};
  Catalogues catalogues(damaged);
  EXPECT_EQ(catalogues.ChooseLanguage(std::vector<std::string>{"de"}), "en");
  EXPECT_STREQ(catalogues.Translate({}, "両方にある文"), "In both");
}

TEST(Catalogue, NumberedPlaceholders) {
  EXPECT_EQ(NumberedText("{2} から {1} へ、{2}", {"A", "B"}), "B から A へ、B");
  // Not placeholders, or without a value: left as they are.
  EXPECT_EQ(NumberedText("{0} {3} {x} {1 {", {"A", "B"}), "{0} {3} {x} {1 {");
  EXPECT_EQ(NumberedText("{1}{10}", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}), "aj");
  EXPECT_EQ(NumberedText("{", {}), "{");
}

TEST(Catalogue, TheProgramCarriesItsCatalogues) {
  Catalogues& program = ProgramCatalogues();
  const std::vector<std::string_view> languages = program.Languages();
  EXPECT_EQ(languages.front(), "ja");
  EXPECT_NE(std::find(languages.begin(), languages.end(), "en@pseudo"), languages.end());
  const char* const text = Tr("この文はカタログの試験に使います。");
  EXPECT_STREQ(text, "この文はカタログの試験に使います。");
  ASSERT_TRUE(program.SetLanguage("en"));
  EXPECT_STREQ(Tr("この文はカタログの試験に使います。"), "This sentence tests the catalogue.");
  EXPECT_STREQ(TrC("試験", "保存"), "Save (a test)");
  ASSERT_TRUE(program.SetLanguage("ja"));
  EXPECT_STREQ(TrC("試験", "保存"), "保存");
}

}  // namespace
}  // namespace tarnwell
