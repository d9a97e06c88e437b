// graspstat-batch: the tool's calculations run headless from the command
// line, with the resulting model printed as one JSON object.
//
//   graspstat-batch keys SEQUENCE | - [MODEL]
//   graspstat-batch solve --hand AL,BET --work X,Y,Z --radius R [--deg] [MODEL]
//   graspstat-batch solve --stdin [--deg] [MODEL]
//   graspstat-batch map --x PARAM:FROM:TO:COUNT --y PARAM:FROM:TO:COUNT
//                       [--hand AL,BET] [--work X,Y,Z] [--radius R] [--deg]
//                       [--threads N] [--format png|svg|pdf]
//                       [--show margin|capacity|muNeeded|epsilon] [MODEL] --out PREFIX
//   graspstat-batch --trace NAME[,NAME...] COMMAND ...   (narration on stderr)
//   graspstat-batch [COMMAND] --help | -h,  graspstat-batch --version
//
// MODEL is the exact check's model: [--mu M] [--rm R] [--cap C]
// [--fex X,Y,Z] [--mex X,Y,Z] [--contact soft|point|elliptic].
//
// Every bad input ends with one line on standard error and exit status 2,
// with nothing on standard output; a streaming solve answers each malformed
// line on both, goes on with the rest and exits with status 2 at the end.
// Output that cannot be written (full device, closed standard output, a
// reader gone away) ends the run at once with one line on standard error
// and exit status 1.
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "graspstat/grasp.h"
#include "graspstat/keys.h"
#include "graspstat/numbers.h"
#include "graspstat/quality.h"
#include "graspstat/state.h"
#include "graspstat/text.h"
#include "tools/checked_output.h"
#include "tools/map_output.h"
#include "tools/map_picture.h"
#include "tools/model_options.h"
#include "tools/quality_stream.h"
#include "tools/solve_stream.h"
#include "tools/state_json.h"
#include "tools/trace_option.h"

