#include "python/py_quality.h"

#include <cmath>
#include <string>
#include <vector>

#include <pybind11/numpy.h>

#include "graspstat/quality.h"
#include "graspstat/report.h"

namespace gs {

namespace py = pybind11;

namespace {

using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

[[noreturn]] void Refuse(const std::string &what) {
  throw py::value_error(what);
}

// obj as a float64 array of ndim dimensions whose last ones are tail.
Array ReadArray(py::handle obj, const char *name, std::vector<py::ssize_t> tail, long *n) {
  Array a;
  try {
    a = Array::ensure(obj);
  } catch (const py::error_already_set &) {
    a = Array();
  }
  if (!a) Refuse(std::string(name) + ": expected an array of numbers");
  const py::ssize_t nd = a.ndim(), want = static_cast<py::ssize_t>(tail.size());
  bool ok = nd == want || nd == want + 1;
  for (py::ssize_t i = 0; ok && i < want; i++) ok = a.shape(nd - want + i) == tail[i];
  if (!ok) {
    std::string shape = "(";
    for (py::ssize_t i = 0; i < nd; i++) shape += (i ? ", " : "") + std::to_string(a.shape(i));
    Refuse(std::string(name) + ": expected shape (N, " + (want == 2 ? "2, 3" : "3") + ") or (" +
           (want == 2 ? "2, 3" : "3") + "), got " + shape + (nd == 1 ? ",)" : ")"));
  }
  *n = nd == want ? -1 : static_cast<long>(a.shape(0));
  return a;
}

// Returns 1 while no Python signal handler has raised (Ctrl-C), holding
// the GIL for that moment.
int CheckSignals(void *ctx) {
  py::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() == 0) return 0;
  *static_cast<int *>(ctx) = 1;
  return 1;
}

// A float64 column of n values (shape () for one grasp) filled by value.
template <typename F> py::object Column(long n, bool one, F value) {
  py::array_t<double> a(n);
  double *d = a.mutable_data();
  for (long i = 0; i < n; i++) {
    const double v = value(i);
    d[i] = std::isfinite(v) ? v : NAN;
  }
  return one ? a.attr("reshape")(py::tuple()) : py::object(a);
}

// The weakest wrenches of one form, shape (n, 6) or (6,).
py::object Wrenches(long n, bool one, const std::vector<GraspQuality> &q, int inf) {
  py::array_t<double> a({static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(6)});
  double *d = a.mutable_data();
  for (long i = 0; i < n; i++) {
    const EpsilonForm &f = inf ? q[i].check.epsilon.inf : q[i].check.epsilon.one;
    for (int j = 0; j < 6; j++) d[6 * i + j] = std::isfinite(f.weakest[j]) ? f.weakest[j] : NAN;
  }
  return one ? a.attr("reshape")(6) : py::object(a);
}

} // namespace

py::dict QualityColumns(py::handle points, py::handle normals, py::handle reference,
                        const ExactModel *m, double torqueScale, int proofBoxes, int forms,
                        const RobustOptions *o, int threads) {
  long np = 0, nn = 0, nr = 0;
  const Array P = ReadArray(points, "points", {2, 3}, &np);
  const Array N = ReadArray(normals, "normals", {2, 3}, &nn);
  if (np != nn) Refuse("points, normals: expected the same shape");
  const bool one = np < 0;
  const long n = one ? 1 : np;
  Array C;
  if (!reference.is_none()) {
    C = ReadArray(reference, "reference", {3}, &nr);
    if (nr >= 0 && (one || nr != n))
      Refuse("reference: expected shape (3,) or one point per grasp");
  }
  std::vector<ContactPair> g(static_cast<std::size_t>(n));
  const double *p = P.data(), *v = N.data();
  for (long i = 0; i < n; i++) {
    ContactPair &x = g[static_cast<std::size_t>(i)];
    for (int k = 1; k <= 2; k++)
      for (int j = 0; j < 3; j++) {
        x.p[k][j] = p[6 * i + 3 * (k - 1) + j];
        x.n[k][j] = v[6 * i + 3 * (k - 1) + j];
      }
    if (reference.is_none()) {
      MidpointReference(&x);
    } else {
      const double *c = C.data() + (nr >= 0 ? 3 * i : 0);
      for (int j = 0; j < 3; j++) x.c[j] = c[j];
    }
    const char *bad = ContactPairError(&x);
    if (bad != nullptr) Refuse("grasp " + std::to_string(i) + ": " + bad);
  }
  std::vector<GraspQuality> q(static_cast<std::size_t>(n));
  int interrupted = 0;
  {
    py::gil_scoped_release free;
    PairQualityMany(n, g.data(), m, torqueScale, proofBoxes, forms, o, threads, &CheckSignals,
                    &interrupted, q.data());
  }
  if (interrupted != 0) throw py::error_already_set();
  py::list verdictNames;
  for (int k = kExactNone; k <= kExactPalmInside; k++) verdictNames.append(ExactVerdictText(k));
  py::array_t<int> codes(n);
  for (long i = 0; i < n; i++) codes.mutable_data()[i] = q[i].check.verdict;
  py::object verdicts = py::module_::import("numpy").attr("array")(verdictNames)[codes];
  py::dict out;
  out["verdict"] = one ? verdicts.attr("reshape")(py::tuple()) : verdicts;
  auto holds = [&](long i) { return q[i].check.verdict == kExactHolds; };
  out["margin"] = Column(n, one, [&](long i) { return holds(i) ? q[i].check.margin : NAN; });
  out["capacity"] = Column(n, one, [&](long i) { return q[i].check.capacity; });
  out["muNeeded"] = Column(n, one, [&](long i) { return q[i].check.muNeeded; });
  out["forceClosure"] = Column(n, one, [&](long i) {
    const int fc = q[i].check.forceClosure;
    return fc == 0 || fc == 1 ? static_cast<double>(fc) : NAN;
  });
  out["epsilonInf"] = Column(n, one, [&](long i) { return q[i].check.epsilon.inf.value; });
  out["epsilonInfLower"] = Column(n, one, [&](long i) { return q[i].check.epsilon.inf.lower; });
  out["weakestInf"] = Wrenches(n, one, q, 1);
  out["epsilonOne"] = Column(n, one, [&](long i) { return q[i].check.epsilon.one.value; });
  out["epsilonOneLower"] = Column(n, one, [&](long i) { return q[i].check.epsilon.one.lower; });
  out["weakestOne"] = Wrenches(n, one, q, 0);
  out["torqueScale"] = Column(n, one, [&](long i) { return q[i].check.epsilon.torqueScale; });
  if (o->samples > 0) {
    out["pHolds"] = Column(n, one, [&](long i) { return q[i].robust.pHolds; });
    out["pForceClosure"] = Column(n, one, [&](long i) { return q[i].robust.pForceClosure; });
    out["capacityP05"] = Column(n, one, [&](long i) { return q[i].robust.capacityP05; });
    out["epsilonInfMean"] = Column(n, one, [&](long i) { return q[i].robust.epsilonInfMean; });
    out["epsilonInfP05"] = Column(n, one, [&](long i) { return q[i].robust.epsilonInfP05; });
  }
  return out;
}

} // namespace gs
