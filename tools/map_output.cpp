#include "tools/map_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/map_csv.h"
#include "tools/map_picture.h"

namespace gs {

namespace {

using Clock = std::chrono::steady_clock;

// One output file under its temporary name until it is complete.
struct PendingFile {
  std::string path; // final name
  std::string temp; // name while it is written
  std::FILE *file = nullptr;
};

// The signals that end a run by default and that a handler may catch: each
// removes the temporary files, then ends the run as it would have.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];
constexpr std::size_t kTempNameRoom = 4096; // longest temporary name a signal removes, with NUL

constexpr int kMapFiles = 3; // the table, the picture and the record of the command

// What the signal handler may touch: names written before it is installed.
char gTempNames[kMapFiles][kTempNameRoom];

extern "C" void RemoveTempsAndEnd(int sig) {
  for (const char *name : gTempNames)
    if (name[0] != '\0') unlink(name);
  // SA_RESETHAND gave the signal back its default action; it is blocked
  // until this handler returns, and then ends the process
  raise(sig);
}

// Temporary names of the map's files removed by SIGINT, SIGTERM or SIGHUP
// (unless the signal was ignored) while an instance lives.
struct RemovedOnSignal {
  struct sigaction old[kEndingSignalCount];
  int caught[kEndingSignalCount] = {};

  explicit RemovedOnSignal(const std::string *names) {
    for (int k = 0; k < kMapFiles; k++)
      if (names[k].size() < kTempNameRoom)
        std::memcpy(gTempNames[k], names[k].c_str(), names[k].size() + 1);
    struct sigaction act {};
    act.sa_handler = &RemoveTempsAndEnd;
    sigemptyset(&act.sa_mask);
    act.sa_flags = SA_RESETHAND;
    for (int k = 0; k < kEndingSignalCount; k++) {
      if (sigaction(kEndingSignals[k], nullptr, &old[k]) != 0 || old[k].sa_handler == SIG_IGN)
        continue;
      caught[k] = sigaction(kEndingSignals[k], &act, nullptr) == 0 ? 1 : 0;
    }
  }
  ~RemovedOnSignal() {
    for (int k = 0; k < kEndingSignalCount; k++)
      if (caught[k] != 0) sigaction(kEndingSignals[k], &old[k], nullptr);
    for (char *name : gTempNames) name[0] = '\0';
  }
  RemovedOnSignal(const RemovedOnSignal &) = delete;
  RemovedOnSignal &operator=(const RemovedOnSignal &) = delete;
};

// Name of path's file while it is written.
std::string TempName(const std::string &path) {
  return path + "." + std::to_string(static_cast<long>(getpid())) + ".tmp";
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

// Renames the finished files to their final names in order; when one
// fails, takes back those already in place. Returns 1 or 0.
int PutInPlace(PendingFile *files, std::string *error) {
  for (int k = 0; k < kMapFiles; k++) {
    if (std::rename(files[k].temp.c_str(), files[k].path.c_str()) == 0) continue;
    *error = "cannot write " + files[k].path + ": " + std::strerror(errno);
    for (int done = 0; done < k; done++) unlink(files[done].path.c_str());
    return 0;
  }
  return 1;
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
  ok = ok && RunMapSweep(req, threads, csv.file, outcome.data(), shown.data(),
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
