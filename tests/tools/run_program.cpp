#include "tools/run_program.h"

#include <cerrno>
#include <csignal>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gs::testing {

ProgramOutput RunProgram(const std::string &path, const std::vector<std::string> &args) {
  return RunProgram(path, args, "");
}

ProgramOutput RunProgram(const std::string &path, const std::vector<std::string> &args,
                         const std::string &input) {
  ProgramOutput result{"", "", -1};
  int inPipe[2];
  int outPipe[2];
  int errPipe[2];
  if (pipe(inPipe) != 0) return result;
  if (pipe(outPipe) != 0) {
    close(inPipe[0]);
    close(inPipe[1]);
    return result;
  }
  if (pipe(errPipe) != 0) {
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1]}) close(fd);
    return result;
  }
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(path.c_str()));
  for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(inPipe[0]);
    close(inPipe[1]);
    close(outPipe[0]);
    close(outPipe[1]);
    close(errPipe[0]);
    close(errPipe[1]);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
  }
  signal(SIGPIPE, SIG_IGN); // a child that stops reading must not end the test
  // feed the input and read both pipes as they fill, so none blocks the child
  pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
  std::size_t fed = 0;
  if (input.empty()) {
    close(inPipe[1]);
    fds[2].fd = -1;
  }
  std::string *sinks[2] = {&result.out, &result.err};
  int open = 2;
  char buf[4096];
  while (open > 0) {
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      // at most one pipe buffer page: a write that fits never blocks
      const std::size_t part = (input.size() - fed < sizeof buf) ? input.size() - fed : sizeof buf;
      const ssize_t n = write(fds[2].fd, input.data() + fed, part);
      if (n > 0) fed += static_cast<std::size_t>(n);
      if (n <= 0 || fed == input.size()) {
        close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
    for (int i = 0; i < 2; i++) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        open--;
      }
    }
  }
  if (fds[2].fd >= 0) close(fds[2].fd);
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

} // namespace gs::testing
