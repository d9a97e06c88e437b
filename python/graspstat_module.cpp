// The graspstat Python module: the grasp calculations of the batch tool
// called in process, with numpy arrays in and out.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "graspstat/console.h"
#include "graspstat/constants.h"
#include "graspstat/exact.h"
#include "graspstat/grasp.h"
#include "graspstat/keys.h"
#include "graspstat/map.h"
#include "graspstat/numbers.h"
#include "graspstat/quality.h"
#include "python/py_quality.h"
#include "python/py_result.h"
#include "python/py_sweep.h"

namespace py = pybind11;

namespace {

constexpr int kMaxSweepThreads = 256;            // most threads a sweep may ask for
constexpr long long kMaxRobustSamples = 1000000; // most perturbed grasps per grasp
constexpr long long kMaxSeed = 9007199254740991; // largest seed (2^53 - 1)

[[noreturn]] void BadValue(const std::string &what) {
  throw py::value_error(what);
}

[[noreturn]] void BadType(const std::string &what) {
  throw py::type_error(what);
}

// The batch tool's words for a number it refuses ("'nan' is not a finite
// number"), read from the value's shortest text.
[[noreturn]] void NotFinite(const char *name, double v) {
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  double back = 0.0;
  std::string error;
  gs::ParseNumberList(std::string(buf, r.ptr), 1, &back, &error);
  BadValue(std::string(name) + ": " + error);
}

std::string TypeName(py::handle obj) {
  return std::string(py::str(py::type::handle_of(obj).attr("__name__")));
}

// True for Python's and numpy's truth values, which Python would take as
// the numbers 0 and 1: a flag handed over for a length or an angle is a
// mistake, not a value.
bool IsBool(py::handle obj) {
  if (PyBool_Check(obj.ptr())) return true;
  static PyObject *npBool = py::object(py::module_::import("numpy").attr("bool_")).release().ptr();
  return PyObject_TypeCheck(obj.ptr(), reinterpret_cast<PyTypeObject *>(npBool)) != 0;
}

// A float from a Python number (int, float, numpy scalar ...), not a bool;
// an int beyond the floats is refused as a value.
double ReadFloat(py::handle obj, const char *name) {
  if (IsBool(obj)) BadType(std::string(name) + ": expected a number, got bool");
  const double v = PyFloat_AsDouble(obj.ptr());
  if (v == -1.0 && PyErr_Occurred() != nullptr) {
    const bool tooLarge = PyErr_ExceptionMatches(PyExc_OverflowError) != 0;
    PyErr_Clear();
    if (tooLarge) BadValue(std::string(name) + ": the int is too large to be a finite number");
    BadType(std::string(name) + ": expected a number, got " + TypeName(obj));
  }
  return v;
}

// A finite float from a Python number.
double ReadNumber(py::handle obj, const char *name) {
  const double v = ReadFloat(obj, name);
  if (!std::isfinite(v)) NotFinite(name, v);
  return v;
}

// count finite numbers from a sequence (tuple, list, numpy array ...).
void ReadNumbers(py::handle obj, int count, const char *name, double *out) {
  if (PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr()) || !PySequence_Check(obj.ptr()))
    BadType(std::string(name) + ": expected a sequence of " + std::to_string(count) + " numbers");
  py::sequence seq = py::reinterpret_borrow<py::sequence>(obj);
  const std::size_t n = seq.size();
  if (n != static_cast<std::size_t>(count))
    BadValue(std::string(name) + ": expected " + std::to_string(count) + " numbers, got " +
             std::to_string(n));
  for (int i = 0; i < count; i++) out[i] = ReadNumber(seq[static_cast<std::size_t>(i)], name);
}

