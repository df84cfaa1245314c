// Times movie players from their start to the first movie picture on screen.
//
//   startup_watch.exe [options] NAME=COMMAND_LINE [NAME=COMMAND_LINE ...]
//     --runs N          runs of each program (default 15), alternating
//     --warmup N        unrecorded runs of each program first (default 1)
//     --colour RRGGBB   the clip's flat colour (default 00ff00)
//     --tolerance T     per-channel tolerance of that colour (default 60)
//     --timeout MS      give up on a run after this long (default 15000)
//   startup_watch.exe probe
//     prints the colour at the screen centre, as this program reads it
//
// Each run starts the program, then polls the screen's centre pixel about
// every millisecond until it shows the clip colour, noting on the way when
// the program's first visible window exists. The program is then ended by
// its own process handle. Rounds alternate the order (AB, BA, ...) so that
// neither program always follows the other. The summary gives medians and
// the ratio of the first program to the second. The warm-up runs load the
// programs and the video driver into the file cache, which every later run
// finds there too.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "watch_common.h"

namespace {

struct Program {
  std::string name;
  std::string commandLine;
  std::vector<double> process, window, picture;  // ms from the start, per good run
  std::vector<double> pictureByRound;             // the same, -1 for a failed run
  int failures = 0;
};

struct Options {
  int runs = 15;
  int warmup = 1;
  COLORREF colour = RGB(0, 255, 0);
  int tolerance = 60;
  double timeoutMs = 15000;
};

void RunOnce(Program& program, int run, const Options& options, const bench::ScreenPixel& pixel) {
  if (!bench::WaitUntilNot(pixel, options.colour, options.tolerance, 10000)) {
    std::printf("%-8s run %2d: the clip colour is still on screen; skipped\n",
                program.name.c_str(), run);
    ++program.failures;
    program.pictureByRound.push_back(-1);
    return;
  }
  const double start = bench::NowMs();
  bench::Target target(program.commandLine);
  const double created = bench::NowMs() - start;
  if (!target.Started()) {
    std::printf("%-8s run %2d: could not start %s\n", program.name.c_str(), run,
                program.commandLine.c_str());
    ++program.failures;
    program.pictureByRound.push_back(-1);
    return;
  }
  double window = -1, picture = -1;
  for (;;) {
    const double now = bench::NowMs() - start;
    if (window < 0 && target.HasVisibleWindow()) window = bench::NowMs() - start;
    if (bench::Near(pixel.Read(), options.colour, options.tolerance)) {
      picture = bench::NowMs() - start;
      break;
    }
    if (now > options.timeoutMs || !target.Running()) break;
    Sleep(1);
  }
  target.End();
  if (picture < 0) {
    std::printf("%-8s run %2d: no picture within %.0f ms%s\n", program.name.c_str(), run,
                options.timeoutMs, target.Running() ? "" : " (program ended)");
    ++program.failures;
    program.pictureByRound.push_back(-1);
    return;
  }
  // A picture seen before the window was noticed: the window came between two polls.
  if (window < 0) window = picture;
  program.process.push_back(created);
  program.window.push_back(window);
  program.picture.push_back(picture);
  program.pictureByRound.push_back(picture);
  std::printf("%-8s run %2d: process %6.1f ms, window %6.1f ms, picture %6.1f ms\n",
              program.name.c_str(), run, created, window, picture);
  std::fflush(stdout);
}

int Probe() {
  bench::ScreenPixel pixel;
  std::printf("centre %d,%d ", pixel.x(), pixel.y());
  bench::PrintColour("", pixel.Read());
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: startup_watch [--runs N] [--warmup N] [--colour RRGGBB] [--tolerance T] [--timeout MS] "
               "NAME=COMMAND_LINE...\n       startup_watch probe\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "probe") == 0) return Probe();

  Options options;
  std::vector<Program> programs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--runs" && hasValue) {
      options.runs = std::atoi(argv[++i]);
    } else if (arg == "--warmup" && hasValue) {
      options.warmup = std::atoi(argv[++i]);
    } else if (arg == "--colour" && hasValue) {
      if (!bench::ParseColour(argv[++i], options.colour)) return Usage();
    } else if (arg == "--tolerance" && hasValue) {
      options.tolerance = std::atoi(argv[++i]);
    } else if (arg == "--timeout" && hasValue) {
      options.timeoutMs = std::atof(argv[++i]);
    } else if (arg.find('=') != std::string::npos && arg[0] != '-') {
      const size_t eq = arg.find('=');
      Program program;
      program.name = arg.substr(0, eq);
      program.commandLine = arg.substr(eq + 1);
      programs.push_back(program);
    } else {
      return Usage();
    }
  }
  if (programs.empty() || options.runs < 1) return Usage();

  timeBeginPeriod(1);  // Sleep(1) really sleeps about a millisecond
  bench::ScreenPixel pixel;
  std::printf("watching pixel %d,%d for colour ", pixel.x(), pixel.y());
  bench::PrintColour("", options.colour);
  for (int run = 1; run <= options.warmup; ++run) {
    for (const Program& program : programs) {
      Program scratch = program;
      scratch.name = "(warm-up " + program.name + ")";
      RunOnce(scratch, run, options, pixel);
      Sleep(300);
    }
  }
  for (int run = 1; run <= options.runs; ++run) {
    const bool reversed = run % 2 == 0;
    for (size_t k = 0; k < programs.size(); ++k) {
      RunOnce(programs[reversed ? programs.size() - 1 - k : k], run, options, pixel);
      Sleep(300);
    }
  }
  timeEndPeriod(1);

  std::printf("\nmedians, ms from the start (runs good/failed): process, window, first picture\n");
  for (const Program& p : programs) {
    const double fastest =
        p.picture.empty() ? 0 : *std::min_element(p.picture.begin(), p.picture.end());
    std::printf("  %-8s (%2zu/%d)  process %6.1f  window %6.1f  picture %6.1f"
                "  [window->picture %6.1f; fastest picture %6.1f]\n",
                p.name.c_str(), p.picture.size(), p.failures, bench::Median(p.process), bench::Median(p.window),
                bench::Median(p.picture), bench::Median(p.picture) - bench::Median(p.window), fastest);
  }
  bool allGood = true;
  for (const Program& p : programs) allGood = allGood && !p.picture.empty();
  if (!allGood) return 1;
  if (programs.size() >= 2) {
    const Program& a = programs[0];
    const Program& b = programs[1];
    std::printf("ratio %s/%s, first picture: %.3f (medians)\n", a.name.c_str(), b.name.c_str(),
                bench::Median(a.picture) / bench::Median(b.picture));
    // Two runs of one round are seconds apart and share the machine's load,
    // so their ratio is steadier when others use the machine.
    std::vector<double> paired;
    for (size_t r = 0; r < a.pictureByRound.size() && r < b.pictureByRound.size(); ++r)
      if (a.pictureByRound[r] > 0 && b.pictureByRound[r] > 0)
        paired.push_back(a.pictureByRound[r] / b.pictureByRound[r]);
    std::printf("  median of the %zu per-round ratios: %.3f; ratio of the fastest runs: %.3f\n",
                paired.size(), bench::Median(paired),
                *std::min_element(a.picture.begin(), a.picture.end()) /
                    *std::min_element(b.picture.begin(), b.picture.end()));
  }
  return 0;
}
