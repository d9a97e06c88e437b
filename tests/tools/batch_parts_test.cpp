// The batch tool's pieces in process: escapes, number lists, and the JSON
// view of a run where the command line cannot easily reach (non-finite
// values, a hand-made balance).
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "app/keyboard.h"
#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "graspstat/grasp.h"
#include "graspstat/keys.h"
#include "graspstat/numbers.h"
#include "graspstat/report.h"
#include "graspstat/text.h"
#include "tools/state_json.h"

namespace gs::testing {
namespace {

TEST(BatchParts, KeySequenceEscapes) {
  std::string keys;
  std::string error;
  ASSERT_EQ(ParseKeySequence("a\\e\\\\\\xff\\x00b", &keys, &error), 1);
  EXPECT_EQ(keys, std::string("a\x1b\\\xff", 4) + std::string(1, '\0') + "b");
  EXPECT_EQ(ParseKeySequence("\\X41", &keys, &error), 0);
  EXPECT_NE(error.find("unknown escape '\\X'"), std::string::npos) << error;
}

TEST(BatchParts, NumberListsAreReadWhole) {
  double v[3] = {0.0, 0.0, 0.0};
  std::string error;
  ASSERT_EQ(ParseNumberList("+1.5,-2e-3,0x1", 2, v, &error), 0); // one too many
  ASSERT_EQ(ParseNumberList("+1.5,-2e-3,7", 3, v, &error), 1);
  EXPECT_EQ(v[0], 1.5);
  EXPECT_EQ(v[1], -2e-3);
  EXPECT_EQ(v[2], 7.0);
  EXPECT_EQ(ParseNumberList(" 1", 1, v, &error), 0);
  EXPECT_EQ(ParseNumberList("0x1", 1, v, &error), 0);
  EXPECT_EQ(ParseNumberList("-inf", 1, v, &error), 0);
  EXPECT_EQ(ParseNumberList("", 1, v, &error), 0);
}

// N times 9 degrees is the angle of N hand key presses, bit for bit, both
// ways and for both angles; other angles scale at the same rate.
TEST(BatchParts, DegreesGiveTheAngleOfTheKeyPresses) {
  for (int n = -80; n <= 80; n++) {
    GraspState s;
    InitModelState(&s);
    StartUp(&s);
    KeyboardInterpret(&s, 'H', nullptr, nullptr);
    for (int i = 0; i < (n < 0 ? -n : n); i++) {
      KeyboardInterpret(&s, n < 0 ? 'p' : 'P', nullptr, nullptr);
      KeyboardInterpret(&s, n < 0 ? 'q' : 'Q', nullptr, nullptr);
    }
    EXPECT_EQ(HandDegreesToRad(9.0 * n), s.alHand) << n;
    EXPECT_EQ(HandDegreesToRad(9.0 * n), s.betHand) << n;
  }
  EXPECT_DOUBLE_EQ(HandDegreesToRad(4.5), kHandStep / 2.0);
  EXPECT_DOUBLE_EQ(HandDegreesToRad(-9e6), -1e6 * kHandStep);
}

TEST(BatchParts, NonFiniteValuesBecomeNull) {
  BatchRun run{};
  InitModelState(&run.state);
  StartUp(&run.state);
  run.state.FCZ[2] = std::numeric_limits<double>::quiet_NaN();
  run.state.RC[1][0] = std::numeric_limits<double>::infinity();
  const std::string text = BatchRunJson(&run, 0).dump();
  EXPECT_EQ(text.find("NaN"), std::string::npos);
  EXPECT_EQ(text.find("nf"), std::string::npos);
  const nlohmann::json j = nlohmann::json::parse(text);
  EXPECT_TRUE(j["FCZ"][1].is_null());
  EXPECT_TRUE(j["RC"][0][0].is_null());
}

// The fast JSON writer gives nlohmann's bytes: over many random solves,
// then over records filled with random bit patterns (subnormals, -0, huge,
// non-finite) and random message bytes (control characters, broken UTF-8),
// both layouts equal nlohmann's dump of the same value.
TEST(BatchParts, JsonTextIsNlohmannsDump) {
  using Json = nlohmann::ordered_json;
  const auto replace = Json::error_handler_t::replace;
  std::mt19937_64 rng(31);
  std::uniform_real_distribution<double> angle(-3.2, 3.2);
  std::uniform_real_distribution<double> coord(-80.0, 80.0);
  for (int trial = 0; trial < 600; trial++) {
    BatchRun run{};
    const double centre[3] = {coord(rng), 60.0 + coord(rng), coord(rng)};
    RunSolve(&run, angle(rng), angle(rng), centre, std::fabs(coord(rng)));
    if (trial % 2 == 1) {
      double *words[] = {&run.state.RC[1][0],       &run.state.FC[2][1],
                         &run.state.FCZ[1],         &run.state.alHand,
                         &run.state.exact.margin,   &run.state.qqf[2][1],
                         &run.state.exact.capacity, &run.state.exact.muNeeded,
                         &run.state.exactModel.rm,  &run.state.exactModel.MEX[1]};
      for (double *w : words) {
        const std::uint64_t bits = rng();
        std::memcpy(w, &bits, sizeof bits);
      }
      run.state.exact.forceClosure = static_cast<int>(rng() % 3) - 1;
      std::string bytes(rng() % 12, ' ');
      for (char &c : bytes) c = static_cast<char>(rng() % 256);
      run.messages.push_back(bytes);
    }
    const int withContacts = trial % 3 == 0 ? 0 : 1;
    const Json j = BatchRunJson(&run, withContacts);
    std::string line;
    AppendBatchRunJson(&run, withContacts, kJsonOneLine, &line);
    ASSERT_EQ(line, j.dump(-1, ' ', false, replace) + "\n") << trial;
    std::string keyed = "{";
    const char *sep = "\n";
    for (const auto &item : j.items()) {
      keyed += sep + ("  " + Json(item.key()).dump() + ": ") +
               item.value().dump(-1, ' ', false, replace);
      sep = ",\n";
    }
    std::string text;
    AppendBatchRunJson(&run, withContacts, kJsonKeyPerLine, &text);
    ASSERT_EQ(text, keyed + "\n}\n") << trial;
  }
}

TEST(BatchParts, EchoesStayOnOneShortLine) {
  EXPECT_EQ(EchoText("a\tb\x01\x7f"), "a\\tb\\x01\\x7f");
  const std::string echo = EchoText(std::string(100, 'x'));
  EXPECT_EQ(echo, std::string(kEchoMaxChars - 3, 'x') + "...");
  // a cut never splits an escape or a UTF-8 character
  EXPECT_EQ(EchoText(std::string(76, 'x') + "\n" + std::string(10, 'y')),
            std::string(76, 'x') + "...");
  const std::string wide = EchoText(std::string(76, 'x') + "\xe5\xa7\x8b" + std::string(10, 'y'));
  EXPECT_EQ(wide, std::string(76, 'x') + "\xe5\xa7\x8b...");
  std::string line = "0 0\r\r\n";
  TrimLineEnd(&line);
  EXPECT_EQ(line, "0 0");
}

TEST(BatchParts, ResidualOfHandMadeForces) {
  GraspState s{};
  InitModelState(&s);
  s.sgnStaticsEnd = 1;
  s.staticsCase = kCaseSP3;
  // two upward pushes of 0.25 at opposite points: net 0.5 up, so the force
  // balance misses FEX by 0.5; the moments about the centre cancel except
  // for the friction moment (0, 0, 2) at contact 1
  const double RC[3][3] = {{0, 0, 0}, {10, 0, 0}, {-10, 0, 0}};
  for (int k = 1; k <= 2; k++) {
    for (int i = 0; i < 3; i++) s.RC[k][i] = RC[k][i];
    s.FC[k][2] = 0.25;
  }
  s.MC[1][2] = 2.0;
  double force = 0.0;
  double moment = 0.0;
  ASSERT_EQ(BalanceResidual(&s, &force, &moment), 1);
  EXPECT_DOUBLE_EQ(force, 0.5);
  EXPECT_DOUBLE_EQ(moment, 2.0);
  s.sgnStaticsEnd = 0; // reset since: no result for these contacts
  EXPECT_EQ(BalanceResidual(&s, &force, &moment), 0);
}

// A headless solve never draws, yet it leaves every link frame and link end
// as the joint angles give them: over many poses and works, each link end
// lies lFin from its joint, along the base frame turned by the joint angle.
TEST(BatchParts, HeadlessSolveLeavesConsistentLinkFrames) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> angle(-1.6, 1.6);
  std::uniform_real_distribution<double> coord(-60.0, 60.0);
  std::uniform_real_distribution<double> radius(20.0, 80.0);
  int solved = 0;
  for (int trial = 0; trial < 200; trial++) {
    BatchRun run{};
    const double centre[3] = {coord(rng), 40.0 + coord(rng), coord(rng)};
    RunSolve(&run, angle(rng), angle(rng), centre, radius(rng));
    const GraspState &s = run.state;
    if (s.cntContact == 2) solved++;
    for (int n = 1; n <= 2; n++) {
      const double(*Es)[3] = (n == 1) ? s.Es1 : s.Es2;
      const double(*EL)[3] = (n == 1) ? s.EL1 : s.EL2;
      const double(*ELt)[3] = (n == 1) ? s.EL1t : s.EL2t;
      const Vec3 *rJ = (n == 1) ? s.rJ1 : s.rJ2;
      const double q = s.qqf[n][1];
      double length = 0.0;
      for (int i = 0; i < 3; i++) {
        const double axis = std::cos(q) * Es[i][0] + std::sin(q) * Es[i][1];
        const double step = rJ[2][i] - rJ[1][i];
        length += step * step;
        EXPECT_NEAR(step, lFin * axis, 1e-9) << "trial " << trial << " finger " << n;
        EXPECT_NEAR(EL[i][0], axis, 1e-12);
        EXPECT_NEAR(EL[i][2], Es[i][2], 1e-12); // the joint axis stays
        for (int j = 0; j < 3; j++) EXPECT_EQ(ELt[j][i], EL[i][j]);
      }
      EXPECT_NEAR(std::sqrt(length), lFin, 1e-9);
    }
  }
  EXPECT_GT(solved, 0); // some of the grasps do close on the work
}

} // namespace
} // namespace gs::testing
