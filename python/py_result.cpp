#include "python/py_result.h"

#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>

#include <pybind11/numpy.h>

#include "graspstat/report.h"

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

// A wrench of 6 as a (6,) array.
py::object Wrench(const double *v) {
  const Py_intptr_t dims[1] = {6};
  double *d = nullptr;
  py::object a = NewArray(1, dims, &d);
  for (int i = 0; i < 6; i++) d[i] = ArrayValue(v[i]);
  return a;
}

// [finger 1, finger 2] of per-finger vectors, as a (2, 3) array.
py::object PairVector(const double *const *v) {
  const Py_intptr_t dims[2] = {2, 3};
  double *d = nullptr;
  py::object a = NewArray(2, dims, &d);
  for (int k = 0; k < 2; k++)
    for (int i = 0; i < 3; i++) d[3 * k + i] = ArrayValue(v[k][i]);
  return a;
}

// [finger 1, finger 2] of per-finger numbers, as a (2,) array.
py::object Pair(const double *v) {
  const Py_intptr_t dims[1] = {2};
  double *d = nullptr;
  py::object a = NewArray(1, dims, &d);
  d[0] = ArrayValue(v[0]);
  d[1] = ArrayValue(v[1]);
  return a;
}

// Text as the JSON writes it: bytes that are not UTF-8 replaced.
py::object Utf8(const char *t, std::size_t n) {
  PyObject *s = PyUnicode_DecodeUTF8(t, static_cast<Py_ssize_t>(n), "replace");
  if (s == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(s);
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

// Whether name is a field of whole numbers per finger in any report table
// (its array holds them as floats, the JSON as ints).
bool IntPairField(const ReportTable &t, const std::string &name) {
  for (int i = 0; i < t.count; i++) {
    const ReportField &f = t.fields[i];
    if (f.kind == kReportPairInt && name == f.name) return true;
    if (f.kind == kReportObject && IntPairField(*f.object, name)) return true;
  }
  return false;
}

// A Result's value as plain JSON data: Results as dicts, arrays as nested
// lists with NaN as None, whole-number fields as ints.
py::object PlainValue(py::handle v, bool whole) {
  if (py::isinstance(v, py::handle(gResultType))) {
    py::dict d;
    for (auto item : py::reinterpret_borrow<py::dict>(v.attr("__dict__"))) {
      const std::string key = py::str(item.first);
      d[item.first] = PlainValue(item.second, IntPairField(kRunReport, key));
    }
    return std::move(d);
  }
  if (py::isinstance<py::array>(v)) return PlainValue(v.attr("tolist")(), whole);
  if (py::isinstance<py::list>(v)) {
    py::list out;
    for (py::handle x : v) out.append(PlainValue(x, whole));
    return std::move(out);
  }
  if (PyFloat_Check(v.ptr())) {
    const double x = PyFloat_AsDouble(v.ptr());
    if (!std::isfinite(x)) return py::none();
    if (whole) return py::int_(static_cast<long long>(x));
  }
  return py::reinterpret_borrow<py::object>(v);
}

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
  cls.def(
      "to_dict", [](py::handle self) { return PlainValue(self, false); },
      "to_dict(self) -> dict[str, Any]\n\nThe Result as plain JSON data, as the batch tool "
      "writes it: nested Results as dicts, arrays as lists, NaN as None; "
      "json.dumps of it is the tool's JSON of the same call.");
  return 1;
}

py::object ResultOf(const ReportTable &t, const ReportSource *src) {
  Fields f;
  for (int i = 0; i < t.count; i++) {
    const ReportField &field = t.fields[i];
    ReportValue v;
    field.read(src, &v);
    if (v.present < 0) continue;
    f.Set(field.name, v.present != 0 ? ValueOf(field, v) : py::none());
  }
  return f.Done();
}

py::object ValueOf(const ReportField &f, const ReportValue &v) {
  switch (f.kind) {
  case kReportNumber:
    return Number(v.number);
  case kReportInt:
    return py::int_(v.integer);
  case kReportBool:
    return py::bool_(v.integer != 0);
  case kReportText:
    return Utf8(v.text, v.length);
  case kReportVector:
    return Vector(v.vector);
  case kReportPair:
  case kReportPairInt:
    return Pair(v.pair);
  case kReportPairVector:
    return PairVector(v.pairVector);
  case kReportWrench:
    return Wrench(v.vector);
  case kReportNames: {
    py::list names;
    for (int k = 0; k < v.nameCount; k++) names.append(py::str(v.names[k]));
    return std::move(names);
  }
  case kReportLines: {
    py::list lines;
    if (v.lines != nullptr)
      for (const std::string &line : *v.lines) lines.append(Utf8(line.data(), line.size()));
    return std::move(lines);
  }
  default:
    return ResultOf(*f.object, &v.sub);
  }
}

py::object ExactResult(const ExactCheck &e, const ExactModel &m, int torques) {
  const ReportSource src = ExactReportSource(&e, &m, torques);
  return ResultOf(kExactReport, &src);
}

py::object RunResult(const BatchRun *run, int withContacts) {
  const ReportSource src = RunReportSource(&run->state, &run->messages, run->exited, withContacts);
  return ResultOf(kRunReport, &src);
}

} // namespace gs
