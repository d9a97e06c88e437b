// The batch tool's study maps and streaming solves run as real processes:
// every map row against a single solve of its pose, the same files for any
// thread count, the picture read back pixel by pixel, and the refusals.
#include <cairo.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "exact/exact_check.h"
#include "graspstat/grasp.h"
#include "graspstat/map.h"
#include "tools/map_picture.h"
#include "tools/run_program.h"

namespace gs::testing {
namespace {

using Json = nlohmann::ordered_json;
using Row = std::vector<std::string>;

const std::string kBatch = std::string(GRASPSTAT_BINARY_DIR) + "/graspstat-batch";
const char *const kHeader = "cntContact,staticsCase,StaticsStability,exact,margin,FCZ1,FCZ2,"
                            "TCF1,TCF2,MCZ1,MCZ2,leastForce,capacity,muNeeded,forceClosure,"
                            "limitsKept,epsilonInf,epsilonOne";
const char *const kVerdicts[] = {"", "holds", "cannot hold", "undecided", "palm inside work"};
constexpr unsigned kNotHoldingGrey = 0x9A9A9A;

// A fresh directory for one test's files.
std::string TempDir() {
  std::string pattern = ::testing::TempDir() + "graspstat_map_XXXXXX";
  const char *dir = mkdtemp(&pattern[0]);
  return dir != nullptr ? std::string(dir) : std::string();
}

std::vector<std::string> DirEntries(const std::string &dir) {
  std::vector<std::string> names;
  DIR *d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (dirent *e = readdir(d))
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  closedir(d);
  return names;
}

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Split(const std::string &text, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(sep, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

double Number(const std::string &text) {
  double v = NAN;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

// A CSV field against a JSON number: empty where the JSON has null or where
// no statics ran, else the same double.
void ExpectField(const std::string &field, const Json &value, bool ran, const std::string &what) {
  if (!ran || value.is_null()) {
    EXPECT_EQ(field, "") << what;
  } else {
    EXPECT_EQ(Number(field), value.get<double>()) << what << " '" << field << "'";
  }
}

// One map run: its arguments, files and parsed rows.
struct MapRun {
  MapRequest req;
  std::vector<std::string> args; // after "map", without --threads and --out
  std::string csv;
  std::string png;
  std::vector<Row> rows;
};

// Runs the map with threads threads into dir/name and reads the table back.
void RunMap(MapRun *m, const std::string &dir, const std::string &name, int threads) {
  std::vector<std::string> args = {"map"};
  args.insert(args.end(), m->args.begin(), m->args.end());
  args.insert(args.end(), {"--threads", std::to_string(threads), "--out", dir + "/" + name});
  const ProgramOutput r = RunProgram(kBatch, args);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ""); // the no-inverse lines of the search stay inside the tool
  EXPECT_EQ(r.err, ""); // no progress line when standard error is no terminal
  m->csv = ReadFile(dir + "/" + name + ".csv");
  m->png = dir + "/" + name + ".png";
  m->rows.clear();
  for (const std::string &line : Split(m->csv, '\n'))
    if (!line.empty()) m->rows.push_back(Split(line, ','));
}

// Pose line "AL BET X Y Z R" of a row: the fixed values with the two swept
// ones replaced by the row's own text.
std::string PoseLine(const MapRun &m, const Row &row) {
  std::string v[kMapMu];
  const double fixed[kMapMu] = {m.req.hand[0], m.req.hand[1], m.req.work[0],
                                m.req.work[1], m.req.work[2], m.req.radius};
  for (int p = 0; p < kMapMu; p++) {
    std::ostringstream text;
    text.precision(17);
    text << fixed[p];
    v[p] = text.str();
  }
  v[m.req.x.param] = row[0];
  v[m.req.y.param] = row[1];
  return v[0] + " " + v[1] + " " + v[2] + " " + v[3] + " " + v[4] + " " + v[5];
}

// The outcome class of a row, read from its fields alone.
int RowOutcome(const Row &row) {
  if (row[3].empty()) return kOutcomeNoContact;
  const bool stable = row[4] == "1";
  if (row[5] == "holds") return stable ? kOutcomeBothHold : kOutcomeExactOnly;
  if (row[5] == "cannot hold") return stable ? kOutcomeSolversOnly : kOutcomeNeither;
  if (row[5] == "palm inside work") return kOutcomePalmInside;
  return stable ? kOutcomeStableOpen : kOutcomeUnstableOpen;
}

unsigned PixelAt(cairo_surface_t *img, double x, double y) {
  const unsigned char *data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  const auto *row = reinterpret_cast<const std::uint32_t *>(data + static_cast<int>(y) * stride);
  return row[static_cast<int>(x)] & 0xFFFFFF;
}

// The strength measures of a row (capacity, muNeeded, forceClosure) against
// an exact check: empty where no statics ran, the palm is inside the work or
// the measure is undecided (and muNeeded where no friction suffices).
void ExpectMeasures(const Row &row, const ExactCheck &e, bool ran, const std::string &at) {
  const bool measured = ran && e.verdict != kExactPalmInside;
  const double capacity = measured ? e.capacity : NAN;
  const double muNeeded = measured ? e.muNeeded : NAN;
  if (std::isfinite(capacity))
    EXPECT_EQ(Number(row[14]), capacity) << at;
  else
    EXPECT_EQ(row[14], "") << at;
  if (std::isfinite(muNeeded))
    EXPECT_EQ(Number(row[15]), muNeeded) << at;
  else
    EXPECT_EQ(row[15], "") << at;
  const bool decided = measured && (e.forceClosure == 0 || e.forceClosure == 1);
  EXPECT_EQ(row[16], decided ? std::to_string(e.forceClosure) : "") << at;
}

// The two sweeps the tests run: hand angles in degrees over more than one
// chunk of points, and work quantities in a turned hand.
std::vector<MapRun> Sweeps() {
  std::vector<MapRun> runs(2);
  runs[0].args = {"--x", "alHand:-90:90:25", "--y", "betHand:-60:60:13", "--deg"};
  runs[1].args = {"--x",    "z:-40:40:9",      "--y",      "aSph:30:70:6",
                  "--hand", "0,0.15707963278", "--radius", "40"};
  std::string error;
  for (MapRun &m : runs) {
    m.req = MapRequest{};
    m.req.model = kDefaultExactModel;
    m.req.hand[0] = m.req.hand[1] = 0.0;
    m.req.work[1] = 80.0;
    m.req.radius = 50.0;
    EXPECT_EQ(ParseMapAxis(m.args[1], &m.req.x, &error), 1);
    EXPECT_EQ(ParseMapAxis(m.args[3], &m.req.y, &error), 1);
  }
  runs[0].req.degrees = 1;
  runs[1].req.hand[1] = 0.15707963278;
  runs[1].req.radius = 40.0;
  return runs;
}

TEST(BatchMap, RowsEqualSingleSolvesForAnyThreadCount) {
  const std::string dir = TempDir();
  int unstableBeyond = 0; // unstable points whose reported forces break a limit
  for (MapRun &m : Sweeps()) {
    MapRun other = m;
    RunMap(&m, dir, "one", 1);
    RunMap(&other, dir, "three", 3);
    EXPECT_EQ(other.csv, m.csv);
    EXPECT_EQ(ReadFile(other.png), ReadFile(m.png));

    const long nx = m.req.x.count;
    const long ny = m.req.y.count;
    ASSERT_EQ(m.rows.size(), static_cast<std::size_t>(nx * ny + 1));
    EXPECT_EQ(m.csv.substr(0, m.csv.find('\n')), std::string(MapParamName(m.req.x.param)) + "," +
                                                     MapParamName(m.req.y.param) + "," + kHeader);
    std::string poses;
    for (std::size_t r = 1; r < m.rows.size(); r++) {
      ASSERT_EQ(m.rows[r].size(), 20u) << r;
      poses += PoseLine(m, m.rows[r]) + "\n";
    }
    // x runs fastest, from FROM to exactly TO
    EXPECT_EQ(Number(m.rows[1][0]), m.req.x.from);
    EXPECT_EQ(Number(m.rows[nx][0]), m.req.x.to);
    EXPECT_EQ(Number(m.rows[nx * ny][1]), m.req.y.to);
    EXPECT_EQ(m.rows[nx + 1][1], m.rows[nx + 2][1]);

    std::vector<std::string> stream = {"solve", "--stdin"};
    if (m.req.degrees != 0) stream.push_back("--deg");
    const ProgramOutput solved = RunProgram(kBatch, stream, poses);
    ASSERT_EQ(solved.status, 0) << solved.err;
    const std::vector<std::string> lines = Split(solved.out, '\n');
    ASSERT_EQ(lines.size(), m.rows.size()); // one per row, and the empty rest
    for (std::size_t r = 1; r < m.rows.size(); r++) {
      const Row &row = m.rows[r];
      const Json j = Json::parse(lines[r - 1]);
      const bool ran = !j["staticsCase"].is_null();
      const std::string at = "row " + std::to_string(r);
      EXPECT_EQ(row[2], std::to_string(j["cntContact"].get<int>())) << at;
      EXPECT_EQ(row[3], ran ? j["staticsCase"].get<std::string>() : "") << at;
      EXPECT_EQ(row[4], ran ? std::to_string(j["StaticsStability"].get<int>()) : "") << at;
      for (int k = 0; k < 2; k++) {
        ExpectField(row[7 + k], j["FCZ"][k], ran, at + " FCZ");
        ExpectField(row[9 + k], j["TCF"][k], ran, at + " TCF");
        ExpectField(row[11 + k], j["MCZ"][k], ran, at + " MCZ");
      }
      EXPECT_EQ(row[17], ran ? (j["limitsKept"].get<bool>() ? "1" : "0") : "") << at;
      const bool measured = ran && j["exact"]["verdict"] != "palm inside work";
      ExpectField(row[18], measured ? j["exact"]["epsilon"]["inf"]["value"] : Json(), ran, at);
      ExpectField(row[19], measured ? j["exact"]["epsilon"]["one"]["value"] : Json(), ran, at);
      unstableBeyond += (row[4] == "0" && row[17] == "0") ? 1 : 0;
      // the exact check of the same single solve, in process
      double al = 0.0, bet = 0.0, aSph = 0.0;
      Vec3 rwG;
      MapPointPose(&m.req, static_cast<long>(r - 1), &al, &bet, rwG, &aSph);
      EXPECT_EQ(al, j["alHand"].get<double>()) << at;
      EXPECT_EQ(bet, j["betHand"].get<double>()) << at;
      BatchRun single{};
      RunSolve(&single, al, bet, rwG, aSph);
      const ExactCheck &e = single.state.exact;
      EXPECT_EQ(row[5], kVerdicts[e.verdict]) << at;
      const bool holds = e.verdict == kExactHolds;
      if (holds) {
        EXPECT_EQ(Number(row[6]), e.margin) << at;
        EXPECT_EQ(Number(row[13]), e.FCZ[1] + e.FCZ[2]) << at;
      } else {
        EXPECT_EQ(row[6], "") << at;
        EXPECT_EQ(row[13], "") << at;
      }
      ExpectMeasures(row, e, ran, at);
    }
  }
  EXPECT_GT(unstableBeyond, 0);
}

// A stop function asked by the calling thread ends a map early (the
// workers leave at their next point); without one every point gets its row.
TEST(BatchMap, StopFunctionEndsTheWorkersEarly) {
  struct Seen {
    std::atomic<long> rows{0};
    int asked = 0;
  };
  const auto count = [](long, const MapRow *, void *ctx) { static_cast<Seen *>(ctx)->rows++; };
  const auto stop = [](void *ctx) { return ++static_cast<Seen *>(ctx)->asked; };
  MapRequest req = Sweeps()[0].req;
  Seen all;
  EXPECT_EQ(RunMapSweepRows(&req, 2, count, nullptr, &all), 1);
  EXPECT_EQ(all.rows, MapPointCount(&req));
  std::string error;
  ASSERT_EQ(ParseMapAxis("alHand:-90:90:1000", &req.x, &error), 1); // seconds of work
  ASSERT_EQ(ParseMapAxis("betHand:-60:60:1000", &req.y, &error), 1);
  Seen stopped;
  EXPECT_EQ(RunMapSweepRows(&req, 2, count, stop, &stopped), 0);
  EXPECT_EQ(stopped.asked, 1);
  EXPECT_LT(stopped.rows, MapPointCount(&req));
}

TEST(BatchMap, PictureShowsEveryPointsOutcome) {
  const std::string dir = TempDir();
  for (MapRun &m : Sweeps()) {
    RunMap(&m, dir, "pic", 2);
    cairo_surface_t *img = cairo_image_surface_create_from_png(m.png.c_str());
    ASSERT_EQ(cairo_surface_status(img), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(img), kMapPictureWidth);
    EXPECT_EQ(cairo_image_surface_get_height(img), kMapPictureHeight);
    cairo_surface_flush(img);
    const long nx = m.req.x.count;
    for (std::size_t r = 1; r < m.rows.size(); r++) {
      const long i = static_cast<long>(r - 1) % nx;
      const long j = static_cast<long>(r - 1) / nx;
      const int outcome = RowOutcome(m.rows[r]);
      double x = 0.0, y = 0.0;
      MapCellCentre(&m.req, 0, i, j, &x, &y);
      EXPECT_EQ(PixelAt(img, x, y), MapOutcomeRgb(outcome)) << "point " << i << "," << j;
      // the margin panel: no contact, an undecided check and the palm inside
      // the work each keep their own shade, never the grey of "cannot hold"
      unsigned shade = kNotHoldingGrey;
      if (outcome == kOutcomeNoContact || outcome == kOutcomePalmInside ||
          outcome == kOutcomeStableOpen)
        shade = MapOutcomeRgb(outcome);
      if (outcome == kOutcomeUnstableOpen) shade = MapOutcomeRgb(kOutcomeStableOpen);
      if (m.rows[r][5] == "holds") shade = MapMarginRgb(static_cast<float>(Number(m.rows[r][6])));
      MapCellCentre(&m.req, 1, i, j, &x, &y);
      EXPECT_EQ(PixelAt(img, x, y), shade) << "margin at point " << i << "," << j;
    }
    cairo_surface_destroy(img);
  }
}

TEST(BatchMap, BadInputWritesNothing) {
  const std::string dir = TempDir();
  const std::string out = dir + "/bad";
  const std::vector<std::string> grid = {"--x", "alHand:0:1:4", "--y", "betHand:0:1:4"};
  struct Case {
    std::vector<std::string> args;
    std::string fragment;
  };
  const auto with = [&grid](std::vector<std::string> extra) {
    std::vector<std::string> a = {"map"};
    a.insert(a.end(), grid.begin(), grid.end());
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  };
  ASSERT_EQ(mkdir((dir + "/dir.csv").c_str(), 0755), 0);
  const Case cases[] = {
      {{"map", "--x", "foo:0:1:4", "--y", "x:0:1:4", "--out", out}, "unknown PARAM 'foo'"},
      {{"map", "--x", "y:0:1:4", "--y", "y:5:6:4", "--out", out}, "both sweep y"},
      {{"map", "--x", "y:0:1:1", "--y", "z:5:6:4", "--out", out}, "COUNT must be a whole number"},
      {{"map", "--x", "y:0:1:-3", "--y", "z:5:6:4", "--out", out}, "COUNT"},
      {{"map", "--x", "y:0:1:4097", "--y", "z:5:6:4096", "--out", out}, "exceed the largest map"},
      {{"map", "--x", "y:0:nan:4", "--y", "z:5:6:4", "--out", out}, "'nan' is not a finite"},
      {{"map", "--x", "y:-1e999:1:4", "--y", "z:5:6:4", "--out", out}, "is not a finite"},
      {{"map", "--x", "x:-1e308:1e308:3", "--y", "y:80:81:2", "--out", out}, "not be finite"},
      {{"map", "--x", "x:60:1.7976931348623157e308:7", "--y", "y:8:9:2", "--out", out},
       "not be finite"},
      {{"map", "--x", "x:1:1.0000000000000002:2", "--y", "y:80:81:2", "--out", out}, "too close"},
      {{"map", "--x", "y:0:1", "--y", "z:5:6:4", "--out", out}, "PARAM:FROM:TO:COUNT"},
      {{"map", "--x", "y:2:2:4", "--y", "z:5:6:4", "--out", out}, "FROM and TO must differ"},
      {{"map", "--x", "aSph:-5:5:4", "--y", "z:5:6:4", "--out", out}, "must not be negative"},
      {with({"--radius", "-1", "--out", out}), "must not be negative"},
      {with({"--hand", "0", "--out", out}), "expected 2 comma-separated numbers"},
      {with({"--threads", "0", "--out", out}), "--threads"},
      {with({"--format", "gif", "--out", out}), "--format"},
      {with({"--show", "force", "--out", out}), "--show: 'force' is no shaded quantity"},
      {with({"--mu", "-1", "--out", out}), "--mu"},
      {with({"--rm", "nan", "--out", out}), "--rm"},
      {with({"--cap", "0", "--out", out}), "--cap"},
      {with({"--fex", "0,0,0", "--out", out}), "--fex"},
      {with({"--mex", "1,2", "--out", out}), "--mex"},
      {with({"--contact", "hard", "--out", out}), "'hard' is no contact law"},
      {{"map", "--x", "cap:0:5:4", "--y", "z:5:6:4", "--out", out}, "cap: "},
      {{"map", "--x", "mu:1:-1:4", "--y", "z:5:6:4", "--out", out}, "mu: "},
      {{"map", "--x", "rm:1:inf:4", "--y", "z:5:6:4", "--out", out}, "not a finite"},
      {with({}), "--out"},
      {with({"--out", dir + "/missing/bad"}), "cannot write " + dir + "/missing/bad.csv"},
      {with({"--out", dir + "/dir"}), "it is a directory"},
      {with({"--out", dir + "/"}), "'" + dir + "/' names a directory"},
      {with({"--out", dir + "/dir.csv"}), "names a directory"},
      {{"map", "--x", "cap:4.9e-324:1e-323:3", "--y", "z:5:6:4", "--out", out},
       "cap: the swept values do not change at every step (5e-324 repeats)"},
  };
  for (const Case &c : cases) {
    const ProgramOutput r = RunProgram(kBatch, c.args);
    EXPECT_EQ(r.status, 2) << c.fragment;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("graspstat-batch: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(c.fragment), std::string::npos) << r.err;
    EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"dir.csv"}) << c.fragment;
  }
}

// The second panel of a map shading column (capacity or muNeeded) of its
// rows: each point in the ramp up to the colour bar's top, the grey where no
// friction suffices, the undecided colour, or the first panel's colour
// where no statics ran or the palm is inside the work.
void ExpectShadedPanel(const MapRun &m, std::size_t column) {
  const long total = MapPointCount(&m.req);
  std::vector<float> shown(static_cast<std::size_t>(total));
  for (long p = 0; p < total; p++) {
    const Row &row = m.rows[static_cast<std::size_t>(p) + 1];
    const bool none = column == 15 && row[column].empty() && row[5] == "cannot hold";
    shown[static_cast<std::size_t>(p)] =
        row[column].empty() ? (none ? INFINITY : NAN) : static_cast<float>(Number(row[column]));
  }
  int clipped = 0;
  const double top = MapShadeTop(&m.req, shown.data(), &clipped);
  cairo_surface_t *img = cairo_image_surface_create_from_png(m.png.c_str());
  ASSERT_EQ(cairo_surface_status(img), CAIRO_STATUS_SUCCESS);
  cairo_surface_flush(img);
  for (long p = 0; p < total; p++) {
    const int outcome = RowOutcome(m.rows[static_cast<std::size_t>(p) + 1]);
    const float v = shown[static_cast<std::size_t>(p)];
    unsigned shade = std::isfinite(v) ? MapMarginRgb(v / top)
                     : std::isinf(v)  ? kNotHoldingGrey
                                      : MapOutcomeRgb(kOutcomeStableOpen);
    if (outcome == kOutcomeNoContact || outcome == kOutcomePalmInside)
      shade = MapOutcomeRgb(outcome);
    double x = 0.0, y = 0.0;
    MapCellCentre(&m.req, 1, p % m.req.x.count, p / m.req.x.count, &x, &y);
    EXPECT_EQ(PixelAt(img, x, y), shade) << "point " << p;
  }
  cairo_surface_destroy(img);
}

// The model options, the measure columns against the library's check of
// the same contacts under that model, the shaded capacity and the record
// of the command beside the table.
TEST(BatchMap, ModelOptionsColumnsShownQuantityAndRecord) {
  const std::string dir = TempDir();
  MapRun m;
  m.args = {"--x",      "alHand:-60:60:13",
            "--y",      "betHand:-30:30:7",
            "--deg",    "--mu",
            "0.7",      "--rm",
            "6",        "--cap",
            "12",       "--fex",
            "0.3,0,1",  "--mex",
            "0,2,0",    "--contact",
            "elliptic", "--show",
            "capacity"};
  std::string error;
  m.req = MapRequest{};
  ASSERT_EQ(ParseMapAxis(m.args[1], &m.req.x, &error), 1);
  ASSERT_EQ(ParseMapAxis(m.args[3], &m.req.y, &error), 1);
  m.req.work[1] = 80.0;
  m.req.radius = 50.0;
  m.req.degrees = 1;
  m.req.model = ExactModel{0.7, 6.0, 12.0, {0.3, 0.0, 1.0}, {0.0, 2.0, 0.0}, kContactElliptic};
  m.req.show = kShowCapacity;
  RunMap(&m, dir, "m", 2);
  std::vector<std::string> files = DirEntries(dir);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"m.csv", "m.json", "m.png"}));
  EXPECT_EQ(Json::parse(ReadFile(dir + "/m.json")), Json::parse(R"({
    "command": "map",
    "x": {"param": "alHand", "from": -60, "to": 60, "count": 13},
    "y": {"param": "betHand", "from": -30, "to": 30, "count": 7},
    "degrees": true,
    "fixed": {"x": 0, "y": 80, "z": 0, "aSph": 50},
    "model": {"mu": 0.7, "rm": 6, "cap": 12, "FEX": [0.3, 0, 1], "MEX": [0, 2, 0],
              "contact": "elliptic"},
    "show": "capacity", "format": "png", "csv": "m.csv", "picture": "m.png"})"));

