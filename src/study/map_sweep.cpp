#include "graspstat/map.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "graspstat/grasp.h"
#include "graspstat/map_table.h"
#include "graspstat/numbers.h"
#include "graspstat/text.h"
#include "graspstat/trace.h"

namespace gs {

namespace {

constexpr const char *kParamNames[kMapParamCount] = {"alHand", "betHand", "x",  "y",  "z",
                                                     "aSph",   "mu",      "rm", "cap"};
constexpr const char *kShowNames[kMapShowCount] = {"margin", "capacity", "muNeeded", "epsilon"};
constexpr auto kProgressPeriod = std::chrono::milliseconds(250);

int Fail(std::string *error, const std::string &what) {
  *error = what;
  return 0;
}

// Drops console text: the map keeps no messages.
void DiscardConsole(const char *, std::size_t, void *) {}

// Work shared by the threads of one map.
struct Sweep {
  const MapRequest *req;
  const GraspState *start; // the started model every point begins from
  long total;
  long chunks;
  MapWriteFn write = nullptr; // receives the table text when set
  void *writeCtx = nullptr;
  unsigned char *outcome;
  float *shown;
  MapRowFn rowFn = nullptr; // receives each point's row when set
  void *rowCtx = nullptr;
  MapStopFn stopFn = nullptr;  // asked by the calling thread whether to stop
  std::atomic<int> stopped{0}; // 1 once stopFn said stop: the workers leave
  std::atomic<long> nextChunk{0};
  std::atomic<long> done{0};
  std::mutex lock;
  std::condition_variable turn; // a chunk was written, or the sweep ended
  long written = 0;             // chunks written so far, in order
  int failed = 0;               // writing the table failed
  int writeErrno = 0;           // why, as the writing thread's errno said
  int running = 0;              // threads still working
};

// Writes chunk c's rows once every earlier chunk is written.
void WriteInTurn(Sweep *w, long c, const std::string &rows) {
  std::unique_lock<std::mutex> guard(w->lock);
  w->turn.wait(guard, [w, c] { return w->written == c || w->failed != 0 || w->stopped != 0; });
  if (w->failed == 0 && w->write != nullptr && !rows.empty() &&
      w->write(rows.data(), rows.size(), w->writeCtx) == 0) {
    w->failed = 1;
    w->writeErrno = errno;
  }
  w->written = c + 1;
  guard.unlock();
  w->turn.notify_all();
}

// 1 when an axis of req sweeps a quantity of the exact check's model.
int SweepsModel(const MapRequest *req) {
  return (req->x.param >= kMapMu || req->y.param >= kMapMu) ? 1 : 0;
}

// Every quantity of point index in command units, indexed by MapParam.
void PointValues(const MapRequest *req, long index, double *v) {
  const double fixed[kMapParamCount] = {req->hand[0],  req->hand[1],  req->work[0],
                                        req->work[1],  req->work[2],  req->radius,
                                        req->model.mu, req->model.rm, req->model.cap};
  for (int p = 0; p < kMapParamCount; p++) v[p] = fixed[p];
  v[req->x.param] = MapAxisValue(&req->x, index % req->x.count);
  v[req->y.param] = MapAxisValue(&req->y, index / req->x.count);
}

void SweepThread(Sweep *w) {
  SetConsoleSink(&DiscardConsole, nullptr);
  GraspState start = *w->start; // its model changes by point when the map sweeps one
  const int sweepsModel = SweepsModel(w->req);
  GraspState s;
  std::string rows;
  rows.reserve(static_cast<std::size_t>(kMapChunk) * 256);
  for (;;) {
    const long c = w->nextChunk.fetch_add(1);
    if (c >= w->chunks || w->stopped != 0) break;
    {
      std::lock_guard<std::mutex> guard(w->lock);
      if (w->failed != 0) break;
    }
    const long first = c * kMapChunk;
    const long last = (first + kMapChunk < w->total) ? first + kMapChunk : w->total;
    rows.clear();
    for (long p = first; p < last; p++) {
      if (w->stopped.load(std::memory_order_relaxed) != 0) break;
      double al = 0.0, bet = 0.0, aSph = 0.0;
      Vec3 rwG;
      MapPointPose(w->req, p, &al, &bet, rwG, &aSph);
      if (sweepsModel != 0) MapPointModel(w->req, p, &start.exactModel);
      SolveGrasp(&s, &start, al, bet, rwG, aSph);
      if (w->write != nullptr) AppendMapCsvRow(w->req, p, &s, &rows);
      if (w->outcome != nullptr) w->outcome[p] = static_cast<unsigned char>(MapOutcomeOf(&s));
      if (w->shown != nullptr) w->shown[p] = MapShownValue(w->req, &s);
      if (w->rowFn != nullptr) {
        MapRow row;
        MapRowOf(w->req, p, &s, &row);
        w->rowFn(p, &row, w->rowCtx);
      }
    }
    WriteInTurn(w, c, rows);
    w->done.fetch_add(last - first);
  }
  std::lock_guard<std::mutex> guard(w->lock);
  w->running--;
  w->turn.notify_all();
}

// Runs the sweep *w of req (its outputs set by the caller) on `threads`
// threads, calling progress as RunMapSweep says. Returns 1, or 0 when
// writing the table failed (errno then says why, as the writing thread saw it).
int RunSweep(Sweep *w, const MapRequest *req, int threads, MapProgressFn progress, void *ctx) {
  GraspState start;
  InitModelState(&start);
  StartUp(&start);
  start.exactModel = req->model;
  w->req = req;
  w->start = &start;
  w->total = MapPointCount(req);
  w->chunks = (w->total + kMapChunk - 1) / kMapChunk;
  if (threads < 1) threads = 1;
  if (threads > w->chunks) threads = static_cast<int>(w->chunks);
  w->running = threads;
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(threads));
  for (int t = 0; t < threads; t++) pool.emplace_back(SweepThread, w);
  {
    std::unique_lock<std::mutex> guard(w->lock);
    const auto period =
        w->stopFn != nullptr ? std::chrono::milliseconds(kMapStopPeriodMs) : kProgressPeriod;
    while (!w->turn.wait_for(guard, period, [w] { return w->running == 0; })) {
      guard.unlock();
      if (w->stopFn != nullptr && w->stopped == 0 && w->stopFn(w->rowCtx) != 0) w->stopped = 1;
      if (progress != nullptr) progress(w->done.load(), w->total, ctx);
      guard.lock();
      if (w->stopped != 0) w->turn.notify_all(); // wakes the workers waiting for their turn
    }
  }
  for (std::thread &t : pool) t.join();
  if (progress != nullptr) progress(w->done.load(), w->total, ctx);
  if (w->failed == 0) return 1;
  errno = w->writeErrno; // errno is each thread's own: hand the writer's on
  return 0;
}

} // namespace

