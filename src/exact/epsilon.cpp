#include "exact/epsilon.h"

#include <cmath>
#include <initializer_list>

namespace gs {

int PairEpsilon(const ContactPair *g, const ExactModel *m, double torqueScale, GraspEpsilon *out) {
  (void)g;
  (void)m;
  const double nan = std::nan("");
  out->torqueScale = torqueScale;
  for (EpsilonForm *f : {&out->inf, &out->one}) {
    f->value = f->lower = nan;
    for (double &w : f->weakest) w = nan;
  }
  return 0;
}

} // namespace gs
