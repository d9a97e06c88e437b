#include "python/py_sweep.h"

#include <cmath>
#include <cstdint>

#include <pybind11/numpy.h>

#include "graspstat/map_table.h"
#include "graspstat/report.h"

namespace gs {

namespace py = pybind11;

namespace {

// Where the worker threads write each point's row.
struct Columns {
  double *x, *y;
  std::int32_t *cntContact;
  double *stability; // NaN where no statics ran, as the table leaves it empty
  std::uint8_t *staticsCase, *exact;
  double *margin, *FCZ1, *FCZ2, *TCF1, *TCF2, *MCZ1, *MCZ2, *leastForce;
  double *capacity, *muNeeded, *forceClosure, *limitsKept, *epsilonInf, *epsilonOne;
  int interrupted; // 1 once a signal handler raised: its exception is set
};

// Runs Python's signal handlers on the calling thread, holding the GIL for
// that moment, so that Ctrl-C reaches a running map. Returns 1 when a
// handler raised (KeyboardInterrupt): the map stops, and the exception
// stays set in this thread for SweepColumns to raise.
int CheckSignals(void *ctx) {
  Columns *c = static_cast<Columns *>(ctx);
  py::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() == 0) return 0;
  c->interrupted = 1;
  return 1;
}

void StoreRow(long p, const MapRow *row, void *ctx) {
  const Columns *c = static_cast<const Columns *>(ctx);
  c->x[p] = row->x;
  c->y[p] = row->y;
  c->cntContact[p] = row->cntContact;
  c->staticsCase[p] = static_cast<std::uint8_t>(row->staticsCase);
  c->stability[p] = row->stability >= 0 ? row->stability : NAN;
  c->exact[p] = static_cast<std::uint8_t>(row->exact);
  c->margin[p] = row->margin;
  c->FCZ1[p] = row->FCZ[0];
  c->FCZ2[p] = row->FCZ[1];
  c->TCF1[p] = row->TCF[0];
  c->TCF2[p] = row->TCF[1];
  c->MCZ1[p] = row->MCZ[0];
  c->MCZ2[p] = row->MCZ[1];
  c->leastForce[p] = row->leastForce;
  c->capacity[p] = row->capacity;
  c->muNeeded[p] = row->muNeeded;
  c->forceClosure[p] = row->forceClosure;
  c->limitsKept[p] = row->limitsKept;
  c->epsilonInf[p] = row->epsilonInf;
  c->epsilonOne[p] = row->epsilonOne;
}

template <typename T> T *Column(py::dict *out, const char *name, long ny, long nx) {
  py::array_t<T> a({ny, nx});
  (*out)[name] = a;
  return a.mutable_data();
}

// The text column of codes: names[code] for every point, as a numpy str array.
py::object TextColumn(const py::array_t<std::uint8_t> &codes, const py::list &names) {
  py::module_ np = py::module_::import("numpy");
  return np.attr("array")(names)[codes];
}

} // namespace

py::dict SweepColumns(const MapRequest *req, int threads) {
  const long nx = req->x.count;
  const long ny = req->y.count;
  py::dict out;
  Columns c{};
  c.x = Column<double>(&out, MapParamName(req->x.param), ny, nx);
  c.y = Column<double>(&out, MapParamName(req->y.param), ny, nx);
  c.cntContact = Column<std::int32_t>(&out, "cntContact", ny, nx);
  py::array_t<std::uint8_t> caseCodes({ny, nx});
  c.staticsCase = caseCodes.mutable_data();
  out["staticsCase"] = py::none(); // keeps the column order of the CSV
  c.stability = Column<double>(&out, "StaticsStability", ny, nx);
  py::array_t<std::uint8_t> exactCodes({ny, nx});
  c.exact = exactCodes.mutable_data();
  out["exact"] = py::none();
  c.margin = Column<double>(&out, "margin", ny, nx);
  c.FCZ1 = Column<double>(&out, "FCZ1", ny, nx);
  c.FCZ2 = Column<double>(&out, "FCZ2", ny, nx);
  c.TCF1 = Column<double>(&out, "TCF1", ny, nx);
  c.TCF2 = Column<double>(&out, "TCF2", ny, nx);
  c.MCZ1 = Column<double>(&out, "MCZ1", ny, nx);
  c.MCZ2 = Column<double>(&out, "MCZ2", ny, nx);
  c.leastForce = Column<double>(&out, "leastForce", ny, nx);
  c.capacity = Column<double>(&out, "capacity", ny, nx);
  c.muNeeded = Column<double>(&out, "muNeeded", ny, nx);
  c.forceClosure = Column<double>(&out, "forceClosure", ny, nx);
  c.limitsKept = Column<double>(&out, "limitsKept", ny, nx);
  c.epsilonInf = Column<double>(&out, "epsilonInf", ny, nx);
  c.epsilonOne = Column<double>(&out, "epsilonOne", ny, nx);
  {
    py::gil_scoped_release free;
    RunMapSweepRows(req, threads, &StoreRow, &CheckSignals, &c);
  }
  if (c.interrupted != 0) throw py::error_already_set();
  py::list caseNames;
  for (int k = kCaseNone; k <= kCaseNorm; k++) {
    const char *name = StaticsCaseText(k);
    caseNames.append(py::str(name != nullptr ? name : ""));
  }
  py::list verdicts;
  for (int v = kExactNone; v <= kExactPalmInside; v++)
    verdicts.append(py::str(ExactVerdictText(v)));
  out["staticsCase"] = TextColumn(caseCodes, caseNames);
  out["exact"] = TextColumn(exactCodes, verdicts);
  return out;
}

} // namespace gs