namespace {

constexpr int kExitWriteFailed = 1;
constexpr int kExitBadInput = 2;
constexpr const char *kProgram = "graspstat-batch";
constexpr const char *kCommands = "keys, solve or map";
constexpr int kMaxThreads = 256; // most threads a map may ask for

// Everything the command line says, each value read once, as its option is
// parsed.
constexpr long long kMaxRobustSamples = 1000000; // most perturbed grasps per grasp
constexpr long long kMaxSeed = 9007199254740991; // largest seed (2^53 - 1: exact in JSON)

struct Options {
  std::string trace;                // --trace names ("": no narration)
  std::string sequence;             // keys: SEQUENCE as given ("-": from standard input)
  std::string keys;                 // keys: its key codes
  double hand[2] = {0.0, 0.0};      // solve: hand angles as given
  double work[3] = {0.0, 0.0, 0.0}; // solve: work centre
  double radius = 0.0;              // solve: work radius
  bool degrees = false;             // solve: hand angles in degrees
  bool fromStdin = false;           // solve: poses from standard input
  gs::MapRequest map{};             // map: axes and fixed values
  bool mapDegrees = false;          // map: hand angles in degrees
  int threads = 1;                  // map: threads
  std::string out;                  // map: output prefix
  gs::ExactModel model = gs::kDefaultExactModel; // keys, solve: the exact check's model
  gs::QualityRequest quality{};                  // quality: model, torque scale, noise
};

using Reader = std::function<int(const std::string &, std::string *)>;

// Adds an option whose text read reads once (1, or 0 with the reason); a
// refusal becomes the parser's error under the option's name.
CLI::Option *AddRead(CLI::App *cmd, const std::string &name, const std::string &shape,
                     const std::string &help, const Reader &read) {
  return cmd
      ->add_option_function<std::string>(
          name,
          [name, read](const std::string &text) {
            std::string error;
            if (read(text, &error) == 0) throw CLI::ValidationError(name, error);
          },
          help)
      ->type_name(shape);
}

// Reads count comma-separated finite numbers into out.
Reader Numbers(int count, double *out) {
  return [count, out](const std::string &text, std::string *error) {
    return gs::ParseNumberList(text, count, out, error);
  };
}

// Reads a number into out, refusing a negative one (positive: also zero).
Reader NotNegative(double *out, int positive, const char *what) {
  return [out, positive, what](const std::string &text, std::string *error) {
    if (gs::ParseNumberList(text, 1, out, error) == 0) return 0;
    if (positive != 0 ? *out > 0.0 : *out >= 0.0) return 1;
    *error = std::string(what) + (positive != 0 ? " must be > 0" : " must not be negative");
    return 0;
  };
}

// Reads a whole number from 0 to most into out.
Reader WholeNumber(long long *out, long long most) {
  return [out, most](const std::string &text, std::string *error) {
    const char *end = text.data() + text.size();
    const std::from_chars_result r = std::from_chars(text.data(), end, *out);
    if (r.ec == std::errc() && r.ptr == end && *out >= 0 && *out <= most) return 1;
    *error = "want a whole number from 0 to " + std::to_string(most) + ", got '" +
             gs::EchoText(text) + "'";
    return 0;
  };
}

// Reads a work radius into out, refusing a negative one.
Reader Radius(double *out) {
  return [out](const std::string &text, std::string *error) {
    if (gs::ParseNumberList(text, 1, out, error) == 0) return 0;
    if (*out >= 0.0) return 1;
    *error = "the work radius must not be negative";
    return 0;
  };
}

int IsCommand(const std::string &word) {
  return (word == "keys" || word == "solve" || word == "map" || word == "quality") ? 1 : 0;
}

// How many times argv names the option name (alone or as name=VALUE).
int TimesGiven(int argc, char **argv, const std::string &name) {
  int n = 0;
  for (int i = 1; i < argc; i++)
    if (argv[i] == name || std::strncmp(argv[i], (name + "=").c_str(), name.size() + 1) == 0) n++;
  return n;
}

// The parser's refusal e in the tool's words. cmd is the command given
// (nullptr: none).
std::string RefusalText(const CLI::ParseError &e, const CLI::App *cmd, const CLI::App &app,
                        int argc, char **argv) {
  const std::string what = e.what();
  const std::string help = std::string(kProgram) + (cmd ? " " + cmd->get_name() : "") + " --help";
  const std::vector<std::string> rest = app.remaining(true);
  const std::string first = rest.empty() ? std::string() : rest.front();
  const bool extra = dynamic_cast<const CLI::ExtrasError *>(&e) != nullptr;
  const bool noCommand = cmd == nullptr && dynamic_cast<const CLI::RequiredError *>(&e) != nullptr;
  if (argc < 2 || (noCommand && first.empty()))
    return "missing command (use " + std::string(kCommands) + "; " + help + " explains them)";
  if (extra || noCommand) {
    const std::string echo = "'" + gs::EchoText(first) + "'";
    if (cmd == nullptr && !first.empty() && first[0] != '-')
      return "unknown command " + echo + " (use " + kCommands + ")";
    const std::string in = (cmd != nullptr) ? " for " + cmd->get_name() : "";
    if (!first.empty() && first[0] == '-')
      return "unknown option " + echo + in + " (" + help + " lists the options)";
    return "unexpected argument " + echo + in + " (" + help + " shows the usage)";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch *>(&e) != nullptr) {
    // the parser names the option before a colon
    const std::string name = what.substr(0, what.find(':'));
    if (TimesGiven(argc, argv, name) > 1) return name + " is given more than once";
    const CLI::Option *opt = (cmd != nullptr) ? cmd->get_option_no_throw(name) : nullptr;
    if (opt == nullptr) opt = app.get_option_no_throw(name);
    const std::string shape = (opt != nullptr) ? " " + opt->get_type_name() : std::string();
    return name + " needs a value" + shape;
  }
  if (dynamic_cast<const CLI::ExcludesError *>(&e) != nullptr)
    return "--stdin reads the poses from standard input: give no --hand, --work or --radius";
  return what;
}

int BadInput(const std::string &what) {
  std::cerr << kProgram << ": " << gs::OneLineText(what) << '\n';
  return kExitBadInput;
}

// Writes text to standard output and flushes it; returns 0, or exit
// status 1 after one line on standard error when the write failed.
int Print(const std::string &text) {
  const int failed = gs::WriteChecked(std::cout, text, 1);
  if (failed == 0) return 0;
  std::cerr << gs::WriteFailureLine(kProgram, "standard output", failed);
  return kExitWriteFailed;
}

// Prints the run's object one key per line, each value on one line.
int PrintRun(const gs::BatchRun *run, int withContacts) {
  std::string text;
  gs::AppendBatchRunJson(run, withContacts, gs::kJsonKeyPerLine, &text);
  return Print(text);
}

// What main keeps of the commands it declares, to tell which one was given.
struct Commands {
  CLI::App *keys = nullptr, *solve = nullptr, *map = nullptr, *quality = nullptr;
  long long samples = 0, seed = 0;               // quality: robust samples and their seed
  long long proofBoxes = gs::kEpsilonProofBoxes; // quality: boxes proving each epsilon's bound
  CLI::Option *hand = nullptr, *work = nullptr, *radius = nullptr; // solve's pose options
  std::string mapFormat = "png";
};

// Declares --trace, the narration of chosen routines on standard error.
void AddTraceOption(CLI::App &app, Options &o) {
  AddRead(&app, "--trace", "NAME[,NAME...]",
          "narrate these routines on standard error, pauses answered at once "
          "(all = every routine, help = list them)",
          [&o](const std::string &text, std::string *error) {
            int levels[gs::kTraceCount];
            if (text == "help") {
              std::cout << gs::TraceNameList();
              throw CLI::Success();
            }
            if (IsCommand(text) != 0) {
              *error =
                  "'" + text + "' is a command; routine names come first (--trace help lists them)";
              return 0;
            }
            o.trace = text;
            return gs::ParseTraceNames(text, levels, error);
          });
}

// Declares the keys command: a key sequence after start-up.
void AddKeysCommand(CLI::App &app, Options &o, Commands *c) {
  c->keys = app.add_subcommand(
      "keys", "Feed SEQUENCE to the key interpreter (\\e = ESC, \\\\ = '\\', \\xHH = byte)");
  AddRead(c->keys, "SEQUENCE", "SEQUENCE",
          "keys typed after start-up; - reads them from standard input",
          [&o](const std::string &text, std::string *error) {
            o.sequence = text;
            return (text == "-") ? 1 : gs::ParseKeySequence(text, &o.keys, error);
          })
      ->required();
  gs::AddModelOptions(c->keys, &o.model);
}

// Declares the solve command: one pose from the options, or many from
// standard input.
void AddSolveCommand(CLI::App &app, Options &o, Commands *c) {
  c->solve = app.add_subcommand(
      "solve", "Contacts of both fingers and the grasp statics for one hand pose and work");
  c->hand =
      AddRead(c->solve, "--hand", "AL,BET", "hand angles about X and Y (rad)", Numbers(2, o.hand));
  c->work = AddRead(c->solve, "--work", "X,Y,Z", "work centre", Numbers(3, o.work));
  c->radius = AddRead(c->solve, "--radius", "R", "work radius (not negative)", Radius(&o.radius));
  c->solve->add_flag("--deg", o.degrees, "hand angles in degrees (9 degrees = one hand key press)");
  c->solve
      ->add_flag("--stdin", o.fromStdin,
                 "one pose 'AL BET X Y Z R' per line from standard input, one JSON line each")
      ->excludes(c->hand)
      ->excludes(c->work)
      ->excludes(c->radius);
  gs::AddModelOptions(c->solve, &o.model);
}

// Declares the map command: whole grasps over a grid of two quantities.
void AddMapCommand(CLI::App &app, Options &o, Commands *c) {
  // the map's fixed values default to the model as the window starts
  gs::GraspState start;
  gs::InitModelState(&start);
  gs::StartUp(&start);
  gs::MapRequest &req = o.map;
  req.hand[0] = start.alHand;
  req.hand[1] = start.betHand;
  for (int i = 0; i < 3; i++) req.work[i] = start.rwG[i];
  req.radius = start.aSph;
  req.model = start.exactModel;
  o.threads = static_cast<int>(std::thread::hardware_concurrency());
  c->map = app.add_subcommand(
      "map",
      "Whole grasps over a grid of two quantities, to PREFIX.csv and PREFIX.png (.svg, .pdf)");
  AddRead(c->map, "--x", "PARAM:FROM:TO:COUNT",
          "quantity along x: alHand, betHand, x, y, z, aSph, mu, rm or cap",
          [&req](const std::string &text, std::string *error) {
            return gs::ParseMapAxis(text, &req.x, error);
          })
      ->required();
  AddRead(c->map, "--y", "PARAM:FROM:TO:COUNT", "quantity along y, not the one along x",
          [&req](const std::string &text, std::string *error) {
            return gs::ParseMapAxis(text, &req.y, error);
          })
      ->required();
  AddRead(c->map, "--hand", "AL,BET",
          "fixed hand angles (rad; default " + gs::NumberListText(req.hand, 2) + ")",
          Numbers(2, req.hand));
  AddRead(c->map, "--work", "X,Y,Z",
          "fixed work centre (default " + gs::NumberListText(req.work, 3) + ")",
          Numbers(3, req.work));
  AddRead(c->map, "--radius", "R",
          "fixed work radius (default " + gs::NumberListText(&req.radius, 1) + ")",
          Radius(&req.radius));
  c->map->add_flag("--deg", o.mapDegrees, "hand angles, fixed and swept, in degrees");
  AddRead(c->map, "--threads", "N", "threads (default: all cores)",
          [&o](const std::string &text, std::string *error) {
            const char *end = text.data() + text.size();
            const std::from_chars_result r = std::from_chars(text.data(), end, o.threads);
            if (r.ec == std::errc() && r.ptr == end && o.threads >= 1 && o.threads <= kMaxThreads)
              return 1;
            *error = "want a whole number from 1 to " + std::to_string(kMaxThreads) + ", got '" +
                     gs::EchoText(text) + "'";
            return 0;
          });
  c->map->add_option("--out", o.out, "output prefix")->required();
  c->map->add_option("--format", c->mapFormat, "picture format: png, svg or pdf (default png)")
      ->check(CLI::IsMember({"png", "svg", "pdf"}));
  AddRead(c->map, "--show", "margin|capacity|muNeeded|epsilon",
          "what the picture's second panel shades (default margin)",
          [&req](const std::string &text, std::string *error) {
            req.show = gs::MapShowFromName(text);
            if (req.show >= 0) return 1;
            *error = "'" + gs::EchoText(text) +
                     "' is no shaded quantity (use margin, capacity, muNeeded or "
                     "epsilon)";
            return 0;
          });
  gs::AddModelOptions(c->map, &req.model);
}

// Declares the quality command: grasps of two contacts given anywhere, one
// per line of standard input.
void AddQualityCommand(CLI::App &app, Options &o, Commands *c) {
  c->quality = app.add_subcommand(
      "quality", "Exact check and epsilon of two-contact grasps 'P1 N1 P2 N2 [C]', one a line");
  bool fromStdin = false;
  c->quality->add_flag("--stdin", fromStdin, "grasps from standard input (the only source)")
      ->required();
  gs::QualityRequest &q = o.quality;
  AddRead(c->quality, "--torque-scale", "R",
          "length dividing the moments (default: the farther contact from C)",
          NotNegative(&q.torqueScale, 1, "the torque scale"));
  AddRead(c->quality, "--samples", "N", "perturbed grasps of the robust measures (default 0)",
          WholeNumber(&c->samples, kMaxRobustSamples));
  AddRead(c->quality, "--sigma-point", "S", "deviation of the contact points (length)",
          NotNegative(&q.robust.sigmaPoint, 0, "sigma"));
  AddRead(c->quality, "--sigma-normal", "S", "deviation of the normals (rad)",
          NotNegative(&q.robust.sigmaNormal, 0, "sigma"));
  AddRead(c->quality, "--sigma-mu", "S", "relative deviation of mu",
          NotNegative(&q.robust.sigmaMu, 0, "sigma"));
  AddRead(c->quality, "--seed", "K", "seed of the perturbations (default 0)",
          WholeNumber(&c->seed, kMaxSeed));
  AddRead(c->quality, "--proof-boxes", "N",
          "boxes per form proving each epsilon's lower bound (default 200000; 0: the search's "
          "value with the first covering's bound, far faster)",
          WholeNumber(&c->proofBoxes, gs::kMaxEpsilonProofBoxes));
  AddRead(c->quality, "--epsilon", "FORMS",
          "epsilon forms answered: both (default), inf, one or none (the exact check alone, "
          "for labelling many grasps by holding and force closure)",
          [&q](const std::string &text, std::string *error) {
            q.forms = gs::EpsilonFormsFromName(text.c_str());
            if (q.forms >= 0) return 1;
            *error =
                "'" + gs::EchoText(text) + "' names no epsilon forms (use both, inf, one or none)";
            return 0;
          });
  gs::AddModelOptions(c->quality, &q.model);
}

// Runs the quality command; returns the exit status.
int RunQualityCommand(Options &o, const Commands &c) {
  std::string error;
  if (gs::CheckModelOptions(&o.quality.model, &error) == 0) return BadInput(error);
  o.quality.program = kProgram;
  o.quality.robust.samples = static_cast<int>(c.samples);
  o.quality.robust.seed = static_cast<std::uint64_t>(c.seed);
  o.quality.proofBoxes = static_cast<int>(c.proofBoxes);
  long malformed = 0;
  const int failed = gs::QualityStream(std::cin, std::cout, std::cerr, o.quality, &malformed);
  if (failed != 0) {
    std::cerr << gs::WriteFailureLine(kProgram, "standard output", failed);
    return kExitWriteFailed;
  }
  return (malformed > 0) ? kExitBadInput : 0;
}

// Runs the keys command; returns the exit status.
int RunKeysCommand(Options &o) {
  gs::BatchRun run{};
  std::string error;
  if (o.sequence == "-") {
    // the whole of standard input; the line end closing its last line is no key
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    gs::TrimLineEnd(&text);
    if (gs::ParseKeySequence(text, &o.keys, &error) == 0)
      return BadInput("standard input: " + error);
  }
  gs::NarrateOnStderr(o.trace, [&](gs::BatchRun *r) { gs::RunKeys(r, o.keys, &o.model); });
  gs::RunKeys(&run, o.keys, &o.model);
  return PrintRun(&run, 0);
}

// Runs the map command; returns the exit status.
int RunMapCommand(Options &o, const Commands &c) {
  gs::MapRequest &req = o.map;
  std::string error;
  const std::string &mapFormat = c.mapFormat;
  req.degrees = o.mapDegrees ? 1 : 0;
  if (o.out.empty()) return BadInput("--out: the output prefix must not be empty");
  if (gs::CheckMapPrefix(o.out, &error) == 0) return BadInput(error);
  if (gs::CheckModelOptions(&req.model, &error) == 0) return BadInput(error);
  if (gs::CheckMapRequest(&req, &error) == 0) return BadInput(error);
  const int shown = isatty(STDERR_FILENO) != 0 ? 1 : 0;
  const int format = mapFormat == "svg"   ? gs::kMapSvg
                     : mapFormat == "pdf" ? gs::kMapPdf
                                          : gs::kMapPng;
  const int result =
      gs::RunMapOutput(&req, o.threads < 1 ? 1 : o.threads, o.out, format, shown, &error);
  if (result != gs::kMapWritten) std::cerr << kProgram << ": " << gs::OneLineText(error) << '\n';
  return result;
}

// Runs the solve command, on one pose or on the poses of standard input;
// returns the exit status.
int RunSolveCommand(Options &o, const Commands &c) {
  gs::BatchRun run{};
  if (o.fromStdin) {
    const gs::StreamRequest stream{o.degrees ? 1 : 0, o.trace, kProgram, o.model};
    long malformed = 0;
    const int failed = gs::SolveStream(std::cin, std::cout, std::cerr, stream, &malformed);
    if (failed != 0) {
      std::cerr << gs::WriteFailureLine(kProgram, "standard output", failed);
      return kExitWriteFailed;
    }
    return (malformed > 0) ? kExitBadInput : 0;
  }
  for (const CLI::Option *opt : {c.hand, c.work, c.radius})
    if (opt->count() == 0) return BadInput(opt->get_name() + " is required (or give --stdin)");

  double al = o.hand[0];
  double bet = o.hand[1];
  if (o.degrees) {
    al = gs::HandDegreesToRad(al);
    bet = gs::HandDegreesToRad(bet);
  }
  gs::NarrateOnStderr(
      o.trace, [&](gs::BatchRun *n) { gs::RunSolve(n, al, bet, o.work, o.radius, &o.model); });
  gs::RunSolve(&run, al, bet, o.work, o.radius, &o.model);
  return PrintRun(&run, 1);
}

} // namespace

