#include "graspstat/quality.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "exact/epsilon.h"
#include "exact/pair_check.h"
#include "exact/pair_robust.h"

namespace gs {

namespace {

constexpr long kQualityChunk = 64;          // most grasps a worker takes at once
constexpr long kQualityChunksPerThread = 8; // fewer grasps per take where that leaves each
                                            // worker fewer takes than this
constexpr auto kQualityStopPeriod = std::chrono::milliseconds(50); // how often stop is asked

// Shared work of PairQualityMany.
struct QualityWork {
  long n;
  long chunk; // grasps a worker takes at once
  const ContactPair *g;
  const ExactModel *m;
  double torqueScale;
  int proofBoxes;
  int forms;
  const RobustOptions *o;
  GraspQuality *out;
  std::atomic<long> next{0};
  std::atomic<int> stopped{0};
  std::mutex lock;
  std::condition_variable ended; // a worker left
  int running = 0;               // workers still running (under lock)
};

void QualityThread(QualityWork *w) {
  for (;;) {
    const long first = w->next.fetch_add(w->chunk);
    if (first >= w->n || w->stopped.load() != 0) break;
    const long last = first + w->chunk < w->n ? first + w->chunk : w->n;
    for (long i = first; i < last && w->stopped.load(std::memory_order_relaxed) == 0; i++)
      PairQuality(&w->g[i], w->m, w->torqueScale, w->proofBoxes, w->forms, 0.0, w->o, &w->out[i]);
  }
  std::lock_guard<std::mutex> guard(w->lock);
  w->running--;
  w->ended.notify_all();
}

} // namespace

const char *ContactPairError(const ContactPair *g) {
  if (!std::isfinite(g->c[0]) || !std::isfinite(g->c[1]) || !std::isfinite(g->c[2]))
    return "the reference point must be finite";
  for (int k = 1; k <= 2; k++) {
    for (int i = 0; i < 3; i++)
      if (!std::isfinite(g->p[k][i]) || !std::isfinite(g->n[k][i]))
        return "contact points and normals must be finite";
    const double len =
        std::sqrt(g->n[k][0] * g->n[k][0] + g->n[k][1] * g->n[k][1] + g->n[k][2] * g->n[k][2]);
    if (!(std::fabs(len - 1.0) <= kPairUnitTol)) return "normals must be unit vectors";
  }
  return nullptr;
}

int EpsilonFormsFromName(const char *name) {
  const std::string s = name;
  if (s == "both") return kEpsilonFormBoth;
  if (s == "inf") return kEpsilonFormInf;
  if (s == "one") return kEpsilonFormOne;
  if (s == "none") return 0;
  return -1;
}

int MidpointReference(ContactPair *g) {
  for (int i = 0; i < 3; i++) g->c[i] = 0.5 * (g->p[1][i] + g->p[2][i]);
  return 1;
}

int PairQuality(const ContactPair *g, const ExactModel *m, double torqueScale, int proofBoxes,
                int forms, double sphereRadius, const RobustOptions *o, GraspQuality *out) {
  PairExactCheck(g, m, &out->check);
  ExactCheck *e = &out->check;
  PairEpsilonForms(g, m, torqueScale, proofBoxes, forms, &e->epsilon); // NaN where refused
  if (e->forceClosure == 0) {
    if (forms & kEpsilonFormInf) e->epsilon.inf.value = e->epsilon.inf.lower = 0.0;
    if (forms & kEpsilonFormOne) e->epsilon.one.value = e->epsilon.one.lower = 0.0;
  }
  const RobustOptions none{};
  PairRobust(g, m, sphereRadius, torqueScale, proofBoxes, forms, o != nullptr ? o : &none,
             &out->robust);
  return e->verdict;
}

int PairQualityMany(long n, const ContactPair *g, const ExactModel *m, double torqueScale,
                    int proofBoxes, int forms, const RobustOptions *o, int threads,
                    QualityStopFn stop, void *ctx, GraspQuality *out) {
  QualityWork w;
  w.n = n;
  w.g = g;
  w.m = m;
  w.torqueScale = torqueScale;
  w.proofBoxes = proofBoxes;
  w.forms = forms;
  w.o = o;
  w.out = out;
  if (threads < 1) threads = 1;
  if (threads > n) threads = static_cast<int>(n < 1 ? 1 : n);
  // a few grasps may each take long (a full proof): small takes keep every
  // worker busy to the end
  w.chunk = std::max(1L, std::min(kQualityChunk, n / (kQualityChunksPerThread * threads)));
  w.running = threads;
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; t++) pool.emplace_back(QualityThread, &w);
  {
    std::unique_lock<std::mutex> guard(w.lock);
    while (!w.ended.wait_for(guard, kQualityStopPeriod, [&w] { return w.running == 0; })) {
      if (stop == nullptr || w.stopped.load() != 0) continue;
      guard.unlock();
      if (stop(ctx) != 0) w.stopped = 1;
      guard.lock();
    }
  }
  for (std::thread &t : pool) t.join();
  return w.stopped.load() != 0 ? 0 : 1;
}

} // namespace gs