// Two per-finger vectors (shape (2, 3)) into entries 1 and 2 of v.
void ReadPerFinger(py::handle obj, const char *name, gs::Vec3 *v) {
  if (PyUnicode_Check(obj.ptr()) || !PySequence_Check(obj.ptr()))
    BadType(std::string(name) + ": expected 2 x 3 numbers, one vector per finger");
  py::sequence seq = py::reinterpret_borrow<py::sequence>(obj);
  if (seq.size() != 2)
    BadValue(std::string(name) + ": expected 2 x 3 numbers, one vector per finger, got " +
             std::to_string(seq.size()) + " vectors");
  for (int k = 1; k <= 2; k++) ReadNumbers(seq[static_cast<std::size_t>(k - 1)], 3, name, v[k]);
}

double ReadRadius(py::handle obj, const char *name) {
  const double r = ReadNumber(obj, name);
  if (r < 0.0) BadValue(std::string(name) + ": the work radius must not be negative");
  return r;
}

// The model a call runs under (the default for None), as the exact check's record.
gs::ExactModel UseModel(py::handle model) {
  if (model.is_none()) return gs::kDefaultExactModel;
  if (!py::isinstance<gs::ExactModel>(model)) BadType("model: expected a graspstat.Model or None");
  return model.cast<gs::ExactModel>();
}

// Hand angle in radians of a value given in the call's units.
double HandAngle(double v, bool deg) {
  return deg ? gs::HandDegreesToRad(v) : v;
}

// One swept quantity (PARAM, FROM, TO, COUNT), read as the map reads its
// PARAM:FROM:TO:COUNT text, so that its refusals are the map's.
gs::MapAxis ReadAxis(py::handle obj, const char *name) {
  if (!py::isinstance<py::tuple>(obj) && !py::isinstance<py::list>(obj))
    BadType(std::string(name) + ": expected (PARAM, FROM, TO, COUNT)");
  py::sequence seq = py::reinterpret_borrow<py::sequence>(obj);
  if (seq.size() != 4)
    BadValue(std::string(name) + ": expected (PARAM, FROM, TO, COUNT), got " +
             std::to_string(seq.size()) + " items");
  if (!py::isinstance<py::str>(seq[0]))
    BadType(std::string(name) +
            ": PARAM must be a str (alHand, betHand, x, y, z, aSph, mu, rm or cap)");
  if (!PyIndex_Check(seq[3].ptr()) || IsBool(seq[3]))
    BadType(std::string(name) + ": COUNT must be an int");
  std::string text = seq[0].cast<std::string>();
  for (int i = 1; i <= 2; i++) {
    const py::object bound = seq[static_cast<std::size_t>(i)];
    if (IsBool(bound) || PyNumber_Check(bound.ptr()) == 0)
      BadType(std::string(name) + ": FROM and TO must be numbers");
    const double v = ReadFloat(bound, name);
    char buf[32];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    text += ':';
    text.append(buf, r.ptr);
  }
  text += ':' + std::string(py::str(seq[3]));
  gs::MapAxis axis{};
  std::string error;
  if (gs::ParseMapAxis(text, &axis, &error) == 0) BadValue(std::string(name) + ": " + error);
  return axis;
}

py::object Solve(py::handle hand, py::handle work, py::handle radius, bool deg, py::handle model) {
  double angles[2];
  gs::Vec3 centre;
  ReadNumbers(hand, 2, "hand", angles);
  ReadNumbers(work, 3, "work", centre);
  const double r = ReadRadius(radius, "radius");
  const gs::ExactModel md = UseModel(model);
  gs::BatchRun run{};
  gs::RunSolve(&run, HandAngle(angles[0], deg), HandAngle(angles[1], deg), centre, r, &md);
  return gs::RunResult(&run, 1);
}

py::object Keys(const std::string &sequence) {
  std::string codes;
  std::string error;
  if (gs::ParseKeySequence(sequence, &codes, &error) == 0) BadValue("sequence: " + error);
  gs::BatchRun run{};
  gs::RunKeys(&run, codes);
  return gs::RunResult(&run, 0);
}

