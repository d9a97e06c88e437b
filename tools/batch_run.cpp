#include "tools/batch_run.h"

#include "app/keyboard.h"
#include "app/trace.h"
#include "contact/sphere_contact.h"
#include "geom/vecmat.h"
#include "hand/kinematics.h"

namespace gs {

namespace {

constexpr unsigned char kKeyStep = 's'; // action key of the contact and statics modes
// the keys of one whole grasp: both contacts, then the statics
constexpr unsigned char kSolveKeys[] = {'A', kKeyStep, kKeyStep, 'S', kKeyStep};

// Collects console text for the lifetime of the object.
class ConsoleCollector {
public:
  ConsoleCollector() { SetConsoleSink(&Append, &text_); }
  ~ConsoleCollector() { SetConsoleSink(nullptr, nullptr); }
  ConsoleCollector(const ConsoleCollector &) = delete;
  ConsoleCollector &operator=(const ConsoleCollector &) = delete;

  // Splits the collected text into lines, dropping empty ones.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text_.size()) {
      std::size_t end = text_.find('\n', start);
      if (end == std::string::npos) end = text_.size();
      if (end > start) lines.push_back(text_.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

private:
  static void Append(const char *t, std::size_t n, void *ctx) {
    static_cast<std::string *>(ctx)->append(t, n);
  }
  std::string text_;
};

void StartRun(BatchRun *run) {
  InitModelState(&run->state);
  StartUp(&run->state);
  run->messages.clear();
  run->exited = 0;
  for (int n = 0; n < 3; n++) {
    run->contactRan[n] = 0;
    run->contactCode[n] = 0;
  }
}

// Sets the hand pose and the work of a started model, then runs the
// kinematics and the reset as a key of mode H or W would.
void SetPoseAndWork(GraspState *s, double al, double bet, const double *rwG, double aSph) {
  s->alHand = al;
  s->betHand = bet;
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  HandKinematics(s, s->alHand, s->betHand);
  InitGraspState(s);
}

// Applies one key. When it is a contact key that computes a finger, the
// contact result code is taken from the same calculation run beforehand on a
// copy of the model (the interpreter keeps only the count of contacts).
int ApplyKey(BatchRun *run, unsigned char key) {
  GraspState *s = &run->state;
  const int nFinBefore = s->nFin;
  GraspState probe = *s;
  if (KeyboardInterpret(s, key, nullptr, nullptr) == kKeyExit) return kKeyExit;
  if (s->sgnCAL == 'A' && key == kKeyStep && s->nFin != nFinBefore) {
    const int n = s->nFin;
    double along = 0.0;
    probe.nFin = n;
    run->contactRan[n] = 1;
    run->contactCode[n] = VeskSphereContanct(&probe, n, probe.rwG, probe.aSph, &probe.qqf[n][1],
                                             &along, probe.RC[n], probe.NF[n], probe.NW[n]);
  }
  return kKeyHandled;
}

} // namespace

int RunKeys(BatchRun *run, const std::string &keys) {
  StartRun(run);
  ConsoleCollector console;
  for (const char c : keys) {
    if (ApplyKey(run, static_cast<unsigned char>(c)) == kKeyExit) {
      run->exited = 1;
      break;
    }
  }
  run->messages = console.Lines();
  return run->exited;
}

int RunSolve(BatchRun *run, double al, double bet, const double *rwG, double aSph) {
  StartRun(run);
  ConsoleCollector console;
  GraspState *s = &run->state;
  SetPoseAndWork(s, al, bet, rwG, aSph);
  for (const unsigned char key : kSolveKeys) ApplyKey(run, key);
  run->messages = console.Lines();
  return s->cntContact;
}

int SolveGrasp(GraspState *s, const GraspState *start, double al, double bet, const double *rwG,
               double aSph) {
  *s = *start;
  SetPoseAndWork(s, al, bet, rwG, aSph);
  for (const unsigned char key : kSolveKeys) KeyboardInterpret(s, key, nullptr, nullptr);
  return s->cntContact;
}

} // namespace gs
