#include "graspstat/state.h"

#include <cstring>

#include "graspstat/constants.h"

namespace gs {

void InitModelState(GraspState *s) {
  std::memset(s, 0, sizeof *s);
  s->aSph = kInitialRadius;
  s->sgnCALEnd = 'N';
  s->exactModel = kDefaultExactModel;
}

} // namespace gs
