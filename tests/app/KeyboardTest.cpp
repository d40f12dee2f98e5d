#include "app/Keyboard.h"

#include <gtest/gtest.h>

namespace {

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override { releaseAllKeys(); }
  void TearDown() override { releaseAllKeys(); }
};

TEST_F(KeyboardTest, HeldKeyIsReportedOnceUntilReleased) {
  pressCharacterKey('m');
  EXPECT_TRUE(isKeyDown('m'));
  EXPECT_TRUE(wasKeyPressed('m'));
  pressCharacterKey('m');  // a repeated press while held
  EXPECT_FALSE(wasKeyPressed('m'));
  releaseCharacterKey('m');
  EXPECT_FALSE(isKeyDown('m'));
  EXPECT_FALSE(wasKeyPressed('m'));
  pressCharacterKey('m');
  EXPECT_TRUE(wasKeyPressed('m'));
}

TEST_F(KeyboardTest, CaseMattersForPressesReleaseFreesBothCasesAndSpecialKeysLiveAbove256) {
  pressCharacterKey('M');
  EXPECT_TRUE(isKeyDown(77));
  EXPECT_FALSE(isKeyDown(109));
  releaseCharacterKey('m');  // Shift let go first: X reports the lower case
  EXPECT_FALSE(isKeyDown(77));

  pressSpecialKey(101);  // GLUT_KEY_UP
  EXPECT_TRUE(wasKeyPressed(357));
  EXPECT_FALSE(isKeyDown(101));  // the character 'e' is another key
  releaseSpecialKey(101);
  EXPECT_FALSE(isKeyDown(357));
}

TEST_F(KeyboardTest, CodesOutsideTheTablesNeverMatchAndNeverWrite) {
  for (int code = 0; code < kKeyCodeCount; ++code) {
    if (code < kSpecialKeyBase)
      pressCharacterKey(static_cast<unsigned char>(code));
    else
      pressSpecialKey(code - kSpecialKeyBase);
  }
  for (int code : {-1, -256, kKeyCodeCount, 9000, 2147483647, -2147483647 - 1}) {
    EXPECT_FALSE(isKeyDown(code)) << code;
    EXPECT_FALSE(wasKeyPressed(code)) << code;
  }
  pressSpecialKey(300);
  pressSpecialKey(-400);
  releaseSpecialKey(300);
  EXPECT_TRUE(isKeyDown(kKeyCodeCount - 1));
  EXPECT_TRUE(isKeyDown(0));
}

}  // namespace