const char *MapParamName(int param) {
  return (param >= 0 && param < kMapParamCount) ? kParamNames[param] : "?";
}

const char *MapShowName(int show) {
  return (show >= 0 && show < kMapShowCount) ? kShowNames[show] : "?";
}

int MapShowFromName(const std::string &name) {
  for (int k = 0; k < kMapShowCount; k++)
    if (name == kShowNames[k]) return k;
  return -1;
}

int ParseMapAxis(const std::string &text, MapAxis *axis, std::string *error) {
  const std::size_t a = text.find(':');
  const std::size_t b = (a == std::string::npos) ? a : text.find(':', a + 1);
  const std::size_t c = (b == std::string::npos) ? b : text.find(':', b + 1);
  if (c == std::string::npos || text.find(':', c + 1) != std::string::npos)
    return Fail(error, "expected PARAM:FROM:TO:COUNT, got '" + EchoText(text) + "'");
  const std::string name = text.substr(0, a);
  axis->param = -1;
  for (int p = 0; p < kMapParamCount; p++)
    if (name == kParamNames[p]) axis->param = p;
  if (axis->param < 0)
    return Fail(error, "unknown PARAM '" + EchoText(name) +
                           "' (use alHand, betHand, x, y, z, aSph, mu, rm or cap)");
  double bounds[2];
  if (ParseNumberList(text.substr(a + 1, b - a - 1), 1, &bounds[0], error) == 0 ||
      ParseNumberList(text.substr(b + 1, c - b - 1), 1, &bounds[1], error) == 0)
    return 0;
  if (bounds[0] == bounds[1]) return Fail(error, name + ": FROM and TO must differ");
  axis->from = bounds[0];
  axis->to = bounds[1];
  const std::string count = text.substr(c + 1);
  long long n = 0;
  const std::from_chars_result r = std::from_chars(count.data(), count.data() + count.size(), n);
  if (count.empty() || r.ec != std::errc() || r.ptr != count.data() + count.size() || n < 2 ||
      n > kMapMaxPoints)
    return Fail(error, name + ": COUNT must be a whole number from 2 to " +
                           std::to_string(kMapMaxPoints) + ", got '" + EchoText(count) + "'");
  axis->count = static_cast<long>(n);
  // MapAxisValue scales the span by up to COUNT - 1 before dividing
  if (!std::isfinite((axis->to - axis->from) * static_cast<double>(axis->count - 1)))
    return Fail(error, name + ": FROM to TO spans too wide a range: the swept values would not "
                              "be finite numbers");
  if (std::fabs(axis->to - axis->from) <
      kMapMinAxisSpan * std::fmax(std::fabs(axis->from), std::fabs(axis->to)))
    return Fail(error, name + ": FROM and TO are too close to draw an axis between them (they "
                              "must differ by at least 1e-6 of their size)");
  // among the subnormal numbers the spacing of doubles is coarse: neighbouring
  // values may round to one number, and the table would repeat a point
  const double up = (axis->to > axis->from) ? 1.0 : -1.0;
  for (long i = 1; i < axis->count; i++) {
    const double before = MapAxisValue(axis, i - 1);
    if (!((MapAxisValue(axis, i) - before) * up > 0.0))
      return Fail(error, name + ": the swept values do not change at every step (" +
                             NumberListText(&before, 1) +
                             " repeats): lower COUNT or widen FROM to TO");
  }
  return 1;
}

