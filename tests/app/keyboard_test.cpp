// The key interpreter as the user drives it, without a window.
#include "app/keyboard.h"

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "support/console_capture.h"

namespace gs {
namespace {

void CountRedraw(const GraspState *, void *ctx) {
  ++*static_cast<int *>(ctx);
}

class Keyboard : public ::testing::Test {
protected:
  void SetUp() override {
    InitModelState(&s);
    StartUp(&s);
  }
  int Keys(const std::string &keys) {
    int last = kKeyHandled;
    for (unsigned char k : keys) last = KeyboardInterpret(&s, k, &CountRedraw, &redraws);
    return last;
  }
  GraspState s;
  int redraws = 0;
};

TEST_F(Keyboard, ModeKeysAreUpperCaseAndChangeNothingElse) {
  Keys("ahiw"); // lower case: ordinary keys of mode A, nothing computed
  EXPECT_EQ(s.sgnCAL, 'A');
  EXPECT_EQ(s.nFin, 0);
  const GraspState before = s;
  Keys("IHWS");
  EXPECT_EQ(s.sgnCAL, 'S');
  EXPECT_EQ(s.nFin, before.nFin);
  EXPECT_EQ(s.alHand, before.alHand);
  EXPECT_EQ(s.aSph, before.aSph);
  EXPECT_EQ(s.sgnStaticsEnd, 0);
  s.sgnCALEnd = 'Y';
  Keys("A");
  EXPECT_EQ(s.sgnCAL, 'A');
  EXPECT_EQ(s.sgnCALEnd, 'N');
}

// Every kind of key ends with exactly one frame, drawn once the key has
// changed everything it changes.
TEST_F(Keyboard, EveryKeyDrawsOneFrame) {
  struct Seen {
    int frames = 0;
    int nFin = -1;
    int sgnStaticsEnd = -1;
  } seen;
  const auto record = [](const GraspState *st, void *ctx) {
    auto *v = static_cast<Seen *>(ctx);
    v->frames++;
    v->nFin = st->nFin;
    v->sgnStaticsEnd = st->sgnStaticsEnd;
  };
  const char *const steps[] = {"I", "P", "0", "H", "Q", "\x1b", "W", "x", "A",
                               "s", "s", "s", "0", "S", "s",    "s", "q"};
  for (const char *k : steps) {
    seen.frames = 0;
    KeyboardInterpret(&s, static_cast<unsigned char>(k[0]), record, &seen);
    EXPECT_EQ(seen.frames, 1) << "key " << k;
    EXPECT_EQ(seen.nFin, s.nFin) << "key " << k;
    EXPECT_EQ(seen.sgnStaticsEnd, s.sgnStaticsEnd) << "key " << k;
  }
  EXPECT_EQ(s.nFin, 2);
  EXPECT_EQ(s.sgnStaticsEnd, 1);
}

TEST_F(Keyboard, EscapeExitsOnlyInViewMode) {
  Keys("H");
  s.nFin = 1;
  EXPECT_EQ(Keys("\x1b"), kKeyHandled);
  EXPECT_EQ(s.nFin, 0); // ESC in mode H is an ordinary key: it resets
  redraws = 0;
  EXPECT_EQ(Keys("I\x1b"), kKeyExit);
  EXPECT_EQ(redraws, 1); // the exit happens before any redraw of its own
  EXPECT_EQ(Keys("A\x1b"), kKeyHandled);
}

TEST_F(Keyboard, ZeroOnlyRedrawsOutsideHandAndWork) {
  for (const char *mode : {"I", "A", "S"}) {
    Keys(mode);
    const GraspState before = s;
    Keys("0");
    EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0) << mode;
  }
}

TEST_F(Keyboard, ViewKeysStepWithoutLimits) {
  Keys("I");
  for (int i = 0; i < 400; i++) Keys("P");
  EXPECT_NEAR(s.viewRot[0], 404.0, 1e-9);
  Keys("qrXyZz");
  EXPECT_NEAR(s.viewRot[1], -19.0, 1e-12);
  EXPECT_NEAR(s.viewRot[2], 4.0, 1e-12);
  EXPECT_NEAR(s.viewTrans[0], 0.1, 1e-12);
  EXPECT_NEAR(s.viewTrans[1], -0.1, 1e-12);
  EXPECT_NEAR(s.viewTrans[2], -0.5, 1e-12);
}

TEST_F(Keyboard, HandKeysStepAndReset) {
  Keys("ss");
  ASSERT_EQ(s.cntContact, 2);
  Keys("HP");
  EXPECT_EQ(s.alHand, kHandStep);
  EXPECT_EQ(s.nFin, 0);
  EXPECT_EQ(s.cntContact, 0);
  EXPECT_EQ(s.qqf[1][1], 0.0);
  EXPECT_EQ(std::string(s.handPoseText, s.handPoseTextLen), "(P,Q)=(9,0)(deg)\n");
  Keys("qq");
  EXPECT_EQ(s.betHand, -2 * kHandStep);
  Keys("u");
  EXPECT_EQ(s.alHand, kHalfPi);
  EXPECT_EQ(s.betHand, -2 * kHandStep); // u leaves betHand alone
  Keys("d");
  EXPECT_EQ(s.alHand, -kHalfPi);
}

TEST_F(Keyboard, AfterKeyUNoContactIsComputed) {
  Keys("HuA");
  EXPECT_EQ(s.sgnGraspExec, 0);
  Keys("s");
  EXPECT_EQ(s.nFin, 0);
  EXPECT_EQ(s.cntContact, 0);
}

TEST_F(Keyboard, ContactSequenceFingerByFinger) {
  Keys("s");
  EXPECT_EQ(s.nFin, 1);
  EXPECT_EQ(s.cntContact, 1);
  EXPECT_EQ(s.sgnGraspEnd, 0);
  EXPECT_NEAR(s.qqf[1][1], 1.4401, 5e-5);
  EXPECT_EQ(s.qqf[2][1], 0.0);
  for (int i = 0; i < 3; i++) EXPECT_EQ(s.nc[1][i], s.NW[1][i]);
  // leaving mode A and coming back continues with finger 2
  Keys("IA");
  Keys("s");
  EXPECT_EQ(s.nFin, 2);
  EXPECT_EQ(s.cntContact, 2);
  EXPECT_EQ(s.sgnGraspEnd, 1);
  const GraspState before = s;
  Keys("s"); // a third press computes nothing
  EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);
}