py::object Check(py::handle RC, py::handle NF, py::handle rwG, py::handle radius, py::handle model,
                 py::handle hand) {
  gs::Vec3 rc[3] = {}, nf[3] = {}, centre;
  ReadPerFinger(RC, "RC", rc);
  ReadPerFinger(NF, "NF", nf);
  ReadNumbers(rwG, 3, "rwG", centre);
  const double r = ReadRadius(radius, "radius");
  double angles[2] = {0.0, 0.0};
  const bool posed = !hand.is_none();
  if (posed) ReadNumbers(hand, 2, "hand", angles);
  const gs::ExactModel md = UseModel(model);
  gs::ExactCheck e{};
  gs::CheckGivenContacts(rc, nf, centre, r, posed ? angles : nullptr, &md, &e);
  return gs::ExactResult(e, md, posed ? 1 : 0);
}

py::dict Sweep(py::handle x, py::handle y, py::handle hand, py::handle work, py::handle radius,
               bool deg, py::handle model, py::handle threads) {
  gs::MapRequest req{};
  req.x = ReadAxis(x, "x");
  req.y = ReadAxis(y, "y");
  req.hand[0] = req.hand[1] = 0.0;
  for (int i = 0; i < 3; i++) req.work[i] = gs::kStartWorkCentre[i];
  req.radius = gs::kStartRadius;
  if (!hand.is_none()) ReadNumbers(hand, 2, "hand", req.hand);
  if (!work.is_none()) ReadNumbers(work, 3, "work", req.work);
  if (!radius.is_none()) req.radius = ReadNumber(radius, "radius");
  req.degrees = deg ? 1 : 0;
  req.model = UseModel(model);
  std::string error;
  if (gs::CheckMapRequest(&req, &error, "") == 0) BadValue(error);
  int n = static_cast<int>(std::thread::hardware_concurrency());
  if (!threads.is_none()) {
    if (!PyIndex_Check(threads.ptr()) || IsBool(threads))
      BadType("threads: expected an int or None");
    const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(threads.ptr()));
    if (!index) throw py::error_already_set();
    int overflow = 0;
    const long t = PyLong_AsLongAndOverflow(index.ptr(), &overflow);
    if (overflow != 0 || t < 1 || t > kMaxSweepThreads)
      BadValue("threads: expected 1 to " + std::to_string(kMaxSweepThreads) + ", got " +
               (overflow != 0 ? std::string("an int beyond any thread count") : std::to_string(t)));
    n = static_cast<int>(t);
  }
  return gs::SweepColumns(&req, n < 1 ? 1 : n);
}

// A whole number from 0 to most (no bool), under the keyword name.
long long ReadCount(py::handle obj, const char *name, long long most) {
  if (!PyIndex_Check(obj.ptr()) || IsBool(obj)) BadType(std::string(name) + ": expected an int");
  const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(obj.ptr()));
  if (!index) throw py::error_already_set();
  int overflow = 0;
  const long long v = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (overflow != 0 || v < 0 || v > most)
    BadValue(std::string(name) + ": expected 0 to " + std::to_string(most));
  return v;
}

// A finite number >= 0 under the keyword name.
double ReadSigma(py::handle obj, const char *name) {
  const double v = ReadFloat(obj, name);
  if (!(v >= 0.0) || !std::isfinite(v))
    BadValue(std::string(name) + ": expected a finite number >= 0");
  return v;
}

