#include "tools/map_output.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "graspstat/map_table.h"
#include "graspstat/text.h"
#include "tools/map_picture.h"

namespace gs {

namespace {

// Writes table text to the FILE ctx; returns 1, or 0 when it fell short.
int WriteToFile(const char *text, std::size_t n, void *ctx) {
  return std::fwrite(text, 1, n, static_cast<std::FILE *>(ctx)) == n ? 1 : 0;
}

using Clock = std::chrono::steady_clock;

// One output file under its temporary name until it is complete.
struct PendingFile {
  std::string path; // final name
  std::string temp; // name while it is written
  std::FILE *file = nullptr;
};

// The signals whose default action ends the process (some with a core dump)
// and that a handler may catch: each removes the temporary files, then ends
// the run as it would have. The real-time signals, which end it too, join
// them when the set is made (their numbers are known only at run time).
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};
constexpr std::size_t kTempNameRoom = 4096; // longest temporary name a signal removes, with NUL

constexpr int kMapFiles = 3; // the table, the picture and the record of the command

// What the signal handler may touch: names written before it is installed.
char gTempNames[kMapFiles][kTempNameRoom];

// Fills *set with every signal that ends a run. Returns 1.
int EndingSignalSet(sigset_t *set) {
  sigemptyset(set);
  for (const int sig : kEndingSignals) sigaddset(set, sig);
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; sig++) sigaddset(set, sig);
  return 1;
}

extern "C" void RemoveTempsAndEnd(int sig) {
  for (const char *name : gTempNames)
    if (name[0] != '\0') unlink(name);
  // SA_RESETHAND gave the signal back its default action; it (and every
  // other ending signal) is blocked until this handler returns, and then
  // ends the process
  raise(sig);
}

// Temporary names of the map's files removed by every ending signal while an
// instance lives. A signal keeps its action when it is ignored (the run goes
// on) or already has a handler of the process's own.
struct RemovedOnSignal {
  struct sigaction old[NSIG];
  int caught[NSIG] = {};

  explicit RemovedOnSignal(const std::string *names) {
    for (int k = 0; k < kMapFiles; k++)
      if (names[k].size() < kTempNameRoom)
        std::memcpy(gTempNames[k], names[k].c_str(), names[k].size() + 1);
    struct sigaction act {};
    act.sa_handler = &RemoveTempsAndEnd;
    EndingSignalSet(&act.sa_mask);
    act.sa_flags = SA_RESETHAND;
    for (int sig = 1; sig < NSIG; sig++) {
      if (sigismember(&act.sa_mask, sig) != 1 || sigaction(sig, nullptr, &old[sig]) != 0 ||
          (old[sig].sa_flags & SA_SIGINFO) != 0 || old[sig].sa_handler != SIG_DFL)
        continue;
      caught[sig] = sigaction(sig, &act, nullptr) == 0 ? 1 : 0;
    }
  }
  ~RemovedOnSignal() {
    for (int sig = 1; sig < NSIG; sig++)
      if (caught[sig] != 0) sigaction(sig, &old[sig], nullptr);
    for (char *name : gTempNames) name[0] = '\0';
  }
  RemovedOnSignal(const RemovedOnSignal &) = delete;
  RemovedOnSignal &operator=(const RemovedOnSignal &) = delete;
};

// Name of this process's file beside path: path.PID.ending.
std::string SiblingName(const std::string &path, const char *ending) {
  return path + "." + std::to_string(static_cast<long>(getpid())) + "." + ending;
}

// Name of path's file while it is written.
std::string TempName(const std::string &path) {
  return SiblingName(path, "tmp");
}

// Creates the temporary file of path. Returns 1, or 0 (then *error says why).
int OpenPending(PendingFile *f, const std::string &path, std::string *error) {
  f->path = path;
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    *error = "cannot write " + path + ": it is a directory";
    return 0;
  }
  f->temp = TempName(path);
  const int fd = open(f->temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return 0;
  }
  f->file = fdopen(fd, "wb");
  if (f->file == nullptr) {
    close(fd);
    unlink(f->temp.c_str());
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return 0;
  }
  return 1;
}

