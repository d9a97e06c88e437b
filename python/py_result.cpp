#include "python/py_result.h"

#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>

#include <pybind11/numpy.h>

#include "exact/exact_check.h"
#include "tools/state_json.h"

namespace gs {

namespace py = pybind11;

namespace {

// The Result class object, set once by DefineResult.
PyObject *gResultType = nullptr;

// An empty attribute holder of the Result class.
struct Result {};

// A scalar: a float, or None when it is not finite.
py::object Number(double v) {
  return std::isfinite(v) ? py::object(py::float_(v)) : py::object(py::none());
}

double ArrayValue(double v) {
  return std::isfinite(v) ? v : NAN;
}

// A new float64 array of the given shape, straight from numpy's own
// constructor (the one pybind11's array_t calls, without its shape vectors:
// a Result makes some twenty of them); *data receives its buffer.
py::object NewArray(int nd, const Py_intptr_t *dims, double **data) {
  const auto &api = py::detail::npy_api::get();
  PyObject *a = api.PyArray_NewFromDescr_(
      api.PyArray_Type_, api.PyArray_DescrFromType_(py::detail::npy_api::NPY_DOUBLE_), nd, dims,
      nullptr, nullptr, 0, nullptr);
  if (a == nullptr) throw py::error_already_set();
  *data = reinterpret_cast<double *>(py::detail::array_proxy(a)->data);
  return py::reinterpret_steal<py::object>(a);
}

// A vector of 3 as a (3,) array.
py::object Vector(const double *v) {
  const Py_intptr_t dims[1] = {3};
  double *d = nullptr;
  py::object a = NewArray(1, dims, &d);
  for (int i = 0; i < 3; i++) d[i] = ArrayValue(v[i]);
  return a;
}

// [finger 1, finger 2] of a per-finger vector array, as a (2, 3) array.
py::object PerFinger(const Vec3 *v) {
  const Py_intptr_t dims[2] = {2, 3};
  double *d = nullptr;
  py::object a = NewArray(2, dims, &d);
  for (int k = 0; k < 2; k++)
    for (int i = 0; i < 3; i++) d[3 * k + i] = ArrayValue(v[k + 1][i]);
  return a;
}

// [finger 1, finger 2] of a per-finger number array, as a (2,) array.
py::object PerFinger(const double *v) {
  const Py_intptr_t dims[1] = {2};
  double *d = nullptr;
  py::object a = NewArray(1, dims, &d);
  d[0] = ArrayValue(v[1]);
  d[1] = ArrayValue(v[2]);
  return a;
}

// Text as the JSON writes it: bytes that are not UTF-8 replaced.
py::object Utf8(const char *t, std::size_t n) {
  PyObject *s = PyUnicode_DecodeUTF8(t, static_cast<Py_ssize_t>(n), "replace");
  if (s == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(s);
}

py::object Text(const char *t) {
  return t != nullptr ? py::object(py::str(t)) : py::object(py::none());
}

// The interned Python string of an attribute name, made on first use (the
// GIL serialises the callers).
PyObject *Key(const char *name) {
  static std::unordered_map<const char *, PyObject *> keys;
  auto it = keys.find(name);
  if (it != keys.end()) return it->second;
  PyObject *key = PyUnicode_InternFromString(name);
  if (key == nullptr) throw py::error_already_set();
  keys.emplace(name, key);
  return key;
}

// Adds the attributes of a Result one by one.
class Fields {
public:
  Fields() : obj_(py::reinterpret_steal<py::object>(PyObject_CallNoArgs(gResultType))) {
    if (!obj_) throw py::error_already_set();
    dict_ = obj_.attr("__dict__");
  }
  // name is a string literal: its interned key is made once and kept.
  void Set(const char *name, py::object value) {
    if (PyDict_SetItem(dict_.ptr(), Key(name), value.ptr()) != 0) throw py::error_already_set();
  }
  py::object Done() { return std::move(obj_); }

private:
  py::object obj_;
  py::dict dict_;
};

std::string ResultRepr(py::handle self) {
  std::string text = "Result(";
  const char *sep = "";
  for (auto item : py::reinterpret_borrow<py::dict>(self.attr("__dict__"))) {
    text += sep;
    text +=
        py::str(item.first).cast<std::string>() + "=" + py::repr(item.second).cast<std::string>();
    sep = ", ";
  }
  return text + ")";
}

} // namespace

int DefineResult(py::module_ &m) {
  py::class_<Result> cls(m, "Result", py::dynamic_attr(), R"doc(
The result of a calculation: one attribute per field of the batch tool's JSON
object, under the same name and in the same order (``vars(result)`` gives
them as a dict).

Numbers are int or float; a value the JSON writes as null (no statics result,
a value that does not apply, a number that is not finite) is None. Vectors
are float64 numpy arrays of shape (3,), per-finger values arrays of shape
(2,) and per-finger vectors arrays of shape (2, 3), finger 1 first; an
element the JSON writes as null is NaN there. The nested objects
``residual`` and ``exact`` are Results as well. A Result can be pickled and
copied (copy.copy, copy.deepcopy).)doc");
  cls.def(py::init<>(), "Result()\n\nAn empty Result.");
  cls.def(
      "__repr__", [](py::handle self) { return ResultRepr(self); }, "__repr__(self) -> str");
  // pickle and copy keep the attributes (a copy of them: a shallow copy's
  // own attributes can be set without touching the original's)
  cls.def(py::pickle(
      [](py::handle self) {
        PyObject *state = PyDict_Copy(self.attr("__dict__").ptr());
        if (state == nullptr) throw py::error_already_set();
        return py::reinterpret_steal<py::dict>(state);
      },
      [](const py::dict &state) { return std::make_pair(Result{}, state); }));
  gResultType = cls.ptr();
  return 1;
}

py::object ExactResult(const ExactCheck &e, const ExactModel &m, int torques) {
  const bool holds = e.verdict == kExactHolds;
  Fields f;
  f.Set("verdict", py::str(ExactVerdictText(e.verdict)));
  f.Set("margin", holds ? Number(e.margin) : py::none());
  f.Set("FCZ", holds ? PerFinger(e.FCZ) : py::none());
  f.Set("T", holds ? PerFinger(e.T) : py::none());
  f.Set("MCZ", holds ? PerFinger(e.MCZ) : py::none());
  f.Set("jointTorque", (holds && torques != 0) ? PerFinger(e.jointTorque) : py::none());
  if (e.verdict == kExactCannotHold) {
    py::list blocking;
    for (int i = 0; i < kExactLimitKinds; i++) {
      int bit = 0;
      const char *name = ExactLimitName(i, &bit);
      if ((e.blocking & bit) != 0) blocking.append(py::str(name));
    }
    f.Set("blocking", std::move(blocking));
  } else {
    f.Set("blocking", py::none());
  }
  f.Set("reason", Text(e.reason));
  // the strength measures: None where undecided, muNeeded also where no
  // friction coefficient suffices; then the model the check used
  f.Set("capacity", std::isfinite(e.capacity) ? Number(e.capacity) : py::none());
  f.Set("muNeeded", std::isfinite(e.muNeeded) ? Number(e.muNeeded) : py::none());
  if (e.forceClosure == 0 || e.forceClosure == 1)
    f.Set("forceClosure", py::bool_(e.forceClosure == 1));
  else
    f.Set("forceClosure", py::none());
  Fields model;
  model.Set("mu", Number(m.mu));
  model.Set("rm", Number(m.rm));
  model.Set("cap", Number(m.cap));
  model.Set("FEX", Vector(m.FEX));
  model.Set("MEX", Vector(m.MEX));
  model.Set("contact", py::str(ContactLawName(m.law)));
  f.Set("model", model.Done());
  return f.Done();
}

py::object RunResult(const BatchRun *run, int withContacts) {
  const GraspState *s = &run->state;
  Fields f;
  f.Set("alHand", Number(s->alHand));
  f.Set("betHand", Number(s->betHand));
  f.Set("handPoseText", Utf8(s->handPoseText, static_cast<std::size_t>(s->handPoseTextLen)));
  f.Set("aSph", Number(s->aSph));
  f.Set("rwG", Vector(s->rwG));
  f.Set("sgnCAL", py::str(&s->sgnCAL, 1));
  f.Set("nFin", py::int_(s->nFin));
  f.Set("cntContact", py::int_(s->cntContact));
  f.Set("sgnGraspExec", py::int_(s->sgnGraspExec));
  f.Set("sgnGraspEnd", py::int_(s->sgnGraspEnd));
  f.Set("sgnStaticsEnd", py::int_(s->sgnStaticsEnd));
  f.Set("StaticsStability", py::int_(s->StaticsStability));
  f.Set("viewRot", Vector(s->viewRot));
  f.Set("viewTrans", Vector(s->viewTrans));
  const double qqf[3] = {0.0, s->qqf[1][1], s->qqf[2][1]};
  f.Set("qqf", PerFinger(qqf));
  if (withContacts != 0) {
    // the fingers computed since the last reset are 1 .. nFin
    double codes[3] = {0.0, NAN, NAN};
    for (int n = 1; n <= 2; n++)
      if (n <= s->nFin) codes[n] = s->contactCode[n];
    f.Set("contactResult", PerFinger(codes));
  }
  const struct {
    const char *name;
    const Vec3 *v;
  } vectors[] = {{"RC", s->RC}, {"NF", s->NF}, {"NW", s->NW}, {"nc", s->nc},
                 {"tc", s->tc}, {"FC", s->FC}, {"TC", s->TC}, {"MC", s->MC}};
  for (const auto &v : vectors) f.Set(v.name, PerFinger(v.v));
  f.Set("FCZ", PerFinger(s->FCZ));
  f.Set("TCF", PerFinger(s->TCF));
  f.Set("MCZ", PerFinger(s->MCZ));
  f.Set("staticsCase", Text(StaticsCaseText(s->staticsCase)));
  f.Set("staticsSubCase", Text(StaticsSubCaseText(s->staticsSubCase)));
  f.Set("normCandidate",
        s->normCandidate > 0 ? py::object(py::int_(s->normCandidate)) : py::none());
  double force = 0.0;
  double moment = 0.0;
  if (BalanceResidual(s, &force, &moment) != 0) {
    Fields r;
    r.Set("force", Number(force));
    r.Set("moment", Number(moment));
    f.Set("residual", r.Done());
  } else {
    f.Set("residual", py::none());
  }
  const bool solved = s->sgnStaticsEnd == 1 && s->staticsCase != kCaseNone;
  const bool exact =
      solved && s->exact.verdict >= kExactHolds && s->exact.verdict <= kExactPalmInside;
  f.Set("exact", exact ? ExactResult(s->exact, s->exactModel, 1) : py::none());
  f.Set("limitsKept", solved ? py::object(py::bool_(StaticsLimitsKept(s) != 0)) : py::none());
  py::list messages;
  for (const std::string &line : run->messages) messages.append(Utf8(line.data(), line.size()));
  f.Set("messages", std::move(messages));
  f.Set("exited", py::bool_(run->exited != 0));
  return f.Done();
}

} // namespace gs