py::dict Quality(py::handle points, py::handle normals, py::handle reference, py::handle model,
                 py::handle torqueScale, py::handle samples, py::handle sigmaPoint,
                 py::handle sigmaNormal, py::handle sigmaMu, py::handle seed, py::handle threads,
                 py::handle proofBoxes, const std::string &epsilon) {
  const gs::ExactModel md = UseModel(model);
  double ts = 0.0;
  if (!torqueScale.is_none()) {
    ts = ReadFloat(torqueScale, "torque_scale");
    if (!(ts > 0.0) || !std::isfinite(ts))
      BadValue("torque_scale: expected a finite length > 0 or None");
  }
  gs::RobustOptions o{};
  o.samples = static_cast<int>(ReadCount(samples, "samples", kMaxRobustSamples));
  o.sigmaPoint = ReadSigma(sigmaPoint, "sigma_point");
  o.sigmaNormal = ReadSigma(sigmaNormal, "sigma_normal");
  o.sigmaMu = ReadSigma(sigmaMu, "sigma_mu");
  o.seed = static_cast<std::uint64_t>(ReadCount(seed, "seed", kMaxSeed));
  int n = static_cast<int>(ReadCount(threads, "threads", kMaxSweepThreads));
  if (n == 0) n = static_cast<int>(std::thread::hardware_concurrency());
  const int boxes =
      proofBoxes.is_none()
          ? gs::kEpsilonProofBoxes
          : static_cast<int>(ReadCount(proofBoxes, "proof_boxes", gs::kMaxEpsilonProofBoxes));
  const int forms = gs::EpsilonFormsFromName(epsilon.c_str());
  if (forms < 0) BadValue("epsilon: expected 'both', 'inf', 'one' or 'none'");
  return gs::QualityColumns(points, normals, reference, &md, ts, boxes, forms, &o, n < 1 ? 1 : n);
}

// One of a model's two vectors, under its own spelling (fex) or the one the
// results use (FEX); None for both gives the default.
void ReadModelVector(py::handle lower, py::handle upper, const char *name, const char *alias,
                     const double *fallback, double *out) {
  if (!lower.is_none() && !upper.is_none())
    BadType(std::string(name) + ", " + alias + ": the same vector given twice, give one of them");
  const py::handle v = lower.is_none() ? upper : lower;
  const char *given = lower.is_none() ? alias : name;
  for (int i = 0; i < 3; i++) out[i] = fallback[i];
  if (v.is_none()) return;
  if (PyUnicode_Check(v.ptr()) || !PySequence_Check(v.ptr()))
    BadType(std::string(given) + ": expected a sequence of 3 numbers");
  py::sequence seq = py::reinterpret_borrow<py::sequence>(v);
  if (seq.size() != 3)
    BadValue(std::string(given) + ": expected 3 numbers, got " + std::to_string(seq.size()));
  for (std::size_t i = 0; i < 3; i++) out[i] = ReadFloat(seq[i], given);
}

gs::ExactModel MakeModel(py::handle mu, py::handle rm, py::handle cap, py::handle fex,
                         py::handle mex, const std::string &contact, py::handle FEX,
                         py::handle MEX) {
  const gs::ExactModel &d = gs::kDefaultExactModel;
  gs::ExactModel m{};
  // non-finite numbers are refused by the model's own check, in its words
  m.mu = ReadFloat(mu, "mu");
  m.rm = ReadFloat(rm, "rm");
  m.cap = ReadFloat(cap, "cap");
  ReadModelVector(fex, FEX, "fex", "FEX", d.FEX, m.FEX);
  ReadModelVector(mex, MEX, "mex", "MEX", d.MEX, m.MEX);
  m.law = gs::ContactLawFromName(contact.c_str());
  const char *fields = nullptr;
  const char *refused = gs::ExactModelError(&m, &fields);
  if (refused != nullptr) {
    std::string text = std::string(fields) + ": " + refused;
    if (m.law < 0) text += ", got '" + contact + "'";
    BadValue(text);
  }
  return m;
}

py::array_t<double> Vector3(const double *v) {
  py::array_t<double> a(3);
  for (int i = 0; i < 3; i++) a.mutable_data()[i] = v[i];
  return a;
}

py::tuple Tuple3(const double *v) {
  return py::make_tuple(v[0], v[1], v[2]);
}

