// graspstat-batch: the tool's calculations run headless from the command
// line, with the resulting model printed as one JSON object.
//
//   graspstat-batch keys SEQUENCE | -
//   graspstat-batch solve --hand AL,BET --work X,Y,Z --radius R [--deg]
//   graspstat-batch solve --stdin [--deg]
//   graspstat-batch map --x PARAM:FROM:TO:COUNT --y PARAM:FROM:TO:COUNT
//                       [--hand AL,BET] [--work X,Y,Z] [--radius R] [--deg]
//                       [--threads N] [--format png|svg|pdf] --out PREFIX
//   graspstat-batch --trace NAME[,NAME...] COMMAND ...   (narration on stderr)
//
// Every bad input ends with one line on standard error and exit status 2,
// with nothing on standard output; a streaming solve reports each malformed
// line, goes on with the rest and exits with status 2 at the end.
#include <unistd.h>

#include <iostream>
#include <iterator>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>

#include "tools/batch_run.h"
#include "tools/key_sequence.h"
#include "tools/map_output.h"
#include "tools/map_picture.h"
#include "tools/number_list.h"
#include "tools/solve_stream.h"
#include "tools/state_json.h"
#include "tools/trace_option.h"

namespace {

constexpr int kExitBadInput = 2;
constexpr const char *kProgram = "graspstat-batch";
constexpr int kMaxThreads = 256; // most threads a map may ask for

// A CLI11 check that text is count comma-separated finite numbers.
CLI::Validator NumberList(int count, const std::string &shape) {
  return CLI::Validator(
      [count](std::string &text) {
        double values[3];
        std::string error;
        return gs::ParseNumberList(text, count, values, &error) != 0 ? std::string() : error;
      },
      shape);
}

// A CLI11 check that text is a swept quantity PARAM:FROM:TO:COUNT.
CLI::Validator MapAxisText() {
  return CLI::Validator(
      [](std::string &text) {
        gs::MapAxis axis{};
        std::string error;
        return gs::ParseMapAxis(text, &axis, &error) != 0 ? std::string() : error;
      },
      "PARAM:FROM:TO:COUNT");
}

// A CLI11 check that text is a key sequence with valid escapes.
CLI::Validator KeySequence() {
  return CLI::Validator(
      [](std::string &text) {
        std::string keys;
        std::string error;
        return gs::ParseKeySequence(text, &keys, &error) != 0 ? std::string() : error;
      },
      "SEQUENCE");
}

int BadInput(const std::string &what) {
  std::cerr << kProgram << ": " << what << '\n';
  return kExitBadInput;
}

// Prints the run's object one key per line, each value on one line.
void PrintRun(const gs::BatchRun *run, int withContacts) {
  const auto replace = nlohmann::ordered_json::error_handler_t::replace;
  const nlohmann::ordered_json j = gs::BatchRunJson(run, withContacts);
  std::string text = "{";
  const char *sep = "\n";
  for (const auto &item : j.items()) {
    text += sep;
    text += "  " + nlohmann::ordered_json(item.key()).dump() + ": " +
            item.value().dump(-1, ' ', false, replace);
    sep = ",\n";
  }
  text += "\n}\n";
  std::cout << text;
}

} // namespace