TEST_F(Keyboard, SecondFingerRunsEvenWhenTheFirstMisses) {
  // finger 1's joint lies between aSph and aSph + aF from the work centre:
  // reachable by the check, yet its link cannot touch
  s.rwG[1] = 55.0;
  s.rwG[2] = -50.0;
  ASSERT_EQ(InitGraspState(&s), 1);
  Keys("s");
  EXPECT_EQ(s.nFin, 1);
  EXPECT_EQ(s.cntContact, 0);
  Keys("s");
  EXPECT_EQ(s.nFin, 2);
  EXPECT_EQ(s.sgnGraspEnd, 1);
  EXPECT_EQ(s.cntContact, 1);
  Keys("Ss");
  EXPECT_EQ(s.StaticsStability, 0);
}

TEST_F(Keyboard, TypicalSessionFindsTheVerticalGrasp) {
  Keys("ssSs");
  EXPECT_EQ(s.cntContact, 2);
  EXPECT_EQ(s.sgnStaticsEnd, 1);
  EXPECT_EQ(s.StaticsStability, 1);
  EXPECT_EQ(s.staticsCase, kCaseSP2);
  EXPECT_NEAR(s.qqf[1][1], 1.4401, 5e-5);
  EXPECT_NEAR(s.qqf[2][1], 1.4401, 5e-5);
  EXPECT_NEAR(s.FCZ[1], 1.2, 5e-5);
  EXPECT_NEAR(s.FCZ[2], 0.1914, 5e-5);
  EXPECT_NEAR(s.TCF[1], 0.0915, 5e-5);
  EXPECT_NEAR(s.TCF[2], 0.0915, 5e-5);
  const GraspState before = s;
  Keys("s"); // one statics calculation per sequence
  EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);
}

TEST_F(Keyboard, StaticsWithoutTwoContactsIsNoGrasp) {
  Keys("Ss");
  EXPECT_EQ(s.StaticsStability, 0);
  EXPECT_EQ(s.sgnStaticsEnd, 1);
  for (int k = 1; k <= 2; k++) {
    EXPECT_EQ(s.FCZ[k], 0.0);
    EXPECT_EQ(s.TCF[k], 0.0);
    EXPECT_EQ(s.MCZ[k], 0.0);
  }
  EXPECT_EQ(s.staticsCase, kCaseNone);
  // one contact only
  Keys("WxXAs"); // a reset, then one contact only
  ASSERT_EQ(s.cntContact, 1);
  Keys("Ss");
  EXPECT_EQ(s.StaticsStability, 0);
  EXPECT_EQ(s.sgnStaticsEnd, 1);
  const GraspState before = s;
  Keys("s");
  EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);
}

TEST_F(Keyboard, OtherKeysInStaticsModeWaitForS) {
  Keys("ssSx");
  EXPECT_EQ(s.sgnStaticsEnd, 0);
  Keys("s");
  EXPECT_EQ(s.sgnStaticsEnd, 1);
  Keys("A"); // the statics view stays until a reset
  EXPECT_EQ(s.sgnStaticsEnd, 1);
  Keys("Wx");
  EXPECT_EQ(s.sgnStaticsEnd, 0);
  EXPECT_EQ(s.StaticsStability, 1); // the last verdict stays after a reset
}

