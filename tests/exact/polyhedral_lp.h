// Linear relaxations of the exact holding check for the tests: each
// contact's friction set replaced by a polyhedron inside or around it and
// the load factor held solved with GLPK.
#pragma once

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include <glpk.h>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/model.h"
#include "graspstat/state.h"

namespace gs {

// Nonzeros of a GLPK constraint matrix, 1-based as glp_load_matrix reads them.
struct LpEntries {
  std::vector<int> ia{0}, ja{0};
  std::vector<double> ar{0.0};
  void Put(int row, int col, double val) {
    ia.push_back(row);
    ja.push_back(col);
    ar.push_back(val);
  }
  void Load(glp_prob *lp) {
    glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  }
};

// One LP per grasp and law, each contact's limit set replaced by a
// polyhedron: facets along the directions dirs (2 or 3 components) at
// `reach` times the disc (soft, point) or the ball of (T, MCZ / rm)
// (elliptic), the friction mu. Re-solved from the last basis with only the
// normal-force columns, their bounds and the wrench changed.
class PolyhedralLp {
public:
  PolyhedralLp(const GraspState &s, const ExactModel &md,
               const std::vector<std::array<double, 3>> &dirs)
      : lp_(glp_create_prob()) {
    Vec3 u[3], v[3], r[3];
    for (int k = 1; k <= 2; k++) {
      const double *n = s.NF[k];
      CrossVec3(n, std::fabs(n[0]) < 0.9 ? eX : eY, u[k]);
      UnitVec3(u[k], u[k]);
      CrossVec3(n, u[k], v[k]);
      SubVec3(s.RC[k], s.rwG, r[k]);
    }
    glp_set_obj_dir(lp_, GLP_MAX);
    glp_add_cols(lp_, 9); // f1 f2 x1 y1 x2 y2 m1 m2 lambda
    for (int k = 0; k < 2; k++) {
      for (int j = 3 + 2 * k; j <= 4 + 2 * k; j++) glp_set_col_bnds(lp_, j, GLP_FR, 0.0, 0.0);
      if (md.law == kContactPoint || md.rm == 0.0)
        glp_set_col_bnds(lp_, 7 + k, GLP_FX, 0.0, 0.0);
      else
        glp_set_col_bnds(lp_, 7 + k, GLP_FR, 0.0, 0.0);
    }
    glp_set_obj_coef(lp_, 9, 1.0);
    LpEntries mat;
    auto put = [&](int row, int col, double val) { mat.Put(row, col, val); };
    // the normal-force columns: value base + mu (reach) perMu on each row
    auto putF = [&](int k, int row, double base, double perMu, bool reach) {
      force_[k].push_back({row, base, perMu, reach});
    };
    glp_add_rows(lp_, 6);
    for (int i = 0; i < 3; i++) {
      glp_set_row_bnds(lp_, 1 + i, GLP_FX, 0.0, 0.0);
      glp_set_row_bnds(lp_, 4 + i, GLP_FX, 0.0, 0.0);
      for (int k = 1; k <= 2; k++) {
        Vec3 rn, ru, rv;
        CrossVec3(r[k], s.NF[k], rn);
        CrossVec3(r[k], u[k], ru);
        CrossVec3(r[k], v[k], rv);
        putF(k, 1 + i, s.NF[k][i], 0.0, false);
        put(1 + i, 1 + 2 * k, u[k][i]);
        put(1 + i, 2 + 2 * k, v[k][i]);
        putF(k, 4 + i, rn[i], 0.0, false);
        put(4 + i, 1 + 2 * k, ru[i]);
        put(4 + i, 2 + 2 * k, rv[i]);
        put(4 + i, 6 + k, s.NF[k][i]);
      }
    }
    const bool ball = md.law == kContactElliptic && md.rm > 0.0;
    for (int k = 1; k <= 2; k++) {
      for (const auto &d : dirs) {
        const int row = glp_add_rows(lp_, 1);
        glp_set_row_bnds(lp_, row, GLP_UP, 0.0, 0.0);
        put(row, 1 + 2 * k, d[0]);
        put(row, 2 + 2 * k, d[1]);
        if (ball) put(row, 6 + k, d[2] / md.rm);
        putF(k, row, 0.0, -1.0, true);
      }
      if (md.law == kContactSoft && md.rm > 0.0) {
        for (const double sgn : {1.0, -1.0}) {
          const int row = glp_add_rows(lp_, 1);
          glp_set_row_bnds(lp_, row, GLP_UP, 0.0, 0.0);
          put(row, 6 + k, sgn);
          putF(k, row, 0.0, -md.rm, false);
        }
      }
    }
    mat.Load(lp_);
    glp_init_smcp(&parm_);
    parm_.msg_lev = GLP_MSG_OFF;
    parm_.presolve = GLP_OFF;
    parm_.it_lim = 200; // far above what a problem this size needs: a guard against stalling
  }
  ~PolyhedralLp() { glp_delete_prob(lp_); }
  PolyhedralLp(const PolyhedralLp &) = delete;
  PolyhedralLp &operator=(const PolyhedralLp &) = delete;