// Closes and removes an unfinished file.
void Discard(PendingFile *f) {
  if (f->file != nullptr) std::fclose(f->file);
  f->file = nullptr;
  if (!f->temp.empty()) unlink(f->temp.c_str());
  f->temp.clear();
}

// Closes the file, checking that everything reached it. Returns 1 or 0.
int Finish(PendingFile *f, std::string *error) {
  const int failed = std::ferror(f->file) != 0 ? 1 : 0;
  const int closed = std::fclose(f->file);
  f->file = nullptr;
  if (failed != 0 || closed != 0) {
    *error = "cannot write " + f->path + ": " + std::strerror(errno);
    return 0;
  }
  return 1;
}

// Renames the finished files to their final names, all of them or none.
// Each file they replace is kept under a second name (a hard link,
// PREFIX.csv.PID.old) until every rename has succeeded; when one fails, the
// new files already in place are taken back and the replaced ones put back
// (where the file system has no hard links a replaced file cannot be, and
// its name is left free). The ending signals are held meanwhile: one that
// arrives ends the run once the files are in place, never between two
// renames. Returns 1 or 0 (then *error says why).
int PutInPlace(PendingFile *files, std::string *error) {
  sigset_t ending, before;
  EndingSignalSet(&ending);
  pthread_sigmask(SIG_BLOCK, &ending, &before);
  std::string kept[kMapFiles];
  int keeps[kMapFiles] = {};
  for (int k = 0; k < kMapFiles; k++) {
    kept[k] = SiblingName(files[k].path, "old");
    keeps[k] = link(files[k].path.c_str(), kept[k].c_str()) == 0 ? 1 : 0;
  }
  int placed = 0;
  while (placed < kMapFiles &&
         std::rename(files[placed].temp.c_str(), files[placed].path.c_str()) == 0)
    placed++;
  if (placed < kMapFiles) {
    const int why = errno;
    *error = "cannot write " + files[placed].path + ": " + std::strerror(why);
    for (int k = 0; k < placed; k++) {
      // the replaced file back in its place, or else the new one taken away
      if (keeps[k] == 0 || std::rename(kept[k].c_str(), files[k].path.c_str()) != 0)
        unlink(files[k].path.c_str());
      keeps[k] = 0; // put back, or (should that fail) left under its second name
    }
  }
  for (int k = 0; k < kMapFiles; k++)
    if (keeps[k] != 0) unlink(kept[k].c_str());
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return placed == kMapFiles ? 1 : 0;
}

// Base name of path: what follows its last '/'.
std::string BaseName(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The record of what made the map: its axes, the quantities held fixed, the
// exact check's model (a swept quantity null), the shaded quantity, the
// picture's format and the files, as one JSON object.
std::string MapRecordText(const MapRequest *req, const std::string &csv, const std::string &picture,
                          int format) {
  using Json = nlohmann::ordered_json;
  Json record;
  record["command"] = "map";
  for (const MapAxis *axis : {&req->x, &req->y})
    record[axis == &req->x ? "x" : "y"] = {{"param", MapParamName(axis->param)},
                                           {"from", axis->from},
                                           {"to", axis->to},
                                           {"count", axis->count}};
  record["degrees"] = req->degrees != 0;
  const double pose[kMapMu] = {req->hand[0], req->hand[1], req->work[0],
                               req->work[1], req->work[2], req->radius};
  Json fixed = Json::object();
  for (int p = 0; p < kMapMu; p++)
    if (p != req->x.param && p != req->y.param) fixed[MapParamName(p)] = pose[p];
  record["fixed"] = fixed;
  const ExactModel &m = req->model;
  const double swept[3] = {m.mu, m.rm, m.cap};
  Json model;
  for (int p = kMapMu; p <= kMapCap; p++)
    model[MapParamName(p)] =
        (p == req->x.param || p == req->y.param) ? Json(nullptr) : Json(swept[p - kMapMu]);
  model["FEX"] = {m.FEX[0], m.FEX[1], m.FEX[2]};
  model["MEX"] = {m.MEX[0], m.MEX[1], m.MEX[2]};
  model["contact"] = ContactLawName(m.law);
  record["model"] = model;
  record["show"] = MapShowName(req->show);
  record["format"] = MapPictureExtension(format);
  record["csv"] = BaseName(csv);
  record["picture"] = BaseName(picture);
  return record.dump(2) + "\n";
}

struct Progress {
  Clock::time_point start;
};

// Rewrites the progress line on standard error.
void ShowProgress(long done, long total, void *ctx) {
  const auto *p = static_cast<const Progress *>(ctx);
  const double seconds = std::chrono::duration<double>(Clock::now() - p->start).count();
  const double rate = (seconds > 0.0) ? done / seconds : 0.0;
  const double left = (rate > 0.0) ? (total - done) / rate : 0.0;
  std::fprintf(stderr, "\rmap: %5.1f%%  %.0f points/s  %.0f s left   ",
               100.0 * static_cast<double>(done) / static_cast<double>(total), rate, left);
  std::fflush(stderr);
}

} // namespace

