// The batch tool run as a real process: its JSON for key sequences and for
// whole grasps, and its refusals of bad input.
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/keyboard.h"
#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "graspstat/state.h"
#include "tools/run_program.h"

namespace gs::testing {
namespace {

using Json = nlohmann::json;

constexpr double kTol = 5e-5;        // the worked examples carry 4 decimals
constexpr double kBalanceTol = 1e-9; // a solved balance holds to rounding

const std::string &BatchPath() {
  static const std::string path = std::string(GRASPSTAT_BINARY_DIR) + "/graspstat-batch";
  return path;
}

// Runs the tool expecting success and returns its parsed output.
Json RunOk(const std::vector<std::string> &args) {
  const ProgramOutput r = RunProgram(BatchPath(), args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return Json::parse(r.out);
}

// Runs the tool expecting a refusal: status 2, nothing on standard output
// and one line on standard error that contains fragment.
void ExpectBadInput(const std::vector<std::string> &args, const std::string &fragment) {
  const ProgramOutput r = RunProgram(BatchPath(), args);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_EQ(r.err.rfind("graspstat-batch: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(fragment), std::string::npos) << r.err;
}

void ExpectVec(const Json &v, double x, double y, double z) {
  ASSERT_EQ(v.size(), 3u);
  EXPECT_NEAR(v[0].get<double>(), x, kTol);
  EXPECT_NEAR(v[1].get<double>(), y, kTol);
  EXPECT_NEAR(v[2].get<double>(), z, kTol);
}

void ExpectPair(const Json &v, double a, double b) {
  ASSERT_EQ(v.size(), 2u);
  EXPECT_NEAR(v[0].get<double>(), a, kTol);
  EXPECT_NEAR(v[1].get<double>(), b, kTol);
}

std::vector<std::string> SolveArgs(const std::string &hand, const std::string &work,
                                   const std::string &radius) {
  return {"solve", "--hand", hand, "--work", work, "--radius", radius};
}

// ---- keys ----

TEST(BatchKeys, StartUpSessionReproducesVerticalCase) {
  const Json j = RunOk({"keys", "ssSs"});
  ExpectPair(j["qqf"], 1.4401, 1.4401);
  ExpectVec(j["RC"][0], 0.0, 73.4835, -49.5735);
  ExpectVec(j["RC"][1], 0.0, 73.4835, 49.5735);
  EXPECT_EQ(j["cntContact"], 2);
  EXPECT_EQ(j["staticsCase"], "SP2");
  EXPECT_TRUE(j["staticsSubCase"].is_null());
  EXPECT_TRUE(j["normCandidate"].is_null());
  EXPECT_EQ(j["StaticsStability"], 1);
  EXPECT_EQ(j["sgnStaticsEnd"], 1);
  ExpectPair(j["FCZ"], 1.2, 0.1914);
  ExpectPair(j["TCF"], 0.0915, 0.0915);
  ExpectPair(j["MCZ"], 0.0, 0.0);
  ExpectVec(j["tc"][0], 0.0, -0.9915, 0.1303);
  ExpectVec(j["tc"][1], 0.0, -0.9915, -0.1303);
  EXPECT_LT(j["residual"]["force"].get<double>(), kBalanceTol);
  EXPECT_LT(j["residual"]["moment"].get<double>(), kBalanceTol);
  EXPECT_EQ(j["messages"], Json::array());
  EXPECT_EQ(j["exited"], false);
}

TEST(BatchKeys, KeysComeInTheModelsOrder) {
  // the parsed object forgets the order; read it from the text
  const std::string text = RunProgram(BatchPath(), {"keys", "ssSs"}).out;
  const std::vector<std::string> expected = {"alHand",
                                             "betHand",
                                             "handPoseText",
                                             "aSph",
                                             "rwG",
                                             "sgnCAL",
                                             "nFin",
                                             "cntContact",
                                             "sgnGraspExec",
                                             "sgnGraspEnd",
                                             "sgnStaticsEnd",
                                             "StaticsStability",
                                             "viewRot",
                                             "viewTrans",
                                             "qqf",
                                             "RC",
                                             "NF",
                                             "NW",
                                             "nc",
                                             "tc",
                                             "FC",
                                             "TC",
                                             "MC",
                                             "FCZ",
                                             "TCF",
                                             "MCZ",
                                             "staticsCase",
                                             "staticsSubCase",
                                             "normCandidate",
                                             "residual",
                                             "exact",
                                             "limitsKept",
                                             "messages",
                                             "exited"};
  std::size_t at = 0;
  for (const std::string &k : expected) {
    const std::size_t pos = text.find("\n  \"" + k + "\":");
    ASSERT_NE(pos, std::string::npos) << k;
    EXPECT_GT(pos, at) << k;
    at = pos;
  }
  EXPECT_EQ(Json::parse(text).size(), expected.size());
}

TEST(BatchKeys, ExactCheckBesideTheStatics) {
  const Json before = RunOk({"keys", "ss"});
  EXPECT_TRUE(before["exact"].is_null());
  EXPECT_TRUE(before["limitsKept"].is_null());
  // the start-up grasp: held with less normal force than the vertical search reports
  const Json j = RunOk({"keys", "ssSs"});
  const Json &e = j["exact"];
  EXPECT_EQ(e["verdict"], "holds");
  EXPECT_NEAR(e["margin"].get<double>(), 0.7224, 1e-4);
  EXPECT_LT(e["FCZ"][0].get<double>() + e["FCZ"][1].get<double>(),
            j["FCZ"][0].get<double>() + j["FCZ"][1].get<double>());
  EXPECT_EQ(e["T"].size(), 2u);
  EXPECT_EQ(e["jointTorque"].size(), 2u);
  EXPECT_TRUE(e["blocking"].is_null());
  EXPECT_TRUE(e["reason"].is_null());
  EXPECT_EQ(j["limitsKept"], true);
}

TEST(BatchKeys, DoublesReadBackToTheComputedValues) {
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  for (const unsigned char key : {'s', 's', 'S', 's'}) KeyboardInterpret(&s, key, nullptr, nullptr);
  const Json j = RunOk({"keys", "ssSs"});
  for (int k = 1; k <= 2; k++) {
    EXPECT_EQ(j["qqf"][k - 1].get<double>(), s.qqf[k][1]);
    EXPECT_EQ(j["FCZ"][k - 1].get<double>(), s.FCZ[k]);
    EXPECT_EQ(j["TCF"][k - 1].get<double>(), s.TCF[k]);
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(j["RC"][k - 1][i].get<double>(), s.RC[k][i]);
      EXPECT_EQ(j["nc"][k - 1][i].get<double>(), s.nc[k][i]);
      EXPECT_EQ(j["tc"][k - 1][i].get<double>(), s.tc[k][i]);
      EXPECT_EQ(j["FC"][k - 1][i].get<double>(), s.FC[k][i]);
      EXPECT_EQ(j["TC"][k - 1][i].get<double>(), s.TC[k][i]);
    }
  }
}

TEST(BatchKeys, NoKeysGiveTheStartUpState) {
  const Json j = RunOk({"keys", ""});
  EXPECT_EQ(j["alHand"], 0.0);
  EXPECT_EQ(j["betHand"], 0.0);
  EXPECT_EQ(j["aSph"], 50.0);
  ExpectVec(j["rwG"], 0.0, 80.0, 0.0);
  EXPECT_EQ(j["sgnCAL"], "A");
  EXPECT_EQ(j["nFin"], 0);
  EXPECT_EQ(j["cntContact"], 0);
  EXPECT_EQ(j["sgnGraspExec"], 1);
  ExpectPair(j["qqf"], 0.0, 0.0);
  ExpectVec(j["viewRot"], 4.0, -18.0, 5.0);
  ExpectVec(j["viewTrans"], 0.0, 0.0, -0.5);
  EXPECT_TRUE(j["staticsCase"].is_null());
  EXPECT_TRUE(j["residual"].is_null());
  EXPECT_EQ(j.count("contactResult"), 0u);
}

TEST(BatchKeys, EscInViewModeEndsTheRunThere) {
  const Json j = RunOk({"keys", "sI\\eAs"});
  EXPECT_EQ(j["exited"], true);
  EXPECT_EQ(j["sgnCAL"], "I");
  EXPECT_EQ(j["nFin"], 1); // the keys after ESC were not applied

  const Json raw = RunOk({"keys", "I\\x1bH"});
  EXPECT_EQ(raw["exited"], true);
  EXPECT_EQ(raw["sgnCAL"], "I");
}

TEST(BatchKeys, EscInOtherModesIsAnOrdinaryKey) {
  const Json j = RunOk({"keys", "ssH\\e"});
  EXPECT_EQ(j["exited"], false);
  EXPECT_EQ(j["nFin"], 0); // every key of mode H resets the sequence
  EXPECT_EQ(j["cntContact"], 0);
}

TEST(BatchKeys, EscapesGiveTheRawKeys) {
  EXPECT_EQ(RunOk({"keys", "\\x73\\x73S\\x73"}), RunOk({"keys", "ssSs"}));
  const Json slash = RunOk({"keys", "\\\\"});
  EXPECT_EQ(slash["nFin"], 0); // a backslash is no key of mode A
  const Json view = RunOk({"keys", "IPPx"});
  ExpectVec(view["viewRot"], 6.0, -18.0, 5.0);
  ExpectVec(view["viewTrans"], -0.1, 0.0, -0.5);
}

TEST(BatchKeys, StaticsWithoutTwoContactsFindNoGrasp) {
  const Json j = RunOk({"keys", "Ss"});
  EXPECT_EQ(j["StaticsStability"], 0);
  EXPECT_EQ(j["sgnStaticsEnd"], 1);
  EXPECT_TRUE(j["staticsCase"].is_null());
  EXPECT_TRUE(j["residual"].is_null());
}

TEST(BatchKeys, ResetLeavesNoResidual) {
  const Json j = RunOk({"keys", "ssSsHp"});
  EXPECT_EQ(j["sgnStaticsEnd"], 0);
  ExpectPair(j["FCZ"], 0.0, 0.0);
  EXPECT_TRUE(j["residual"].is_null());
}

// ---- solve ----

TEST(BatchSolve, StartPoseMatchesTheStartUpSession) {
  Json j = RunOk(SolveArgs("0,0", "0,80,0", "50"));
  EXPECT_EQ(j["contactResult"], Json::array({1, 1}));
  j.erase("contactResult");
  EXPECT_EQ(j, RunOk({"keys", "ssSs"}));
}

TEST(BatchSolve, InclinedGraspIsSolvedByTheGeneralSearch) {
  const Json j = RunOk(SolveArgs("0,0.15707963278", "0,80,0", "50"));
  ExpectVec(j["RC"][0], -7.7550, 73.4835, -48.9632);
  ExpectVec(j["RC"][1], 7.7550, 73.4835, 48.9632);
  EXPECT_EQ(j["staticsCase"], "Norm");
  EXPECT_EQ(j["normCandidate"], 65);
  EXPECT_EQ(j["StaticsStability"], 1);
  ExpectPair(j["FCZ"], 2.3221, 1.3259);
  ExpectPair(j["TCF"], 0.2477, 0.2576);
  ExpectPair(j["MCZ"], 6.5952, 5.5670);
  EXPECT_LT(j["residual"]["force"].get<double>(), kBalanceTol);
  EXPECT_LT(j["residual"]["moment"].get<double>(), kBalanceTol);
  // singular candidates on the way may report through the inverse
  const std::regex noInverse("[0-9]+ row = .*, no inverse");
  for (const Json &m : j["messages"])
    EXPECT_TRUE(std::regex_match(m.get<std::string>(), noInverse)) << m;
}

TEST(BatchSolve, DegreesAreConvertedToRadians) {
  const Json deg = RunOk({"solve", "--deg", "--hand", "0,9", "--work", "0,80,0", "--radius", "50"});
  EXPECT_EQ(deg["betHand"].get<double>(), kHandStep); // one key press
  EXPECT_EQ(deg["normCandidate"], 65);
  // the pose text and the whole grasp of the window's keys H P Q
  Json both = RunOk({"solve", "--deg", "--hand", "9,9", "--work", "0,80,0", "--radius", "50"});
  EXPECT_EQ(both["handPoseText"], "(P,Q)=(9,9)(deg)\n");
  both.erase("contactResult");
  EXPECT_EQ(both, RunOk({"keys", "HPQAssSs"}));
}

TEST(BatchSolve, NegativeNumbersAreAccepted) {
  const Json j = RunOk(SolveArgs("-0.15707963278,0", "0,80,0", "50"));
  EXPECT_NEAR(j["alHand"].get<double>(), -0.15707963278, 1e-15);
  EXPECT_EQ(j["exited"], false);
}

TEST(BatchSolve, WorkOutOfReachComputesNothing) {
  const Json j = RunOk(SolveArgs("0,0", "0,500,0", "50"));
  EXPECT_EQ(j["sgnGraspExec"], 0);
  EXPECT_EQ(j["contactResult"], Json::array({nullptr, nullptr}));
  EXPECT_EQ(j["nFin"], 0);
  EXPECT_EQ(j["StaticsStability"], 0);
  EXPECT_TRUE(j["staticsCase"].is_null());
  EXPECT_TRUE(j["residual"].is_null());
}

TEST(BatchSolve, OneContactLeavesNoStatics) {
  // the work sits off the fingers' plane: finger 1 reaches it, finger 2
  // keeps a link solution whose fingertip cannot touch
  const Json j = RunOk(SolveArgs("0,0", "58,100,-20", "50"));
  EXPECT_EQ(j["contactResult"], Json::array({1, 0}));
  EXPECT_EQ(j["cntContact"], 1);
  EXPECT_EQ(j["sgnStaticsEnd"], 1);
  EXPECT_EQ(j["StaticsStability"], 0);
  EXPECT_TRUE(j["staticsCase"].is_null());
  EXPECT_TRUE(j["residual"].is_null());
}

// ---- bad input ----

TEST(BatchBadInput, CommandsAndArguments) {
  ExpectBadInput({}, "missing command");
  ExpectBadInput({"frobnicate"}, "unknown command 'frobnicate'");
  ExpectBadInput({"keys"}, "SEQUENCE");
  ExpectBadInput({"keys", "ss", "more"}, "more");
  ExpectBadInput({"solve", "--hand", "0,0", "--work", "0,80,0", "--radius", "50", "--fast"},
                 "--fast");
  // in the tool's words, not the option parser's
  ExpectBadInput({}, "missing command (use keys, solve or map; graspstat-batch --help");
  ExpectBadInput({"solve", "--hand", "0,0", "0,0", "--pose"},
                 "unexpected argument '0,0' for solve");
  ExpectBadInput({"solve", "--fast"}, "unknown option '--fast' for solve");
  ExpectBadInput({"--fast", "keys", "s"}, "unknown option '--fast'");
  ExpectBadInput({"solve", "--hand", "0,0", "--hand=1,1", "--work", "0,80,0", "--radius", "5"},
                 "--hand is given more than once");
  ExpectBadInput({"--trace"}, "--trace needs a value");
  ExpectBadInput({"keys", "ss", "--trace"}, "--trace needs a value");
  ExpectBadInput({"--trace", "keys", "ss"}, "'keys' is a command; routine names come first");
  ExpectBadInput({"solve", "--stdin", "--radius", "5"}, "--stdin reads the poses");
}

// Echoed input stays on the one line, cut short when long.
TEST(BatchBadInput, EchoesAreOneShortLine) {
  ExpectBadInput(SolveArgs("1\n2,0", "0,80,0", "50"), "'1\\n2' is not a finite number");
  ExpectBadInput({"keys", "s\\\t"}, "unknown escape '\\\\t'");
  const ProgramOutput r =
      RunProgram(BatchPath(), SolveArgs("0,0", "0,80,0", std::string(500, '7') + "x"));
  EXPECT_NE(r.err.find("77...' is not a finite number"), std::string::npos) << r.err;
  EXPECT_LT(r.err.size(), 150u);
}

TEST(BatchHelp, HelpAndVersion) {
  const std::vector<std::vector<std::string>> asks = {
      {"--help"}, {"-h"}, {"keys", "--help"}, {"solve", "-h"}, {"map", "--help"}};
  for (const std::vector<std::string> &ask : asks) {
    const ProgramOutput r = RunProgram(BatchPath(), ask);
    EXPECT_EQ(r.status, 0) << ask[0];
    const std::string usage = "Usage: graspstat-batch" + (ask.size() > 1 ? " " + ask[0] : "");
    EXPECT_NE(r.out.find(usage), std::string::npos) << r.out;
  }
  // the map's defaults are the start-up model's
  const std::string map = RunProgram(BatchPath(), {"map", "--help"}).out;
  EXPECT_NE(map.find("(default 0,80,0)"), std::string::npos) << map;
  EXPECT_NE(map.find("(default 50)"), std::string::npos) << map;
  const ProgramOutput v = RunProgram(BatchPath(), {"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out.rfind("graspstat-batch ", 0), 0u) << v.out;
}

TEST(BatchBadInput, Escapes) {
  ExpectBadInput({"keys", "s\\q"}, "bad escape at position 2");
  ExpectBadInput({"keys", "ss\\"}, "bad escape at position 3");
  ExpectBadInput({"keys", "\\x4"}, "two hex digits");
  ExpectBadInput({"keys", "\\xg0"}, "two hex digits");
}

TEST(BatchBadInput, Numbers) {
  ExpectBadInput(SolveArgs("0,x", "0,80,0", "50"), "'x' is not a finite number");
  ExpectBadInput(SolveArgs("0", "0,80,0", "50"), "expected 2 comma-separated numbers");
  ExpectBadInput(SolveArgs("0,0", "0,80,0,1", "50"), "expected 3 comma-separated numbers");
  ExpectBadInput(SolveArgs("0,0", "0,80,", "50"), "'' is not a finite number");
  ExpectBadInput(SolveArgs("0,0", "0,80,0", "nan"), "'nan' is not a finite number");
  ExpectBadInput(SolveArgs("0,0", "0,80,0", "1e999"), "'1e999' is not a finite number");
  ExpectBadInput(SolveArgs("0,0", "0,80,0", "5O"), "'5O' is not a finite number");
  ExpectBadInput(SolveArgs("0,0", "0,80,0", "-1"), "must not be negative");
}

TEST(BatchBadInput, MissingOptions) {
  ExpectBadInput({"solve", "--hand", "0,0", "--work", "0,80,0"}, "--radius");
  ExpectBadInput({"solve", "--work", "0,80,0", "--radius", "50"}, "--hand");
  ExpectBadInput({"solve", "--hand", "0,0", "--radius", "50", "--work"}, "--work");
}

// ---- the exact check's model ----

// The six model options of keys and solve: read once, refused in the
// tool's words with nothing computed, and the pair of a zero force and a
// zero moment refused only together.
TEST(BatchModel, OptionsAreReadAndRefused) {
  const std::vector<std::string> pose = SolveArgs("0,0", "0,80,0", "50");
  const auto with = [&pose](std::vector<std::string> extra) {
    extra.insert(extra.begin(), pose.begin(), pose.end());
    return extra;
  };
  ExpectBadInput(with({"--mu", "-0.1"}), "--mu: friction coefficient mu must be finite and >= 0");
  ExpectBadInput(with({"--mu", "nan"}), "--mu: 'nan' is not a finite number");
  ExpectBadInput(with({"--rm", "-1"}), "--rm: friction-moment radius");
  ExpectBadInput(with({"--cap", "0"}), "--cap: force cap must be finite and > 0");
  ExpectBadInput(with({"--fex", "0,0,1e999"}), "--fex: '1e999' is not a finite number");
  ExpectBadInput(with({"--mex", "1,2"}), "--mex: expected 3 comma-separated numbers");
  ExpectBadInput(with({"--fex", "0,0,0"}), "--fex, --mex: required force and moment are both zero");
  ExpectBadInput(with({"--contact", "hard"}), "--contact: 'hard' is no contact law");
  ExpectBadInput(with({"--mu"}), "--mu needs a value M");
  ExpectBadInput(with({"--mu", "0.3", "--mu", "0.4"}), "--mu is given more than once");
  ExpectBadInput({"keys", "ssSs", "--contact", "Soft"}, "--contact: 'Soft' is no contact law");
  const ProgramOutput stream =
      RunProgram(BatchPath(), {"solve", "--stdin", "--cap", "-5"}, "0 0 0 80 0 50\n");
  EXPECT_EQ(stream.status, 2);
  EXPECT_EQ(stream.out, "");
  // a pure moment is a load; the default model spelt out is the default
  const Json moment = RunOk(with({"--fex", "0,0,0", "--mex", "0,0,1"}));
  EXPECT_EQ(moment["exact"]["model"]["FEX"], Json::array({0.0, 0.0, 0.0}));
  EXPECT_EQ(RunOk(with({"--mu", "0.5", "--rm", "10", "--cap", "10", "--fex", "0,0,1", "--mex",
                        "0,0,0", "--contact", "soft"})),
            RunOk(pose));
}

// The model reaches the check through solve, the stream and keys: the
// exact object carries the measures and the model used, and the case
// solvers' answer stays as it is.
TEST(BatchModel, TheModelReachesTheExactCheck) {
  const Json plain = RunOk(SolveArgs("0,0", "0,80,0", "50"));
  const Json &e = plain["exact"];
  // today's keys in today's order, the measures and the model after them
  const std::string text = RunProgram(BatchPath(), {"keys", "ssSs"}).out;
  std::size_t at = text.find("\n  \"exact\": {");
  for (const char *k : {"verdict", "margin", "FCZ", "T", "MCZ", "jointTorque", "blocking", "reason",
                        "capacity", "muNeeded", "forceClosure", "epsilon", "model"}) {
    const std::size_t pos = text.find(std::string("\"") + k + "\":", at);
    ASSERT_NE(pos, std::string::npos) << k;
    at = pos;
  }
  EXPECT_EQ(e.size(), 13u);
  EXPECT_GT(e["capacity"].get<double>(), 1.0);
  EXPECT_NEAR(e["muNeeded"].get<double>(), (1.0 - e["margin"].get<double>()) * 0.5, 1e-9);
  EXPECT_EQ(e["forceClosure"], true);
  EXPECT_EQ(e["model"], Json::parse(R"({"mu":0.5,"rm":10.0,"cap":10.0,"FEX":[0.0,0.0,1.0],)"
                                    R"("MEX":[0.0,0.0,0.0],"contact":"soft"})"));

  // twice the load: half the capacity, the case solvers untouched
  Json twice =
      RunOk({"solve", "--hand", "0,0", "--work", "0,80,0", "--radius", "50", "--fex", "0,0,2"});
  EXPECT_NEAR(twice["exact"]["capacity"].get<double>(), e["capacity"].get<double>() / 2.0,
              1e-9 * e["capacity"].get<double>());
  EXPECT_EQ(twice["FCZ"], plain["FCZ"]);

  // hard fingers on the inclined grasp: no friction moment, so it cannot
  // hold, no friction coefficient would do and no force closure
  const std::string inclined = "0 0.15707963278 0 80 0 50\n";
  const ProgramOutput stream =
      RunProgram(BatchPath(), {"solve", "--stdin", "--contact", "point"}, inclined + inclined);
  ASSERT_EQ(stream.status, 0) << stream.err;
  const Json point = Json::parse(stream.out.substr(0, stream.out.find('\n')));
  EXPECT_EQ(Json::parse(stream.out.substr(stream.out.find('\n') + 1)), point);
  EXPECT_EQ(point["exact"]["verdict"], "cannot hold");
  EXPECT_TRUE(point["exact"]["muNeeded"].is_null());
  EXPECT_EQ(point["exact"]["forceClosure"], false);
  EXPECT_EQ(point["exact"]["model"]["contact"], "point");
  EXPECT_EQ(point, RunOk({"solve", "--hand", "0,0.15707963278", "--work", "0,80,0", "--radius",
                          "50", "--contact", "point"}));

  // keys: the same model through the interpreter's statics
  Json solved = RunOk({"solve", "--hand", "0,0", "--work", "0,80,0", "--radius", "50", "--mu",
                       "0.2", "--rm", "3", "--contact", "elliptic"});
  solved.erase("contactResult");
  EXPECT_EQ(RunOk({"keys", "ssSs", "--mu", "0.2", "--rm", "3", "--contact", "elliptic"}), solved);
  EXPECT_EQ(solved["exact"]["model"]["mu"], 0.2);
}

// ---- narration ----

// --trace narrates on standard error, its pauses never wait, and standard
// output carries the same JSON as without it.
TEST(BatchTrace, NarrationGoesToStderrAndLeavesTheJson) {
  const std::vector<std::string> solve = SolveArgs("0.3,0.45", "0,80,0", "50");
  const ProgramOutput plain = RunProgram(BatchPath(), solve);
  std::vector<std::string> traced = {"--trace", "VeskSphereContanct,veskstatics"};
  traced.insert(traced.end(), solve.begin(), solve.end());
  const ProgramOutput r = RunProgram(BatchPath(), traced);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, plain.out);
  EXPECT_NE(r.err.find("getch()"), std::string::npos); // its pauses were answered
  EXPECT_NE(r.err.find("VeskStatics"), std::string::npos) << r.err.substr(0, 400);

  const ProgramOutput all = RunProgram(BatchPath(), {"--trace", "all", "keys", "ssSs"});
  ASSERT_EQ(all.status, 0);
  EXPECT_EQ(all.out, RunProgram(BatchPath(), {"keys", "ssSs"}).out);
  EXPECT_NE(all.err.find("keyboard()始め key=s"), std::string::npos);
}

// The streaming solve is narrated pose by pose, and a line may end in
// "\r\r\n" as in "\n".
TEST(BatchTrace, StreamIsNarratedAndAnyLineEndEndsALine) {
  const std::string pose = "0.3 0.45 0 80 0 50";
  const ProgramOutput plain =
      RunProgram(BatchPath(), {"solve", "--stdin"}, pose + "\n" + pose + "\n");
  ASSERT_EQ(plain.status, 0) << plain.err;
  const ProgramOutput r = RunProgram(BatchPath(), {"--trace", "VeskStatics", "solve", "--stdin"},
                                     pose + "\r\r\n" + pose + "\r\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, plain.out);
  // each pose narrated as its single solve is
  const ProgramOutput one =
      RunProgram(BatchPath(), {"--trace", "VeskStatics", "solve", "--hand", "0.3,0.45", "--work",
                               "0,80,0", "--radius", "50"});
  ASSERT_NE(one.err.find("VeskStatics"), std::string::npos);
  EXPECT_EQ(r.err, one.err + one.err);
  const ProgramOutput keys = RunProgram(BatchPath(), {"keys", "-"}, "ssSs\r\r\n");
  EXPECT_EQ(keys.out, RunProgram(BatchPath(), {"keys", "ssSs"}).out);
}

TEST(BatchTrace, HelpListsTheRoutinesAndUnknownNamesAreRefused) {
  const ProgramOutput help = RunProgram(BatchPath(), {"--trace", "help"});
  EXPECT_EQ(help.status, 0);
  for (const char *name : {"keyboard", "VeskLinkSphereContact", "TipSphereContact",
                           "VeskSphereContanct", "VeskStatics", "VeskNormStatics", "VeskXYStatics",
                           "VeskYZStatics", "VeskLineStatics", "all"})
    EXPECT_NE(help.out.find(std::string(name) + "\n"), std::string::npos) << name;
  ExpectBadInput({"--trace", "VeskStatics,nosuch", "keys", "s"}, "unknown routine 'nosuch'");
}

} // namespace
} // namespace gs::testing
