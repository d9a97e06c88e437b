#include "view/banners.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "grasp/start_up.h"
#include "graspstat/state.h"

namespace gs {
namespace {

struct Line {
  float y;
  std::string text;
  bool operator==(const Line &o) const { return y == o.y && text == o.text; }
};

std::ostream &operator<<(std::ostream &os, const Line &l) {
  return os << "(" << l.y << ", \"" << l.text << "\")";
}

std::vector<Line> Banner(const GraspState &s) {
  BannerLine out[kMaxBannerLines];
  const int n = ModeBanner(&s, out);
  std::vector<Line> lines;
  for (int i = 0; i < n; i++)
    lines.push_back({out[i].y, std::string(out[i].text, TextLength(out[i].text, 100))});
  return lines;
}

class BannerTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitModelState(&s);
    StartUp(&s);
  }
  GraspState s;
};

TEST_F(BannerTest, StartUpShowsModeAReadyToCompute) {
  const std::vector<Line> want = {
      {400, "Execution Mode : A"}, {380, "Grasp Calcul"}, {360, "Hit s to Execution"}};
  EXPECT_EQ(want, Banner(s));
  s.sgnGraspExec = 0;
  EXPECT_EQ("Finger Cannot Touch Work", Banner(s)[2].text);
  EXPECT_EQ(360, Banner(s)[2].y);
}

TEST_F(BannerTest, ModeAAfterBothFingers) {
  s.sgnGraspEnd = 1;
  s.cntContact = 2;
  const std::vector<Line> end = {{400, "Execution Mode : A"}, {380, "Grasp Calcul End"}};
  EXPECT_EQ(end, Banner(s));
  s.cntContact = 1;
  const std::vector<Line> fail = {{400, "Execution Mode : A"}, {380, "Grasp Impossible"}};
  EXPECT_EQ(fail, Banner(s));
  s.cntContact = 0;
  EXPECT_EQ(fail, Banner(s));
  // after finger 1 alone the banner still asks for the next key
  s.sgnGraspEnd = 0;
  s.cntContact = 1;
  EXPECT_EQ("Grasp Calcul", Banner(s)[1].text);
}

TEST_F(BannerTest, ModeSBeforeAndAfterTheStatics) {
  s.sgnCAL = 'S';
  const std::vector<Line> ready = {{400, "Execution Mode : S"}, {380, "Hit s to Execution"}};
  EXPECT_EQ(ready, Banner(s));
  s.sgnStaticsEnd = 1;
  s.StaticsStability = 1;
  EXPECT_EQ("Stable Statics Obtained", Banner(s)[1].text);
  s.StaticsStability = 0;
  EXPECT_EQ("Grasp Statics Unstable", Banner(s)[1].text);
  s.sgnStaticsEnd = 2; // the solvers' intermediate value counts as not done
  EXPECT_EQ("Hit s to Execution", Banner(s)[1].text);
}

TEST_F(BannerTest, ModeSShowsTheExactCheckUnderTheVerdict) {
  s.sgnCAL = 'S';
  s.sgnStaticsEnd = 1;
  s.cntContact = 1; // no grasp solved: no exact line
  EXPECT_EQ(2u, Banner(s).size());
  s.cntContact = 2;
  const double none = std::nan("");
  const struct {
    int verdict;
    double margin;
    double capacity; // NaN: undecided or not computed
    const char *text;
  } cases[] = {{kExactHolds, 0.7299, 8.414, "Exact check: holds (margin 72%, load x8.41)"},
               {kExactHolds, 0.29, none, "Exact check: holds (margin 29%)"},
               {kExactHolds, 1.0, 123.456, "Exact check: holds (margin 100%, load x123.46)"},
               {kExactCannotHold, 0.0, 0.6249, "Exact check: cannot hold (load x0.62)"},
               {kExactCannotHold, 0.0, none, "Exact check: cannot hold"},
               {kExactUndecided, 0.0, none, "Exact check: undecided"},
               {kExactPalmInside, 0.0, none, "Exact check: palm inside work"}};
  for (const auto &c : cases) {
    s.exact.verdict = c.verdict;
    s.exact.margin = c.margin;
    s.exact.capacity = c.capacity;
    const std::vector<Line> lines = Banner(s);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ((Line{360, c.text}), lines[2]);
    // only the exact check's line is drawn over the scene
    BannerLine out[kMaxBannerLines];
    ModeBanner(&s, out);
    EXPECT_TRUE(!out[0].onTop && !out[1].onTop && out[2].onTop);
  }
}

TEST_F(BannerTest, ModeHShowsThePoseAndTheReachVerdict) {
  s.sgnCAL = 'H';
  std::vector<Line> want = {{400, "Execution Mode : H"},
                            {380, "(P,Q)=(0,0)(deg)"},
                            {360, "Hit (p,P), (q,Q) to Rotate in X,Y-axis"},
                            {340, "Hit (u,d) to Rotate Hand toward (-Z,Z)"}};
  EXPECT_EQ(want, Banner(s));
  s.sgnGraspExec = 0;
  want.push_back({320, "Finger Cannot Contact Work"});
  EXPECT_EQ(want, Banner(s));
}

TEST_F(BannerTest, ModeWAndModeI) {
  s.sgnCAL = 'W';
  std::vector<Line> want = {{400, "Execution Mode : W"},
                            {380, "Hit 'r','R' to Change Radius"},
                            {360, "Hit x,X,y,Y,z,Z to Move Sphere"}};
  EXPECT_EQ(want, Banner(s));
  s.sgnGraspExec = 0;
  want.push_back({340, "Finger Cannot Touch Work"});
  EXPECT_EQ(want, Banner(s));
  s.sgnCAL = 'I';
  const std::vector<Line> view = {{400, "Execution Mode : I"},
                                  {380, "Image Move/Rotation Step-by"},
                                  {360, "Hit x,X,y,Y,z,Z;  p,P,q,Q,r,R"}};
  EXPECT_EQ(view, Banner(s));
  s.sgnCAL = 'x';
  EXPECT_TRUE(Banner(s).empty());
}

TEST(HelpLinesTest, NineRowsThreeOfThemEmpty) {
  EXPECT_EQ(std::string("'A' : Sol. of Grasp"),
            std::string(kHelpLines[3], TextLength(kHelpLines[3], 100)));
  for (int i = 5; i <= 7; i++) EXPECT_EQ(0, TextLength(kHelpLines[i], 100));
  EXPECT_EQ(1, TextLength(kHelpLines[8], 100));
  for (const auto &row : kHelpLines) EXPECT_LT(TextLength(row, 100), 100);
}

TEST(TextLengthTest, StopsAtLineFeedNulOrLimit) {
  EXPECT_EQ(3, TextLength("abc\ndef", 100));
  EXPECT_EQ(2, TextLength("ab", 100));
  EXPECT_EQ(4, TextLength("abcdefgh", 4));
}

} // namespace
} // namespace gs
