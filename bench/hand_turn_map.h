// The map the benchmarks time: the hand turned over a full turn about both
// axes (degrees), the work at the start-up place.
#pragma once

#include "graspstat/map.h"

namespace gs {

// The side x side hand-turn map request.
inline MapRequest HandTurnMap(long side) {
  MapRequest req{};
  req.x = MapAxis{kMapAlHand, -180.0, 180.0, side};
  req.y = MapAxis{kMapBetHand, -180.0, 180.0, side};
  req.work[1] = 80.0;
  req.radius = 50.0;
  req.degrees = 1;
  return req;
}

} // namespace gs