bool Equal3(const double *a, const double *b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

bool SameModel(const gs::ExactModel &a, const gs::ExactModel &b) {
  return a.mu == b.mu && a.rm == b.rm && a.cap == b.cap && a.law == b.law && Equal3(a.FEX, b.FEX) &&
         Equal3(a.MEX, b.MEX);
}

// A model's constructor arguments, in their order: what pickle and copy keep.
py::tuple ModelState(const gs::ExactModel &m) {
  return py::make_tuple(m.mu, m.rm, m.cap, Tuple3(m.FEX), Tuple3(m.MEX), gs::ContactLawName(m.law));
}

gs::ExactModel ModelFromState(const py::tuple &t) {
  if (t.size() != 6) BadValue("Model state: expected 6 items, got " + std::to_string(t.size()));
  return MakeModel(t[0], t[1], t[2], t[3], t[4], t[5].cast<std::string>(), py::none(), py::none());
}

std::string ModelRepr(const gs::ExactModel &m) {
  auto num = [](double v) { return std::string(py::repr(py::float_(v))); };
  auto vec = [&](const double *v) {
    return "(" + num(v[0]) + ", " + num(v[1]) + ", " + num(v[2]) + ")";
  };
  return "Model(mu=" + num(m.mu) + ", rm=" + num(m.rm) + ", cap=" + num(m.cap) +
         ", fex=" + vec(m.FEX) + ", mex=" + vec(m.MEX) + ", contact='" + gs::ContactLawName(m.law) +
         "')";
}

// Registers the Model class: the exact check's model record itself.
void DefineModel(py::module_ &m) {
  py::class_<gs::ExactModel>(m, "Model", R"doc(
Model(mu: float = 0.5, rm: float = 10.0, cap: float = 10.0, fex: Optional[tuple[float, float, float]] = None, mex: Optional[tuple[float, float, float]] = None, contact: str = 'soft', FEX: Optional[tuple[float, float, float]] = None, MEX: Optional[tuple[float, float, float]] = None)

``fex`` defaults to (0, 0, 1), ``mex`` to (0, 0, 0); ``FEX`` and ``MEX``
are keyword-only.

The model record of the exact holding check: friction coefficient ``mu``
(>= 0), friction-moment radius ``rm`` (length, >= 0; ``|MCZ| <= mu rm FCZ``),
normal-force cap per contact ``cap`` (> 0), the force ``fex`` and the moment
``mex`` (about the work centre) the grasp must apply to the work (not both
zero) and the contact law: "soft" (normal force, friction force and friction
moment), "point" (no friction moment) or "elliptic" (friction force and
moment bounded together). Every number must be finite; a bad value raises
ValueError, a bool or a non-number TypeError.

``FEX`` and ``MEX`` are the same vectors under the names a Result's
``exact.model`` uses, so ``Model(**vars(r.exact.model))`` rebuilds the model
of a result; giving a vector under both names raises TypeError.
``solve``, ``check`` and ``sweep`` take a Model as ``model=``.)doc")
      .def(py::init(&MakeModel), py::arg("mu") = gs::kCaseMu, py::arg("rm") = gs::kCaseRm,
           py::arg("cap") = gs::kForceCap, py::arg("fex") = py::none(), py::arg("mex") = py::none(),
           py::arg("contact") = "soft", py::kw_only(), py::arg("FEX") = py::none(),
           py::arg("MEX") = py::none(),
           "__init__(self, mu: float = 0.5, rm: float = 10.0, cap: float = 10.0, fex: "
           "Optional[tuple[float, float, float]] = None, mex: Optional[tuple[float, float, float]] "
           "= None, contact: str = 'soft', FEX: Optional[tuple[float, float, float]] = None, MEX: "
           "Optional[tuple[float, float, float]] = None) -> None")
      .def_property_readonly(
          "mu", [](const gs::ExactModel &p) { return p.mu; }, "float: friction coefficient")
      .def_property_readonly(
          "rm", [](const gs::ExactModel &p) { return p.rm; },
          "float: friction-moment radius (length)")
      .def_property_readonly(
          "cap", [](const gs::ExactModel &p) { return p.cap; },
          "float: normal-force cap per contact")
      .def_property_readonly(
          "fex", [](const gs::ExactModel &p) { return Vector3(p.FEX); },
          "numpy.ndarray: required force on the work, shape (3,)")
      .def_property_readonly(
          "mex", [](const gs::ExactModel &p) { return Vector3(p.MEX); },
          "numpy.ndarray: required moment on the work about its centre, shape (3,)")
      .def_property_readonly(
          "FEX", [](const gs::ExactModel &p) { return Vector3(p.FEX); },
          "numpy.ndarray: fex, as the results name it")
      .def_property_readonly(
          "MEX", [](const gs::ExactModel &p) { return Vector3(p.MEX); },
          "numpy.ndarray: mex, as the results name it")
      .def_property_readonly(
          "contact", [](const gs::ExactModel &p) { return std::string(gs::ContactLawName(p.law)); },
          "str: contact law, soft, point or elliptic")
      .def("__repr__", &ModelRepr, "__repr__(self) -> str")
      .def(
          "__eq__",
          [](const gs::ExactModel &a, py::handle b) {
            return py::isinstance<gs::ExactModel>(b) && SameModel(a, b.cast<gs::ExactModel>());
          },
          "__eq__(self, other: object) -> bool: every field equal")
      .def(py::pickle(&ModelState, &ModelFromState))
      .def(
          "is_default",
          [](const gs::ExactModel &p) { return SameModel(p, gs::kDefaultExactModel); },
          "is_default(self) -> bool\n\nTrue when every field equals the default model's.");
}

// Registers the calculations: solve, keys, check and sweep.
void DefineCalls(py::module_ &m) {
  m.def("solve", &Solve, py::arg("hand"), py::arg("work"), py::arg("radius"), py::kw_only(),
        py::arg("deg") = false, py::arg("model") = py::none(), R"doc(
solve(hand: tuple[float, float], work: tuple[float, float, float], radius: float, deg: bool = False, model: Optional[Model] = None) -> Result

One whole grasp: sets the hand pose ``hand = (alHand, betHand)`` (radians,
or degrees with ``deg=True``) and the work (centre ``work = (x, y, z)``,
radius ``radius`` >= 0), finds the contact of finger 1, then of finger 2,
solves the statics and runs the exact holding check, as the keys s, s, S, s
do. Returns the Result with the fields of ``graspstat-batch solve`` (the
contact result codes ``contactResult`` included), equal to what it prints
for the same pose: e.g. ``r.FCZ`` (normal forces), ``r.RC`` (contact
points, shape (2, 3)), ``r.staticsCase``, ``r.exact.verdict``,
``r.exact.margin``. ``model`` is the model of the exact analysis (None: the
default one).)doc");

  m.def("keys", &Keys, py::arg("sequence"), R"doc(
keys(sequence: str) -> Result

Starts up and feeds the characters of ``sequence`` to the key interpreter,
stopping at ESC in view mode, as ``graspstat-batch keys`` does (``\e`` is
ESC, ``\\`` a backslash, ``\xHH`` any byte; write them as Python raw
strings, e.g. ``r"ssSs\e"``). Returns the Result with the fields of its JSON
object; ``keys("ssSs")`` is the statics of the start-up pose.)doc");

  m.def("check", &Check, py::arg("RC"), py::arg("NF"), py::arg("rwG"), py::arg("radius"),
        py::kw_only(), py::arg("model") = py::none(), py::arg("hand") = py::none(), R"doc(
check(RC: numpy.typing.ArrayLike, NF: numpy.typing.ArrayLike, rwG: tuple[float, float, float], radius: float, model: Optional[Model] = None, hand: Optional[tuple[float, float]] = None) -> Result

The exact holding check of two given contacts, e.g. from another simulator:
contact points ``RC`` and finger normals into the work ``NF`` (unit
vectors), each shape (2, 3) with finger 1 first, on the work sphere of
centre ``rwG`` and radius ``radius``. Decides whether normal forces, friction
forces free in their tangent planes and friction moments within the limits
of ``model`` hold the work. Returns the Result of the JSON's ``exact``
object: ``verdict`` ("holds", "cannot hold", "undecided" or "palm inside
work"), ``margin``, the least-force solution ``FCZ``, ``T``, ``MCZ`` and
``jointTorque`` where it holds, ``blocking`` limits where it cannot,
``reason`` where undecided. The palm test (and the joint torques) need the
hand pose ``hand = (alHand, betHand)`` in radians; without it they are left
out.)doc");

  m.def("quality", &Quality, py::arg("points"), py::arg("normals"),
        py::arg("reference") = py::none(), py::kw_only(), py::arg("model") = py::none(),
        py::arg("torque_scale") = py::none(), py::arg("samples") = 0, py::arg("sigma_point") = 0.0,
        py::arg("sigma_normal") = 0.0, py::arg("sigma_mu") = 0.0, py::arg("seed") = 0,
        py::arg("threads") = 0, py::arg("proof_boxes") = py::none(), py::arg("epsilon") = "both",
        R"doc(
quality(points: numpy.typing.ArrayLike, normals: numpy.typing.ArrayLike, reference: Optional[numpy.typing.ArrayLike] = None, model: Optional[Model] = None, torque_scale: Optional[float] = None, samples: int = 0, sigma_point: float = 0.0, sigma_normal: float = 0.0, sigma_mu: float = 0.0, seed: int = 0, threads: int = 0, proof_boxes: Optional[int] = None, epsilon: str = 'both') -> dict[str, numpy.ndarray]

The grasp quality of two-contact grasps from anywhere (a parallel-jaw
gripper's sampled antipodal grasps, a simulator's contacts): ``points`` and
``normals`` of shape (N, 2, 3), or (2, 3) for one grasp, the contact points
and the unit normals into the work (the direction each finger pushes);
``reference`` the point moments are taken about, (N, 3) or (3,) (None: the
midpoint of each grasp's contacts). Under ``model`` (its friction, moment
radius, cap, required wrench and contact law) each grasp gets the exact
holding check and the Ferrari-Canny epsilon on exact friction sets, in the
wrench space (force, moment / torque_scale) (None: the larger distance from
the reference to a contact).

Returns a dict of numpy arrays, one value per grasp (shape (N,), or () for
one grasp): verdict (str), margin, capacity, muNeeded, forceClosure (1 or
0), epsilonInf, epsilonInfLower, weakestInf (N, 6), epsilonOne,
epsilonOneLower, weakestOne (N, 6), torqueScale; NaN where the batch tool's
JSON has null. The ``inf`` form bounds each normal force by the cap, the
``one`` form their sum (the classical Q1 with cap 1); ``lower`` is a bound
the computation proves, ``weakest`` the unit wrench resisted least.

With ``samples`` > 0, each grasp is also perturbed that many times (points
by ``sigma_point`` in 3-D, normals by ``sigma_normal`` rad, mu by the
relative ``sigma_mu``, from the generator seeded by ``seed``) and the dict
carries pHolds, pForceClosure, capacityP05, epsilonInfMean, epsilonInfP05.
``proof_boxes`` bounds the boxes per form the proof of each lower bound
examines (None: 200000, the full proof; 0: the search's value with the first
covering's bound only, tens of times faster, for labelling many grasps).
``epsilon`` names the forms computed: 'both', 'inf', 'one' or 'none' (the
exact check alone); a form not computed, and the robust epsilon measures
without 'inf', are NaN.
``threads`` workers share the grasps (0: all cores) with the GIL released;
Ctrl-C stops them. Bad shapes and values raise ValueError before any work.)doc");

  m.def("sweep", &Sweep, py::arg("x") = py::make_tuple("alHand", -180, 180, 512),
        py::arg("y") = py::make_tuple("betHand", -180, 180, 512), py::kw_only(),
        py::arg("hand") = py::none(), py::arg("work") = py::none(), py::arg("radius") = py::none(),
        py::arg("deg") = false, py::arg("model") = py::none(), py::arg("threads") = py::none(),
        R"doc(
sweep(x: tuple[str, float, float, int] = ('alHand', -180, 180, 512), y: tuple[str, float, float, int] = ('betHand', -180, 180, 512), hand: Optional[tuple[float, float]] = None, work: Optional[tuple[float, float, float]] = None, radius: Optional[float] = None, deg: bool = False, model: Optional[Model] = None, threads: Optional[int] = None) -> dict[str, numpy.ndarray]

A study map: one whole grasp at every point of a grid of two quantities,
as ``graspstat-batch map`` computes it. ``x`` and ``y`` are
``(PARAM, FROM, TO, COUNT)``, COUNT >= 2 values from FROM to TO inclusive,
PARAM one of alHand, betHand (hand angles), x, y, z (work centre), aSph
(work radius), or mu, rm, cap (the exact check's friction coefficient,
friction-moment radius and normal-force cap, in place of the model's own).
The other quantities are ``hand`` (default (0, 0)), ``work`` (default
(0, 80, 0)), ``radius`` (default 50) and ``model`` (default: the default
Model); ``deg=True`` gives the hand angles, fixed and swept, in degrees.
``threads`` (1 to 256, default: all cores) share the points; the GIL is
released while they compute, and Ctrl-C (KeyboardInterrupt) stops them
within a fraction of a second.

Returns a dict of numpy arrays of shape (y COUNT, x COUNT), one per column
of the map's CSV under its header name and in its order, with the same
numbers: the two swept values (float64), cntContact (int32), staticsCase
(str), StaticsStability (float64: 1 stable, 0 not), exact (str), margin,
FCZ1, FCZ2, TCF1, TCF2, MCZ1, MCZ2, leastForce, and the exact check's
strength measures capacity, muNeeded and forceClosure (1 or 0),
limitsKept (1 where the case solver's forces keep every limit, 0 where
not), and the epsilon of the contacts epsilonInf and epsilonOne, all
float64. A field the CSV leaves empty is NaN in a float64 column and "" in
a str one. Row j, column i is the point of the j-th y value and the i-th x
value.

With the default arguments it is the hand turned over a full turn about
both axes, but in radians: pass ``deg=True`` for degrees.)doc");
}

} // namespace

PYBIND11_MODULE(graspstat, m) {
  // Every signature is written out in its docstring with the types a caller
  // passes: the arguments arrive as Python objects and are read here.
  py::options options;
  options.disable_function_signatures();

  m.doc() = R"doc(
The statics of a two-finger robot hand grasping a sphere, computed in
process: the same calculations as the graspstat-batch tool, with numpy
arrays instead of JSON text.

The hand is a palm with two fingers, each a revolute joint and a straight
link of length 100 ending in a fingertip sphere; the work is a sphere with
centre ``rwG`` and radius ``aSph``. A whole grasp finds where each finger
touches the work, solves the grasp statics with the case solvers (normal
force, friction force and friction moment at each contact holding the work
against a unit force along +Z, friction 0.5) and runs the exact holding
check of the same two contacts beside them.

Functions:
  solve(hand, work, radius)   one whole grasp, like ``graspstat-batch solve``
  keys(sequence)              keys fed to the key interpreter, like ``keys``
  check(RC, NF, rwG, radius)  the exact holding check of two given contacts
  sweep(x, y)                 a study map as numpy columns, like ``map``
  Model(...)                  the model record of the exact analysis

Results are ``Result`` objects whose attributes carry the batch tool's JSON
names and values. Results and Models can be pickled and copied (so they
pass to other processes). ``__version__`` is the version of the tools.
Bad arguments raise ValueError or TypeError with the batch tool's words; a
bool is refused where a number is expected.

In the signatures, a tuple of numbers also takes a list or a numpy array,
and an ArrayLike any nested sequence of the shape the text names; the
arguments after ``radius`` (solve, check), ``normals``/``reference``
(quality) and ``y`` (sweep) are keyword-only.

Example::

    import graspstat
    r = graspstat.solve((0, 9), (0, 80, 0), 50, deg=True)
    print(r.staticsCase, r.StaticsStability, r.exact.verdict, r.FCZ)
)doc";
  m.attr("__version__") = GRASPSTAT_VERSION;

  gs::DefineResult(m);

  DefineModel(m);
  DefineCalls(m);
}