int main(int argc, char **argv) {
  // standard input and output get buffers of their own: a stream knows how
  // much input waits, and every write failure reaches std::cout
  std::ios::sync_with_stdio(false);

  Options o;
  CLI::App app{"Runs the grasp calculations headless and prints the model as JSON.", kProgram};
  app.require_subcommand(1);
  app.fallthrough(); // --trace after the command too
  app.set_version_flag("--version", std::string(kProgram) + " " + GRASPSTAT_VERSION);
  Commands c;
  AddTraceOption(app, o);
  AddKeysCommand(app, o, &c);
  AddSolveCommand(app, o, &c);
  AddMapCommand(app, o, &c);
  AddQualityCommand(app, o, &c);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    return Print(app.help());
  } catch (const CLI::CallForVersion &e) {
    return Print(std::string(e.what()) + "\n");
  } catch (const CLI::Success &) {
    return Print(""); // --trace help
  } catch (const CLI::ParseError &e) {
    const std::vector<CLI::App *> given = app.get_subcommands();
    return BadInput(RefusalText(e, given.empty() ? nullptr : given.front(), app, argc, argv));
  }

  std::string error;
  if ((c.keys->parsed() || c.solve->parsed()) && gs::CheckModelOptions(&o.model, &error) == 0)
    return BadInput(error);
  if (c.keys->parsed()) return RunKeysCommand(o);
  if (c.map->parsed()) return RunMapCommand(o, c);
  if (c.quality->parsed()) return RunQualityCommand(o, c);
  return RunSolveCommand(o, c);
}
