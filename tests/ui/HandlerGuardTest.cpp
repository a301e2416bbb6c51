// Errors that escape a handler reach the error box with its text rules,
// captioned with the application title.
#include <gtest/gtest.h>

#include <stdexcept>

#include "MemoryControls.h"
#include "ui/ApplicationTitle.h"
#include "ui/HandlerGuard.h"

namespace tarnwell::ui::test {
namespace {

TEST(HandlerGuardTest, ErrorBoxAppendsAFullStopAfterLettersOnly) {
  EXPECT_EQ(ErrorBoxText(""), "");
  EXPECT_EQ(ErrorBoxText("Failed to call GetUserName"), "Failed to call GetUserName.");
  EXPECT_EQ(ErrorBoxText("作成できません"), "作成できません.");
  EXPECT_EQ(ErrorBoxText("ends with."), "ends with.");
  EXPECT_EQ(ErrorBoxText("ends with -"), "ends with -");
  EXPECT_EQ(ErrorBoxText("ends with !"), "ends with !");
  EXPECT_EQ(ErrorBoxText("number 7"), "number 7.");
}

TEST(HandlerGuardTest, AnEscapingErrorEndsTheHandlerAndTheProgramGoesOn) {
  MemoryBoxes boxes;
  int after = 0;
  RunHandler(boxes, [&] {
    throw std::runtime_error("boom");
    ++after;
  });
  RunHandler(boxes, [&] { ++after; });
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"boom."});
  EXPECT_EQ(after, 1);
}

TEST(HandlerGuardTest, ApplicationTitleComesFromTheExecutableName) {
  EXPECT_EQ(ApplicationTitle("tarnwell"), "tarnwell");
  EXPECT_EQ(ApplicationTitle("TARNWELL.bin"), "Tarnwell");
  EXPECT_EQ(ApplicationTitle("Tarn.Well.exe"), "Tarn");
  EXPECT_EQ(ApplicationTitle("ÄBC"), "Äbc");
}

}  // namespace
}  // namespace tarnwell::ui::test