int CheckMapPrefix(const std::string &prefix, std::string *error) {
  const std::string base = BaseName(prefix);
  struct stat st {};
  if (base != "" && base != "." && base != ".." &&
      !(stat(prefix.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
    return 1;
  const std::string inside = prefix + (!prefix.empty() && prefix.back() == '/' ? "" : "/") + "map";
  *error = "--out: '" + EchoText(prefix) + "' names a directory; give a prefix for the files, " +
           "such as '" + EchoText(inside) + "'";
  return 0;
}

int RunMapOutput(const MapRequest *req, int threads, const std::string &prefix, int format,
                 int progress, std::string *error) {
  const std::string paths[kMapFiles] = {prefix + ".csv", prefix + "." + MapPictureExtension(format),
                                        prefix + ".json"};
  const std::string temps[kMapFiles] = {TempName(paths[0]), TempName(paths[1]), TempName(paths[2])};
  PendingFile files[kMapFiles];
  PendingFile &csv = files[0];
  PendingFile &png = files[1];
  PendingFile &record = files[2];
  // watched before they exist: no moment when a signal could leave them
  const RemovedOnSignal watch(temps);
  for (int k = 0; k < kMapFiles; k++) {
    if (OpenPending(&files[k], paths[k], error) != 0) continue;
    for (int done = 0; done < k; done++) Discard(&files[done]);
    return kMapBadOutput;
  }
  const long total = MapPointCount(req);
  std::vector<unsigned char> outcome(static_cast<std::size_t>(total));
  std::vector<float> shown(static_cast<std::size_t>(total));
  std::string header;
  AppendMapCsvHeader(req, &header);
  int ok = std::fwrite(header.data(), 1, header.size(), csv.file) == header.size() ? 1 : 0;
  Progress state{Clock::now()};
  ok = ok && RunMapSweep(req, threads, &WriteToFile, csv.file, outcome.data(), shown.data(),
                         progress != 0 ? &ShowProgress : nullptr, &state);
  if (progress != 0) std::fprintf(stderr, "\n");
  if (ok == 0) *error = "cannot write " + csv.path + ": " + std::strerror(errno);
  ok = ok && Finish(&csv, error);
  ok = ok && WriteMapPicture(req, outcome.data(), shown.data(), format, png.file, png.path, error);
  ok = ok && Finish(&png, error);
  if (ok != 0) {
    const std::string text = MapRecordText(req, csv.path, png.path, format);
    const int whole = std::fwrite(text.data(), 1, text.size(), record.file) == text.size();
    if (whole == 0) *error = "cannot write " + record.path + ": " + std::strerror(errno);
    ok = Finish(&record, error) && whole;
  }
  // all or none in place: a table is never left without its picture and record
  ok = ok && PutInPlace(files, error);
  if (ok == 0) {
    for (PendingFile &f : files) Discard(&f);
    return kMapFailed;
  }
  return kMapWritten;
}

} // namespace gs
