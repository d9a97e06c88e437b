#include "tools/batch_run.h"

#include "app/keyboard.h"
#include "app/sequence.h"
#include "app/trace.h"
#include "geom/vecmat.h"
#include "hand/kinematics.h"

namespace gs {

namespace {

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
}

// Applies one key; returns kKeyExit when it ends the run.
int ApplyKey(BatchRun *run, unsigned char key) {
  return KeyboardInterpret(&run->state, key, nullptr, nullptr);
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
  s->alHand = al;
  s->betHand = bet;
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  HandKinematics(s, s->alHand, s->betHand);
  InitGraspState(s);
  for (const unsigned char key : {'A', 's', 's', 'S', 's'}) ApplyKey(run, key);
  run->messages = console.Lines();
  return s->cntContact;
}

} // namespace gs
