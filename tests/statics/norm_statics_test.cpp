#include "statics/norm_statics.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "statics/solver_problem.h"
#include "statics/statics_result.h"
#include "support/console_capture.h"

namespace gs::testing {
namespace {

TEST(NormStatics, FortiethCandidateAccepted) {
  SolverProblem p;
  p.SetContact(1, 100.0, 1.0, 0.0, -0.2);
  p.SetContact(2, 100.0, -1.0, 0.1, -0.2);
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskNormStatics, &p), 1);
  EXPECT_EQ(p.s.normCandidate, 40);
  EXPECT_EQ(p.s.StaticsStability, 1);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  ExpectPair(p.FCZ, 1.4753, 1.4748);
  ExpectPair(p.TCF, 0.2267, 0.2267);
  ExpectPair(p.MCZ, 2.4906, -2.4969);
  ExpectVec(p.tc[1], 0.1865, 0.3090, 0.9326);
  ExpectVec(p.tc[2], -0.1540, 0.3260, 0.9328);
  ExpectBalanced(p);
  EXPECT_EQ(out.text(), "");
}

TEST(NormStatics, AllCandidatesFailKeepsTheLast) {
  SolverProblem p;
  p.SetContact(1, 100.0, 1.0, 0.0, 0.0);
  p.SetContact(2, 100.0, -0.6, 0.48, 0.64);
  EXPECT_EQ(Solve(VeskNormStatics, &p), 0);
  EXPECT_EQ(p.s.normCandidate, 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  ExpectPair(p.FCZ, 0.1077, -0.2923);
  ExpectPair(p.TCF, 0.6149, 0.3669);
  ExpectPair(p.MCZ, -25.5857, -55.5857);
  // last candidate: th[1] = 4.3982, th[2] = 4.0841 about the tangent bases
  const Vec3 ext1 = {0.0, 1.0, 0.0}; // n = (-1, 0, 0): ext = n x eZ
  EXPECT_NEAR(p.tc[1][0], 0.0, 1e-12);
  EXPECT_NEAR(DotVec3(p.tc[1], ext1), std::cos(4.3982), kTol);
}

TEST(NormStatics, AcceptedNegativeFrictionIsReversed) {
  SolverProblem p;
  p.SetContact(1, 100.0, -0.9, 0.8, -0.9);
  p.SetContact(2, 100.0, 0.9, -0.6, 0.6);
  EXPECT_EQ(Solve(VeskNormStatics, &p), 1);
  EXPECT_EQ(p.s.normCandidate, 107);
  ExpectPair(p.FCZ, 8.8676, 8.3214);
  ExpectPair(p.TCF, 0.5134, 0.5375);
  ExpectPair(p.MCZ, -28.3899, -23.5113);
  ExpectVec(p.tc[1], 0.7701, 0.5879, -0.2475);
  ExpectVec(p.tc[2], 0.6523, 0.7082, -0.2702);
  // the reversal changes the sign of both factors: TC is the same vector
  for (int i = 0; i < 3; i++) EXPECT_NEAR(p.TC[1][i], p.TCF[1] * p.tc[1][i], 1e-12);
  ExpectBalanced(p);
}

int CountOf(const std::string &text, const std::string &what) {
  int n = 0;
  for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
    n++;
  return n;
}

// A symmetric horizontal grasp handed to the general search: candidate 326
// is singular (det about 8e-12, no message) and the values of its uninverted
// matrix would pass every limit; it must not be accepted.
TEST(NormStatics, SingularCandidateNeverAccepted) {
  SolverProblem p;
  p.SetContact(1, 1.0, -5.0, 3.0, 0.0);
  p.SetContact(2, 1.0, 5.0, 3.0, 0.0);
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskNormStatics, &p), 0);
  EXPECT_EQ(p.s.normCandidate, 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_GT(CountOf(out.text(), ", no inverse"), 0); // other candidates hit zero pivots
  EXPECT_EQ(InverseFailed(kInvDetFloor), 1);         // at the floor inv leaves its matrix as it was
  EXPECT_EQ(InverseFailed(std::numeric_limits<double>::quiet_NaN()), 1);
}

// Both contacts on the vertical axis: every candidate's matrix is singular
// with a zero pivot, so each one prints the inverse's message, and none is
// accepted although candidate 20's uninverted values pass every limit.
TEST(NormStatics, VerticalLineEveryCandidateSingular) {
  SolverProblem p;
  p.SetContact(1, 1.0, 0.0, 0.0, -1.0);
  p.SetContact(2, 1.0, 0.0, 0.0, 1.0);
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskNormStatics, &p), 0);
  EXPECT_EQ(CountOf(out.text(), ", no inverse"), 419);
  EXPECT_TRUE(StartsWith(out.text(), "\n1 row ="));
}

TEST(NormStatics, NanInputEndsWithoutVerdict) {
  SolverProblem p;
  p.SetContact(1, 100.0, 1.0, 0.0, -0.2);
  p.SetContact(2, 100.0, -1.0, 0.1, -0.2);
  p.RC[2][1] = std::numeric_limits<double>::quiet_NaN();
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskNormStatics, &p), 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);

  SolverProblem q;
  q.SetContact(1, 100.0, 1.0, 0.0, -0.2);
  q.SetContact(2, 100.0, -1.0, 0.1, -0.2);
  q.FEXv[2] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Solve(VeskNormStatics, &q), 0);
}

TEST(NormStatics, TraceNarratesSearchAndVerdict) {
  SolverProblem p;
  p.SetContact(1, 100.0, 1.0, 0.0, -0.2);
  p.SetContact(2, 100.0, -1.0, 0.1, -0.2);
  ConsoleCapture out;
  TraceOn on(kTraceNormStatics);
  ASSERT_EQ(Solve(VeskNormStatics, &p), 1);
  const std::string &t = out.text();
  EXPECT_TRUE(StartsWith(
      t, "\n●VeskNormStatics()-------- 通常計算 tc[0,1]を変えて安定把握解を得る-----------●"
         "\n  nc[1][]="));
  EXPECT_NE(t.find("\n  (nc,ext)= 0.0000 θm=-1.5708"), std::string::npos);
  EXPECT_NE(t.find("\n●th[1],th[2]変えてNorm計算 n1=2 th[1]=-1.2566 n2=0 th[2]=-1.8850"),
            std::string::npos);
  EXPECT_EQ(CountOf(t, "\n●th[1],th[2]変えてNorm計算"), 40);
  EXPECT_EQ(CountOf(t, "\nInput getch()=n"), 40);
  EXPECT_NE(t.find("\n  法線力が負→やり直し"), std::string::npos);
  const std::string end = "\n●Norm:通常計算  解あり．終了 StaticsStability=1\nInput getch()=e";
  EXPECT_TRUE(EndsWith(t, end));
}

} // namespace
} // namespace gs::testing