  int measured = 0;
  for (std::size_t r = 1; r < m.rows.size(); r++) {
    const Row &row = m.rows[r];
    ASSERT_EQ(row.size(), 20u);
    double al = 0.0, bet = 0.0, aSph = 0.0;
    Vec3 rwG;
    MapPointPose(&m.req, static_cast<long>(r - 1), &al, &bet, rwG, &aSph);
    BatchRun single{};
    RunSolve(&single, al, bet, rwG, aSph); // contacts and statics do not depend on the model
    const bool ran = single.state.staticsCase != kCaseNone;
    ExactCheck e{};
    if (ran) ExactGraspCheckModel(&single.state, &m.req.model, &e);
    const std::string at = "row " + std::to_string(r);
    EXPECT_EQ(row[5], ran ? kVerdicts[e.verdict] : "") << at;
    ExpectMeasures(row, e, ran, at);
    measured += !row[14].empty() ? 1 : 0;
  }
  EXPECT_GT(measured, 10);
  ExpectShadedPanel(m, 14);
}

// Friction swept: the friction needed does not depend on the friction there
// is, the capacity grows with it, and the work holds exactly where the
// friction reaches what it needs and the capacity reaches 1.
TEST(BatchMap, FrictionSweptAlongAnAxis) {
  const std::string dir = TempDir();
  MapRun m;
  m.args = {"--x", "mu:0.05:1.2:24", "--y", "alHand:-40:40:9", "--deg", "--show", "muNeeded"};
  std::string error;
  m.req = MapRequest{};
  ASSERT_EQ(ParseMapAxis(m.args[1], &m.req.x, &error), 1);
  ASSERT_EQ(ParseMapAxis(m.args[3], &m.req.y, &error), 1);
  m.req.model = kDefaultExactModel;
  m.req.show = kShowMuNeeded;
  RunMap(&m, dir, "mu", 1);
  const long nx = m.req.x.count;
  int changes = 0;
  for (long j = 0; j < m.req.y.count; j++) {
    double need = NAN, capacity = -1.0;
    std::string verdict;
    for (long i = 0; i < nx; i++) {
      const Row &row = m.rows[static_cast<std::size_t>(j * nx + i + 1)];
      const std::string at = "point " + std::to_string(i) + "," + std::to_string(j);
      const double mu = Number(row[0]);
      if (!row[15].empty()) {
        const double v = Number(row[15]);
        if (std::isnan(need)) need = v;
        EXPECT_NEAR(v, need, 1e-9 * need) << at;
        if (row[5] == "holds") {
          EXPECT_LE(v, mu * (1 + 1e-9)) << at;
        }
        if (row[5] == "cannot hold") {
          EXPECT_GE(v, mu * (1 - 1e-9)) << at;
        }
      }
      if (!row[14].empty()) {
        const double c = Number(row[14]);
        EXPECT_GE(c, capacity * (1 - 1e-9)) << at;
        capacity = c;
        if (row[5] == "holds") {
          EXPECT_GE(c, 1 - 1e-9) << at;
        }
        if (row[5] == "cannot hold") {
          EXPECT_LE(c, 1 + 1e-9) << at;
        }
      }
      changes += (i > 0 && row[5] != verdict) ? 1 : 0;
      verdict = row[5];
    }
  }
  EXPECT_GT(changes, 2); // the sweep crosses from "cannot hold" to "holds"
  ExpectShadedPanel(m, 15);
}

