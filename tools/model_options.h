// The exact check's model on a command line: friction coefficient, moment
// radius, force cap, required force and moment, contact law. Any command
// that runs the exact check registers the same six options.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "graspstat/model.h"

namespace gs {

// Registers --mu M, --rm R, --cap C, --fex X,Y,Z, --mex X,Y,Z and --contact
// soft|point|elliptic on cmd, each read into *model as it is parsed; *model
// keeps its values for the options not given. A value that is no finite
// number, or that the model refuses on its own, is the parser's error under
// the option's name.
void AddModelOptions(CLI::App *cmd, ExactModel *model);

// Checks the whole model as the options left it. Returns 1 when it is
// usable, else 0 with *error naming the option(s) and what is wrong.
int CheckModelOptions(const ExactModel *model, std::string *error);

} // namespace gs