int main(int argc, char **argv) {
  CLI::App app{"Runs the grasp calculations headless and prints the model as JSON.", kProgram};
  app.require_subcommand(1);

  std::string trace;
  app.add_option("--trace", trace,
                 "narrate these routines on standard error, pauses answered at once "
                 "(all = every routine, help = list them)")
      ->check(CLI::Validator(
          [](std::string &text) {
            int levels[gs::kTraceCount];
            std::string error;
            return gs::ParseTraceNames(text, levels, &error) != 0 ? std::string() : error;
          },
          "NAME[,NAME...]"))
      ->each([](const std::string &text) {
        if (text != "help") return;
        std::cout << gs::TraceNameList();
        throw CLI::Success();
      });

  std::string sequence;
  CLI::App *keys = app.add_subcommand(
      "keys", "Feed SEQUENCE to the key interpreter (\\e = ESC, \\\\ = '\\', \\xHH = byte)");
  keys->add_option("SEQUENCE", sequence,
                   "keys typed after start-up; - reads them from standard input")
      ->required()
      ->check(KeySequence());

  std::string hand;
  std::string work;
  std::string radius;
  bool degrees = false;
  bool fromStdin = false;
  CLI::App *solve = app.add_subcommand(
      "solve", "Contacts of both fingers and the grasp statics for one hand pose and work");
  CLI::Option *handOpt = solve->add_option("--hand", hand, "hand angles about X and Y (rad)")
                             ->check(NumberList(2, "AL,BET"));
  CLI::Option *workOpt =
      solve->add_option("--work", work, "work centre")->check(NumberList(3, "X,Y,Z"));
  CLI::Option *radiusOpt = solve->add_option("--radius", radius, "work radius (not negative)")
                               ->check(NumberList(1, "R"));
  solve->add_flag("--deg", degrees, "hand angles in degrees");
  solve
      ->add_flag("--stdin", fromStdin,
                 "one pose 'AL BET X Y Z R' per line from standard input, one JSON line each")
      ->excludes(handOpt)
      ->excludes(workOpt)
      ->excludes(radiusOpt);

  std::string mapX;
  std::string mapY;
  std::string mapHand = "0,0";
  std::string mapWork = "0,80,0";
  std::string mapRadius = "50";
  std::string mapOut;
  int threads = static_cast<int>(std::thread::hardware_concurrency());
  bool mapDegrees = false;
  CLI::App *map = app.add_subcommand(
      "map",
      "Whole grasps over a grid of two quantities, to PREFIX.csv and PREFIX.png (.svg, .pdf)");
  map->add_option("--x", mapX, "quantity along x: alHand, betHand, x, y, z or aSph")
      ->required()
      ->check(MapAxisText());
  map->add_option("--y", mapY, "quantity along y, not the one along x")
      ->required()
      ->check(MapAxisText());
  map->add_option("--hand", mapHand, "fixed hand angles (rad; default 0,0)")
      ->check(NumberList(2, "AL,BET"));
  map->add_option("--work", mapWork, "fixed work centre (default 0,80,0)")
      ->check(NumberList(3, "X,Y,Z"));
  map->add_option("--radius", mapRadius, "fixed work radius (default 50)")
      ->check(NumberList(1, "R"));
  map->add_flag("--deg", mapDegrees, "hand angles, fixed and swept, in degrees");
  map->add_option("--threads", threads, "threads (default: all cores)")
      ->check(CLI::Range(1, kMaxThreads));
  map->add_option("--out", mapOut, "output prefix")->required();
  std::string mapFormat = "png";
  map->add_option("--format", mapFormat, "picture format: png, svg or pdf (default png)")
      ->check(CLI::IsMember({"png", "svg", "pdf"}));

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::Success &) {
    return 0; // --trace help
  } catch (const CLI::ParseError &e) {
    if (app.get_subcommands().empty()) {
      // CLI11 would only say that a command is required
      if (argc < 2) return BadInput("missing command (use keys, solve or map)");
      const std::string first = argv[1];
      if (first[0] == '-')
        return BadInput("unknown option '" + first + "' (use keys, solve or map)");
      return BadInput("unknown command '" + first + "' (use keys, solve or map)");
    }
    return BadInput(e.what());
  }

  gs::BatchRun run{};
  std::string error;
  if (keys->parsed()) {
    std::string codes;
    if (sequence == "-") {
      // the whole of standard input; the line end closing its last line is no key
      sequence.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
      if (!sequence.empty() && sequence.back() == '\n') sequence.pop_back();
      if (!sequence.empty() && sequence.back() == '\r') sequence.pop_back();
      if (gs::ParseKeySequence(sequence, &codes, &error) == 0)
        return BadInput("standard input: " + error);
    } else {
      gs::ParseKeySequence(sequence, &codes, &error);
    }
    gs::NarrateOnStderr(trace, [&](gs::BatchRun *r) { gs::RunKeys(r, codes); });
    gs::RunKeys(&run, codes);
    PrintRun(&run, 0);
    return 0;
  }

  if (map->parsed()) {
    gs::MapRequest req{};
    gs::ParseMapAxis(mapX, &req.x, &error);
    gs::ParseMapAxis(mapY, &req.y, &error);
    gs::ParseNumberList(mapHand, 2, req.hand, &error);
    gs::ParseNumberList(mapWork, 3, req.work, &error);
    gs::ParseNumberList(mapRadius, 1, &req.radius, &error);
    req.degrees = mapDegrees ? 1 : 0;
    if (mapOut.empty()) return BadInput("--out: the output prefix must not be empty");
    if (gs::CheckMapRequest(&req, &error) == 0) return BadInput(error);
    const int shown = isatty(STDERR_FILENO) != 0 ? 1 : 0;
    const int format = mapFormat == "svg"   ? gs::kMapSvg
                       : mapFormat == "pdf" ? gs::kMapPdf
                                            : gs::kMapPng;
    const int result =
        gs::RunMapOutput(&req, threads < 1 ? 1 : threads, mapOut, format, shown, &error);
    if (result != gs::kMapWritten) std::cerr << kProgram << ": " << error << '\n';
    return result;
  }

  if (fromStdin) {
    const int bad = gs::SolveStream(std::cin, std::cout, std::cerr, degrees ? 1 : 0, kProgram);
    return (bad > 0) ? kExitBadInput : 0;
  }
  for (const CLI::Option *opt : {handOpt, workOpt, radiusOpt})
    if (opt->count() == 0) return BadInput(opt->get_name() + " is required (or give --stdin)");

  double angles[2];
  double centre[3];
  double r = 0.0;
  gs::ParseNumberList(hand, 2, angles, &error);
  gs::ParseNumberList(work, 3, centre, &error);
  gs::ParseNumberList(radius, 1, &r, &error);
  if (r < 0.0) return BadInput("--radius: the work radius must not be negative");
  if (degrees) {
    angles[0] *= gs::kRadPerDeg;
    angles[1] *= gs::kRadPerDeg;
  }
  gs::NarrateOnStderr(trace,
                      [&](gs::BatchRun *n) { gs::RunSolve(n, angles[0], angles[1], centre, r); });
  gs::RunSolve(&run, angles[0], angles[1], centre, r);
  PrintRun(&run, 1);
  return 0;
}