TEST_F(Keyboard, WorkKeysAndTheRadiusFloor) {
  Keys("WXyZ");
  EXPECT_EQ(s.rwG[0], 1.0);
  EXPECT_EQ(s.rwG[1], 79.0);
  EXPECT_EQ(s.rwG[2], 1.0);
  for (int i = 0; i < 50; i++) Keys("r");
  EXPECT_EQ(s.aSph, 0.0);
  s.nFin = 1;
  Keys("r");
  EXPECT_EQ(s.aSph, 0.0); // stops at zero
  EXPECT_EQ(s.nFin, 0);   // and still resets the sequence
  Keys("R");
  EXPECT_EQ(s.aSph, 1.0);
}

TEST_F(Keyboard, NarrationIsSilentByDefault) {
  testing::ConsoleCapture out;
  Keys("ssSsIPHPWxAsSs");
  EXPECT_EQ(out.text(), "");
  {
    testing::TraceOn on(kTraceKeyboard);
    testing::ScriptedKeys keys("");
    Keys("Ws");
  }
  EXPECT_EQ(out.text().rfind("\n\n★★--------keyboard()始め key=W sgnCAL=S", 0), 0u);
  EXPECT_NE(out.text().find("\n★key=s ワークの位置変更"), std::string::npos);
  EXPECT_NE(out.text().find("keyboard() end    ------------------------★★\n"), std::string::npos);
}

// The view narration shows the joints of both fingers (qqf[n][1]), not the
// unused entry 0 of finger 2's row.
TEST_F(Keyboard, ViewNarrationShowsBothJoints) {
  Keys("ss"); // both links touch at 1.4401
  testing::ConsoleCapture out;
  {
    testing::TraceOn on(kTraceKeyboard);
    Keys("IP");
  }
  EXPECT_NE(out.text().find("★画像視線変化(p,q,r) qqf[1][]=( 1.440  1.440)"), std::string::npos)
      << out.text();
}

// Random typing over all byte values: the flags keep their allowed values and
// nothing the display reads ever becomes NaN or infinite.
TEST_F(Keyboard, RandomTypingKeepsTheModelSound) {
  std::mt19937 rng(2026);
  std::uniform_int_distribution<int> byte(0, 255);
  // bias toward the keys that do something so that deep states are reached
  const std::string useful = "IHWASsssPpQqudRrXxYyZz";
  std::uniform_int_distribution<int> pickUseful(0, static_cast<int>(useful.size()) - 1);
  testing::ConsoleCapture quiet; // the inverse may report singular candidates
  const int kKeysToType = 300000;
  int solved = 0;
  for (int i = 0; i < kKeysToType; i++) {
    unsigned char key = static_cast<unsigned char>((i % 2) ? byte(rng) : useful[pickUseful(rng)]);
    if (key == 27 && s.sgnCAL == 'I') continue;
    const int before = s.sgnStaticsEnd;
    ASSERT_EQ(KeyboardInterpret(&s, key, nullptr, nullptr), kKeyHandled);
    if (before == 0 && s.sgnStaticsEnd == 1) solved++;
    ASSERT_TRUE(s.sgnCAL == 'I' || s.sgnCAL == 'H' || s.sgnCAL == 'W' || s.sgnCAL == 'A' ||
                s.sgnCAL == 'S');
    ASSERT_TRUE(s.nFin >= 0 && s.nFin <= 2);
    ASSERT_TRUE(s.cntContact >= 0 && s.cntContact <= s.nFin);
    ASSERT_TRUE(s.sgnGraspEnd == 0 || s.sgnGraspEnd == 1);
    ASSERT_TRUE(s.sgnGraspExec == 0 || s.sgnGraspExec == 1);
    ASSERT_TRUE(s.sgnStaticsEnd == 0 || s.sgnStaticsEnd == 1);
    ASSERT_TRUE(s.StaticsStability == 0 || s.StaticsStability == 1);
    ASSERT_GE(s.aSph, 0.0);
    const double *watched[] = {s.RC[1], s.RC[2], s.NF[1], s.NF[2], s.NW[1],
                               s.NW[2], s.tc[1], s.tc[2], s.rwG};
    for (const double *v : watched)
      for (int j = 0; j < 3; j++) ASSERT_TRUE(std::isfinite(v[j])) << "key " << i;
    for (int k = 1; k <= 2; k++) {
      ASSERT_TRUE(std::isfinite(s.FCZ[k]) && std::isfinite(s.TCF[k]) && std::isfinite(s.MCZ[k]));
      ASSERT_TRUE(std::isfinite(s.qqf[k][1]));
    }
    // keep the work near the hand so that contacts and statics keep happening
    if (std::fabs(s.rwG[0]) > 150 || std::fabs(s.rwG[1]) > 200 || std::fabs(s.rwG[2]) > 150 ||
        s.aSph > 120) {
      KeyboardInterpret(&s, 'W', nullptr, nullptr);
      s.rwG[0] = 0;
      s.rwG[1] = 80;
      s.rwG[2] = 0;
      s.aSph = 50;
      KeyboardInterpret(&s, '0', nullptr, nullptr);
    }
  }
  EXPECT_GT(solved, 100);
}

} // namespace
} // namespace gs