TEST(BatchMap, AxisUpToTheLargestDoubleIsDrawn) {
  const std::string dir = TempDir();
  const ProgramOutput r = RunProgram(kBatch, {"map", "--x", "x:60:1.7976931348623157e308:2", "--y",
                                              "betHand:80:90:2", "--out", dir + "/edge"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(DirEntries(dir).size(), 3u); // table, picture and record
}

TEST(BatchStream, LinesEqualSingleSolvesAndMalformedLinesAreNamed) {
  const std::string input = "0 0 0 80 0 50\n"
                            "# a comment\n"
                            "\n"
                            "  0,0.15707963278, 0,80,0 , 50  \n"
                            "0 0 0 500 0 50\r\n"
                            "1 2 3\n"
                            "0 0 0 80 0 -1\n"
                            "0 0 x 80 0 50\n"
                            "0,,0,80,0,50\n"
                            "0 0 58 100 -20 50 7\n"
                            "\t-0.15707963278\t0 0 80 0 50"; // no line end
  const ProgramOutput r = RunProgram(kBatch, {"solve", "--stdin"}, input);
  EXPECT_EQ(r.status, 2);
  const std::vector<std::vector<std::string>> singles = {{"0,0", "0,80,0", "50"},
                                                         {"0,0.15707963278", "0,80,0", "50"},
                                                         {"0,0", "0,500,0", "50"},
                                                         {"-0.15707963278,0", "0,80,0", "50"}};
  // each malformed line is answered in its place by {"line":N,"error":...}
  std::vector<std::string> lines;
  std::vector<Json> answers;
  for (const std::string &line : Split(r.out, '\n')) {
    if (line.rfind("{\"line\":", 0) == 0)
      answers.push_back(Json::parse(line));
    else
      lines.push_back(line);
  }
  EXPECT_EQ(Split(r.out, '\n')[3],
            "{\"line\":6,\"error\":\"expected 6 numbers, got 3 (want AL BET X Y Z R)\"}");
  ASSERT_EQ(lines.size(), singles.size() + 1);
  EXPECT_EQ(lines.back(), "");
  for (std::size_t k = 0; k < singles.size(); k++) {
    const ProgramOutput one = RunProgram(kBatch, {"solve", "--hand", singles[k][0], "--work",
                                                  singles[k][1], "--radius", singles[k][2]});
    EXPECT_EQ(Json::parse(lines[k]), Json::parse(one.out)) << lines[k];
  }
  const std::vector<std::string> errors = Split(r.err, '\n');
  const char *const expected[] = {"line 6: expected 6 numbers, got 3",
                                  "line 7: the work radius must not be negative",
                                  "line 8: 'x' is not a finite number", "line 9: empty field",
                                  "line 10: expected 6 numbers, got more"};
  ASSERT_EQ(errors.size(), 6u) << r.err;
  ASSERT_EQ(answers.size(), 5u) << r.out;
  for (int k = 0; k < 5; k++) {
    EXPECT_EQ(errors[k].rfind("graspstat-batch: ", 0), 0u) << errors[k];
    EXPECT_NE(errors[k].find(expected[k]), std::string::npos) << errors[k];
    EXPECT_EQ(answers[k]["line"], 6 + k);
    const std::string what = answers[k]["error"];
    EXPECT_EQ(errors[k], "graspstat-batch: line " + std::to_string(6 + k) + ": " + what);
  }

  // degrees, and a stream with nothing wrong
  const ProgramOutput deg = RunProgram(kBatch, {"solve", "--stdin", "--deg"}, "0 9 0 80 0 50\n");
  EXPECT_EQ(deg.status, 0);
  EXPECT_EQ(deg.err, "");
  const ProgramOutput one =
      RunProgram(kBatch, {"solve", "--deg", "--hand", "0,9", "--work", "0,80,0", "--radius", "50"});
  EXPECT_EQ(Json::parse(deg.out), Json::parse(one.out));
  const ProgramOutput none = RunProgram(kBatch, {"solve", "--stdin"}, "");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(RunProgram(kBatch, {"solve", "--stdin", "--hand", "0,0"}).status, 2);
}

TEST(BatchStream, KeysFromStandardInput) {
  const ProgramOutput piped = RunProgram(kBatch, {"keys", "-"}, "ss\\x53s\n");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, RunProgram(kBatch, {"keys", "ssSs"}).out);
  const ProgramOutput bad = RunProgram(kBatch, {"keys", "-"}, "s\\q");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("standard input: bad escape at position 2"), std::string::npos) << bad.err;
}

} // namespace
} // namespace gs::testing
