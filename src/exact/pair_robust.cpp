#include "exact/pair_robust.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "exact/epsilon.h"
#include "exact/pair_check.h"
#include "geom/vecmat.h"

namespace gs {

namespace {

constexpr double kLowShare = 0.05; // share of the samples at or below the low percentile

// v turned by angle about the unit axis k (Rodrigues), into out (distinct).
void Turn(const double *v, const double *k, double angle, double *out) {
  Vec3 kv;
  CrossVec3(k, v, kv);
  const double c = std::cos(angle), s = std::sin(angle), kd = DotVec3(k, v) * (1.0 - c);
  for (int i = 0; i < 3; i++) out[i] = v[i] * c + kv[i] * s + k[i] * kd;
}

// A unit axis across the unit vector n from a normal draw, into axis;
// returns 0 where the draw lies along n (axis left unchanged).
int AxisAcross(std::mt19937_64 *rng, const double *n, double *axis) {
  std::normal_distribution<double> N;
  Vec3 t = {N(*rng), N(*rng), N(*rng)};
  const double along = DotVec3(t, n);
  for (int i = 0; i < 3; i++) t[i] -= along * n[i];
  const double len = NormVec3(t);
  if (!(len > 0.0)) return 0;
  ScaleVec3(1.0 / len, t, axis);
  return 1;
}

// One perturbed copy of *g into *q: points moved (along the sphere of
// radius R about g->c when R > 0, the normal turned with the surface),
// then each normal turned about an axis across it.
void Perturb(std::mt19937_64 *rng, const ContactPair *g, double R, const RobustOptions *o,
             ContactPair *q) {
  std::normal_distribution<double> N;
  *q = *g;
  for (int k = 1; k <= 2; k++) {
    if (R > 0.0) {
      Vec3 u, axis, turned;
      SubVec3(g->p[k], g->c, u);
      UnitVec3(u, u);
      const double angle = o->sigmaPoint * N(*rng) / R;
      if (AxisAcross(rng, u, axis) != 0 && angle != 0.0) {
        // the point and its normal turned together about the centre
        Turn(u, axis, angle, turned);
        for (int i = 0; i < 3; i++) q->p[k][i] = g->c[i] + R * turned[i];
        Turn(g->n[k], axis, angle, turned);
        CopyVec3(turned, q->n[k]);
      }
    } else {
      for (int i = 0; i < 3; i++) q->p[k][i] += o->sigmaPoint * N(*rng);
    }
    Vec3 axis, turned;
    const double angle = o->sigmaNormal * N(*rng);
    if (AxisAcross(rng, q->n[k], axis) != 0 && angle != 0.0) {
      Turn(q->n[k], axis, angle, turned);
      UnitVec3(turned, q->n[k]);
    }
  }
}

// The value at the nearest rank of share among the finite values (NaN when
// there is none).
double LowPercentile(std::vector<double> v) {
  v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  const double rank = std::ceil(kLowShare * static_cast<double>(v.size()));
  return v[static_cast<std::size_t>(std::max(1.0, rank)) - 1];
}

} // namespace

int PairRobust(const ContactPair *g, const ExactModel *m, double sphereRadius, double torqueScale,
               int proofBoxes, int forms, const RobustOptions *o, RobustMeasures *out) {
  out->pHolds = out->pForceClosure = out->capacityP05 = NAN;
  out->epsilonInfMean = out->epsilonInfP05 = NAN;
  if (o->samples <= 0) return 0;
  std::mt19937_64 rng(o->seed);
  std::normal_distribution<double> N;
  std::vector<double> capacity, epsilon;
  int holds = 0, closed = 0;
  double sum = 0.0;
  int summed = 0;
  for (int i = 0; i < o->samples; i++) {
    ContactPair q;
    Perturb(&rng, g, sphereRadius, o, &q);
    ExactModel mq = *m;
    mq.mu = m->mu * std::max(0.0, 1.0 + o->sigmaMu * N(rng));
    ExactCheck e;
    PairExactCheck(&q, &mq, &e);
    holds += e.verdict == kExactHolds;
    closed += e.forceClosure == 1;
    capacity.push_back(e.capacity);
    GraspEpsilon eps;
    PairEpsilonForms(&q, &mq, torqueScale, proofBoxes, forms & kEpsilonFormInf, &eps);
    epsilon.push_back(eps.inf.value);
    if (!std::isnan(eps.inf.value)) {
      sum += eps.inf.value;
      summed++;
    }
  }
  out->pHolds = static_cast<double>(holds) / o->samples;
  out->pForceClosure = static_cast<double>(closed) / o->samples;
  out->capacityP05 = LowPercentile(capacity);
  out->epsilonInfMean = summed > 0 ? sum / summed : NAN;
  out->epsilonInfP05 = LowPercentile(epsilon);
  return o->samples;
}

} // namespace gs
