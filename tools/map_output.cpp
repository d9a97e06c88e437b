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

// What the signal handler may touch: names written before it is installed.
char gTempNames[2][kTempNameRoom];

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

  RemovedOnSignal(const std::string &first, const std::string &second) {
    const std::string *names[2] = {&first, &second};
    for (int k = 0; k < 2; k++)
      if (names[k]->size() < kTempNameRoom)
        std::memcpy(gTempNames[k], names[k]->c_str(), names[k]->size() + 1);
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
  const std::string picture = prefix + "." + MapPictureExtension(format);
  PendingFile csv;
  PendingFile png;
  // watched before they exist: no moment when a signal could leave them
  const RemovedOnSignal watch(TempName(prefix + ".csv"), TempName(picture));
  if (OpenPending(&csv, prefix + ".csv", error) == 0) return kMapBadOutput;
  if (OpenPending(&png, picture, error) == 0) {
    Discard(&csv);
    return kMapBadOutput;
  }
  const long total = MapPointCount(req);
  std::vector<unsigned char> outcome(static_cast<std::size_t>(total));
  std::vector<float> margin(static_cast<std::size_t>(total));
  std::string header;
  AppendMapCsvHeader(req, &header);
  int ok = std::fwrite(header.data(), 1, header.size(), csv.file) == header.size() ? 1 : 0;
  Progress state{Clock::now()};
  ok = ok && RunMapSweep(req, threads, csv.file, outcome.data(), margin.data(),
                         progress != 0 ? &ShowProgress : nullptr, &state);
  if (progress != 0) std::fprintf(stderr, "\n");
  if (ok == 0) *error = "cannot write " + csv.path + ": " + std::strerror(errno);
  ok = ok && Finish(&csv, error);
  ok = ok && WriteMapPicture(req, outcome.data(), margin.data(), format, png.file, png.path, error);
  ok = ok && Finish(&png, error);
  if (ok != 0 && std::rename(csv.temp.c_str(), csv.path.c_str()) != 0) {
    *error = "cannot write " + csv.path + ": " + std::strerror(errno);
    ok = 0;
  }
  if (ok != 0 && std::rename(png.temp.c_str(), png.path.c_str()) != 0) {
    // the table is in place but its picture is not: take the table back too
    *error = "cannot write " + png.path + ": " + std::strerror(errno);
    unlink(csv.path.c_str());
    ok = 0;
  }
  if (ok == 0) {
    Discard(&csv);
    Discard(&png);
    return kMapFailed;
  }
  return kMapWritten;
}

} // namespace gs