int CheckMapRequest(const MapRequest *req, std::string *error, const char *dashes) {
  const std::string d = dashes;
  if (req->x.param == req->y.param)
    return Fail(error, d + "x and " + d + "y both sweep " + MapParamName(req->x.param));
  if (req->x.count * req->y.count > kMapMaxPoints)
    return Fail(error, std::to_string(req->x.count) + " x " + std::to_string(req->y.count) +
                           " points exceed the largest map of " + std::to_string(kMapMaxPoints));
  for (const MapAxis *axis : {&req->x, &req->y})
    if (axis->param == kMapASph && (axis->from < 0.0 || axis->to < 0.0))
      return Fail(error, "aSph: the work radius must not be negative");
  if (req->radius < 0.0) return Fail(error, d + "radius: the work radius must not be negative");
  // the model is linear in a swept value: usable at both ends, usable between
  for (const long index : {0L, MapPointCount(req) - 1}) {
    ExactModel m;
    MapPointModel(req, index, &m);
    const char *refused = ExactModelError(&m);
    if (refused == nullptr) continue;
    const std::string swept = (req->x.param >= kMapMu)   ? MapParamName(req->x.param)
                              : (req->y.param >= kMapMu) ? MapParamName(req->y.param)
                                                         : "the model";
    return Fail(error, swept + ": " + refused);
  }
  return 1;
}

