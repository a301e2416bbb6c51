// The user's languages from the POSIX environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/Language.h"

namespace tarnwell::platform {
namespace {

class LanguageEnvironment : public testing::Test {
protected:
  static constexpr const char* Names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  void SetUp() override {
    for (const char* name : Names) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < std::size(Names); ++i) {
      if (saved_[i]) {
        ::setenv(Names[i], saved_[i]->c_str(), 1);
      } else {
        ::unsetenv(Names[i]);
      }
    }
  }
  std::vector<std::optional<std::string>> saved_;
};

using List = std::vector<std::string>;

TEST_F(LanguageEnvironment, ReadsTheVariablesInGettextsOrder) {
  EXPECT_EQ(PreferredLanguages(), List{});
  ::setenv("LANG", "C.UTF-8", 1);
  EXPECT_EQ(PreferredLanguages(), List{});  // the C locale names no language
  ::setenv("LANG", "de_AT.UTF-8@euro", 1);
  EXPECT_EQ(PreferredLanguages(), List{"de_AT@euro"});
  ::setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
  EXPECT_EQ(PreferredLanguages(), List{"fr_FR"});
  ::setenv("LC_ALL", "POSIX", 1);  // LC_ALL decides, even as no language
  EXPECT_EQ(PreferredLanguages(), List{});
  ::setenv("LC_ALL", "", 1);  // empty counts as unset
  ::setenv("LANGUAGE", "en@pseudo::sv:fr_FR", 1);
  EXPECT_EQ(PreferredLanguages(), (List{"en@pseudo", "sv", "fr_FR"}));
}

}  // namespace
}  // namespace tarnwell::platform
