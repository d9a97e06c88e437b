// Runs a program of the build as a child process and collects what it wrote.
#pragma once

#include <string>
#include <vector>

namespace gs::testing {

// What a finished child process left behind.
struct ProgramOutput {
  std::string out; // standard output
  std::string err; // standard error
  int status;      // exit status, or -1 when it did not exit normally
};

// Runs path with the arguments args (argv[0] is path) and waits for it.
ProgramOutput RunProgram(const std::string &path, const std::vector<std::string> &args);

// The same with input written to the program's standard input, then closed.
ProgramOutput RunProgram(const std::string &path, const std::vector<std::string> &args,
                         const std::string &input);

} // namespace gs::testing