double MapAxisValue(const MapAxis *axis, long i) {
  if (i >= axis->count - 1) return axis->to;
  return axis->from +
         (axis->to - axis->from) * static_cast<double>(i) / static_cast<double>(axis->count - 1);
}

long MapPointCount(const MapRequest *req) {
  return req->x.count * req->y.count;
}

int MapPointPose(const MapRequest *req, long index, double *al, double *bet, double *rwG,
                 double *aSph) {
  double v[kMapParamCount];
  PointValues(req, index, v);
  const int deg = req->degrees;
  *al = (deg != 0) ? HandDegreesToRad(v[kMapAlHand]) : v[kMapAlHand];
  *bet = (deg != 0) ? HandDegreesToRad(v[kMapBetHand]) : v[kMapBetHand];
  rwG[0] = v[kMapX];
  rwG[1] = v[kMapY];
  rwG[2] = v[kMapZ];
  *aSph = v[kMapASph];
  return 1;
}

int MapPointModel(const MapRequest *req, long index, ExactModel *model) {
  double v[kMapParamCount];
  PointValues(req, index, v);
  *model = req->model;
  model->mu = v[kMapMu];
  model->rm = v[kMapRm];
  model->cap = v[kMapCap];
  return 1;
}

int MapModelDiffers(const MapRequest *req) {
  const ExactModel &m = req->model;
  const ExactModel &d = kDefaultExactModel;
  int same =
      SweepsModel(req) == 0 && m.mu == d.mu && m.rm == d.rm && m.cap == d.cap && m.law == d.law;
  for (int i = 0; i < 3; i++) same = same && m.FEX[i] == d.FEX[i] && m.MEX[i] == d.MEX[i];
  return same != 0 ? 0 : 1;
}

float MapShownValue(const MapRequest *req, const GraspState *s) {
  const ExactCheck &e = s->exact;
  const int measured =
      s->staticsCase != kCaseNone &&
      (e.verdict == kExactHolds || e.verdict == kExactCannotHold || e.verdict == kExactUndecided);
  double v = NAN;
  if (req->show == kShowMargin && e.verdict == kExactHolds && s->staticsCase != kCaseNone)
    v = e.margin;
  else if (req->show == kShowCapacity && measured != 0)
    v = e.capacity;
  else if (req->show == kShowMuNeeded && measured != 0)
    v = e.muNeeded;
  else if (req->show == kShowEpsilon && measured != 0)
    v = e.epsilon.inf.value;
  return static_cast<float>(v);
}

int MapOutcomeOf(const GraspState *s) {
  if (s->staticsCase == kCaseNone) return kOutcomeNoContact;
  const int stable = s->StaticsStability;
  switch (s->exact.verdict) {
  case kExactHolds:
    return (stable != 0) ? kOutcomeBothHold : kOutcomeExactOnly;
  case kExactCannotHold:
    return (stable != 0) ? kOutcomeSolversOnly : kOutcomeNeither;
  case kExactPalmInside:
    return kOutcomePalmInside;
  default:
    return (stable != 0) ? kOutcomeStableOpen : kOutcomeUnstableOpen;
  }
}

int RunMapSweep(const MapRequest *req, int threads, MapWriteFn write, void *writeCtx,
                unsigned char *outcome, float *shown, MapProgressFn progress, void *ctx) {
  Sweep w;
  w.write = write;
  w.writeCtx = writeCtx;
  w.outcome = outcome;
  w.shown = shown;
  return RunSweep(&w, req, threads, progress, ctx);
}

int RunMapSweepRows(const MapRequest *req, int threads, MapRowFn rowFn, MapStopFn stopFn,
                    void *ctx) {
  Sweep w;
  w.outcome = nullptr;
  w.shown = nullptr;
  w.rowFn = rowFn;
  w.rowCtx = ctx;
  w.stopFn = stopFn;
  RunSweep(&w, req, threads, nullptr, nullptr);
  return w.stopped != 0 ? 0 : 1;
}

} // namespace gs