  // The largest load factor lambda with which lambda times the wrench
  // (force, moment) is held under the cap; with cap 0 the cap is removed
  // and lambda bounded by 1 (1 when held, 0 when not). NaN when the solver
  // fails.
  double Capacity(double mu, double reach, double cap, const double *wrench) {
    std::vector<int> ind{0};
    std::vector<double> val{0.0};
    for (int k = 1; k <= 2; k++) {
      ind.resize(1);
      val.resize(1);
      for (const Entry &e : force_[k]) {
        ind.push_back(e.row);
        val.push_back(e.base + mu * e.perMu * (e.reach ? reach : 1.0));
      }
      glp_set_mat_col(lp_, k, static_cast<int>(ind.size()) - 1, ind.data(), val.data());
      glp_set_col_bnds(lp_, k, cap > 0.0 ? GLP_DB : GLP_LO, 0.0, cap);
    }
    const int rows[7] = {0, 1, 2, 3, 4, 5, 6};
    double w[7] = {0.0};
    for (int i = 0; i < 6; i++) w[1 + i] = -wrench[i];
    glp_set_mat_col(lp_, 9, 6, rows, w);
    glp_set_col_bnds(lp_, 9, cap > 0.0 ? GLP_LO : GLP_DB, 0.0, 1.0);
    if (glp_simplex(lp_, &parm_) != 0) { // a singular basis after the change: start afresh
      glp_std_basis(lp_);
      if (glp_simplex(lp_, &parm_) != 0) return NAN;
    }
    return glp_get_status(lp_) == GLP_OPT ? glp_get_obj_val(lp_) : NAN;
  }

private:
  struct Entry {
    int row;
    double base, perMu;
    bool reach;
  };
  glp_prob *lp_;
  glp_smcp parm_;
  std::vector<Entry> force_[3];
};

// Directions of the facets: a regular polygon in the tangent plane, or
// points spread over the sphere (Fibonacci lattice) for the ball.
inline std::vector<std::array<double, 3>> FacetDirections(bool ball, int count) {
  std::vector<std::array<double, 3>> dirs(count);
  for (int j = 0; j < count; j++) {
    if (!ball) {
      const double a = 2.0 * M_PI * j / count;
      dirs[j] = {std::cos(a), std::sin(a), 0.0};
      continue;
    }
    const double z = 1.0 - (2.0 * j + 1.0) / count, rr = std::sqrt(1.0 - z * z);
    const double a = j * M_PI * (3.0 - std::sqrt(5.0));
    dirs[j] = {rr * std::cos(a), rr * std::sin(a), z};
  }
  return dirs;
}

// The largest angle from any direction to the nearest of dirs, sampled
// densely and padded: the facets pulled in by its cosine lie inside the ball.
inline double CoveringAngle(const std::vector<std::array<double, 3>> &dirs) {
  std::mt19937_64 rng(3);
  std::normal_distribution<double> g;
  double worst = 0.0;
  for (int i = 0; i < 200000; i++) {
    Vec3 p = {g(rng), g(rng), g(rng)};
    UnitVec3(p, p);
    double best = -1.0;
    for (const auto &d : dirs) best = std::max(best, DotVec3(p, d.data()));
    worst = std::max(worst, std::acos(std::min(1.0, best)));
  }
  return 1.2 * worst;
}

} // namespace gs
