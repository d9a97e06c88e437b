// Reads grasps from standard input, one a line: p1 n1 p2 n2 (12 numbers, the
// moments about the origin) or p1 n1 p2 n2 c (15 numbers), then the law name,
// mu, rm and cap; prints per grasp the torque scale and, per form (inf, then
// one), value, lower and the six components of weakest. A line it cannot use
// gives "error".
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "exact/epsilon.h"
#include "geom/vecmat.h"

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::vector<double> v;
    std::string tok, law;
    while (in >> tok) {
      char *end = nullptr;
      const double x = std::strtod(tok.c_str(), &end);
      if (*end) {
        law = tok;
        break;
      }
      v.push_back(x);
    }
    double mu = 0, rm = 0, cap = 0;
    in >> mu >> rm >> cap;
    gs::ContactPair g{};
    gs::ExactModel m = gs::kDefaultExactModel;
    m.mu = mu;
    m.rm = rm;
    m.cap = cap;
    m.law = gs::ContactLawFromName(law.c_str());
    gs::GraspEpsilon e;
    if ((v.size() != 12 && v.size() != 15) || !in || m.law < 0) {
      std::printf("error\n");
      continue;
    }
    for (int k = 1; k <= 2; k++)
      for (int i = 0; i < 3; i++) {
        g.p[k][i] = v[6 * (k - 1) + i];
        g.n[k][i] = v[6 * (k - 1) + 3 + i];
      }
    for (int i = 0; i < 3; i++) g.c[i] = v.size() == 15 ? v[12 + i] : 0.0;
    if (!gs::PairEpsilon(&g, &m, 0.0, &e)) {
      std::printf("error\n");
      continue;
    }
    std::printf("%.17g", e.torqueScale);
    for (const gs::EpsilonForm *f : {&e.inf, &e.one}) {
      std::printf(" %.17g %.17g", f->value, f->lower);
      for (double w : f->weakest) std::printf(" %.17g", w);
    }
    std::printf("\n");
  }
  return 0;
}
