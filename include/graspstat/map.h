// Study maps: one whole grasp (contacts, statics, exact check) at every
// point of a grid over two of the hand angles, the work centre coordinates,
// the work radius and the exact check's friction coefficient, moment radius
// and force cap, the other quantities held fixed. Points are numbered
// row by row: index = j * x.count + i, i along x, j along y.
#pragma once

#include <cstddef>
#include <string>

#include "graspstat/model.h"
#include "graspstat/state.h"

namespace gs {

// The quantities a map can sweep.
enum MapParam : int {
  kMapAlHand = 0, // hand angle about X (command units: rad, or deg with --deg)
  kMapBetHand,    // hand angle about Y
  kMapX,          // work centre x
  kMapY,          // work centre y
  kMapZ,          // work centre z
  kMapASph,       // work radius
  kMapMu,         // exact check: friction coefficient
  kMapRm,         // exact check: friction-moment radius
  kMapCap,        // exact check: normal-force cap
  kMapParamCount
};

constexpr long kMapMaxPoints = 16777216; // largest grid a map accepts (points)
constexpr int kMapChunk = 256;           // points a thread solves and writes in one go
// Least span of an axis, relative to the larger of its bounds in size: the
// picture's ticks and their labels must tell values that close apart.
constexpr double kMapMinAxisSpan = 1e-6;

// One swept quantity: count values from `from` to `to` inclusive, evenly spaced.
struct MapAxis {
  int param;   // MapParam
  double from; // first value, command units
  double to;   // last value, command units
  long count;  // number of values, >= 2
};

// The quantity the second panel of the picture shades.
enum MapShow : int {
  kShowMargin = 0, // exact margin where the work holds
  kShowCapacity,   // largest load factor that can be held
  kShowMuNeeded,   // least friction coefficient that holds the load
  kShowEpsilon,    // Ferrari-Canny epsilon, each normal force up to the cap
  kMapShowCount
};

// What a map computes.
struct MapRequest {
  MapAxis x, y;
  double hand[2];   // fixed hand angles alHand, betHand, command units
  Vec3 work;        // fixed work centre
  double radius;    // fixed work radius
  int degrees;      // 1: hand angles, fixed and swept, are in degrees
  ExactModel model; // exact check's model; a swept mu, rm or cap replaces its own
  int show;         // MapShow: what the picture's second panel shades
};

// How the case solvers' verdict and the exact check compare at one point.
enum MapOutcome : unsigned char {
  kOutcomeNoContact = 0, // fewer than two contacts: no statics
  kOutcomeBothHold,      // stable grasp, and the exact check holds
  kOutcomeExactOnly,     // no stable grasp found, yet the exact check holds
  kOutcomeNeither,       // no stable grasp, and the exact check cannot hold
  kOutcomeSolversOnly,   // stable grasp, yet the exact check cannot hold
  kOutcomePalmInside,    // the palm penetrates the work
  kOutcomeStableOpen,    // stable grasp, the exact check undecided
  kOutcomeUnstableOpen,  // no stable grasp, the exact check undecided
  kOutcomeCount
};

// Name of a swept quantity as the command line and the CSV header spell it.
const char *MapParamName(int param);

// Name of a MapShow as --show spells it ("margin", "capacity", "muNeeded",
// "epsilon").
const char *MapShowName(int show);

// Returns the MapShow named name, -1 for an unknown name.
int MapShowFromName(const std::string &name);

// Reads "PARAM:FROM:TO:COUNT" into *axis. Returns 1 on success, 0 otherwise
// (then *error says why): unknown PARAM, a bound that is not a finite
// number, FROM equal to TO, COUNT not a whole number from 2 to the largest
// grid, a span so wide that the swept values would not be finite, or so
// narrow (below kMapMinAxisSpan) that no axis can be drawn over it, or
// values that do not move from FROM towards TO at every step (subnormal
// bounds, where neighbouring values round to the same double).
int ParseMapAxis(const std::string &text, MapAxis *axis, std::string *error);

// Checks the request as a whole: two different quantities, at most
// kMapMaxPoints points, no negative work radius fixed or swept, a model the
// exact check accepts at both ends of a swept mu, rm or cap. Returns 1
// when it can run, 0 otherwise (then *error says why, naming the options
// with dashes before them: "--" as the batch tool spells them, "" as
// keywords).
int CheckMapRequest(const MapRequest *req, std::string *error, const char *dashes = "--");

// The i-th value of an axis (command units); the last one is exactly `to`.
double MapAxisValue(const MapAxis *axis, long i);

// Number of points of the map.
long MapPointCount(const MapRequest *req);

// Hand angles (rad), work centre and radius of point index; returns 1.
int MapPointPose(const MapRequest *req, long index, double *al, double *bet, double *rwG,
                 double *aSph);

// Exact check's model of point index: the fixed model with a swept mu, rm
// or cap put in; returns 1.
int MapPointModel(const MapRequest *req, long index, ExactModel *model);

// 1 when the exact check of some point may run under a model other than the
// case solvers' fixed one (kDefaultExactModel), else 0.
int MapModelDiffers(const MapRequest *req);

// The value the second panel shades at a point whose solve left *s, by
// req->show: the margin where the work holds, the capacity, the friction
// needed (+inf where none suffices); NaN where there is none.
float MapShownValue(const MapRequest *req, const GraspState *s);

// Outcome of the grasp the model holds after a whole solve (a MapOutcome).
int MapOutcomeOf(const GraspState *s);

// Receives the progress of a running map: points done so far of total.
using MapProgressFn = void (*)(long done, long total, void *ctx);

// Receives the next text of the table, in point order; returns 1 when it was
// written, 0 when writing failed (errno then says why).
using MapWriteFn = int (*)(const char *text, std::size_t n, void *ctx);

// Computes every point of the map on `threads` threads. Each thread solves
// its own chunks of kMapChunk consecutive points with its own model and
// hands their CSV rows to write (nullptr: no table) in point order, so the
// table does not depend on the thread count; outcome[index] and
// shown[index] (MapShownValue) are filled when not nullptr. progress (may be
// nullptr) is called from the calling thread a few times a second and once
// at the end. Returns 1, or 0 when writing the table failed (then errno says
// why).
int RunMapSweep(const MapRequest *req, int threads, MapWriteFn write, void *writeCtx,
                unsigned char *outcome, float *shown, MapProgressFn progress, void *ctx);

// Receives the values of point index's table row; called from the worker
// threads, each point once, in no particular order.
struct MapRow;
using MapRowFn = void (*)(long index, const MapRow *row, void *ctx);

// Asked from the calling thread while a map runs, every kMapStopPeriodMs:
// a nonzero answer stops the workers at their next point.
using MapStopFn = int (*)(void *ctx);
constexpr int kMapStopPeriodMs = 50; // how often a running map asks stopFn (milliseconds)

// Computes every point of the map on `threads` threads as RunMapSweep does
// and hands each point's row to rowFn instead of writing the table; stopFn
// (may be nullptr) can end it early, then some points get no row. Returns 1
// when every point was computed, 0 when stopFn stopped it.
int RunMapSweepRows(const MapRequest *req, int threads, MapRowFn rowFn, MapStopFn stopFn,
                    void *ctx);

} // namespace gs
