// How soon velora's saver ends when the pointer moves while a movie plays.
//
//   input_end_bench.exe RUNS PLAY_MS COMMAND_LINE
//
// Each run starts the saver, waits until its movie window from Media
// Foundation exists and then PLAY_MS more (the movie playing), moves the
// pointer through the system's input queue, as a hand does, and times until
// the saver's windows are gone and until its process has ended; the process
// must end with status 0. Prints the medians and maxima; the exit status is
// 1 when a run did not end or ended otherwise than with 0.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "timing.h"
#include "watch_common.h"

namespace {

using bench::Median;
using bench::NowMs;

BOOL CALLBACK MatchMovie(HWND child, LPARAM param) {
  char caption[32] = "";
  GetWindowTextA(child, caption, sizeof caption);
  *reinterpret_cast<bool*>(param) = std::string(caption) == "Media Foundation";
  return !*reinterpret_cast<bool*>(param);
}

struct MovieSearch {
  DWORD process;
  bool found;
};

BOOL CALLBACK MatchWindowWithMovie(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<MovieSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && IsWindowVisible(window))
    EnumChildWindows(window, MatchMovie, reinterpret_cast<LPARAM>(&search->found));
  return !search->found;
}

// Whether the process shows a window with a movie window from Media Foundation in it.
bool ShowsMovie(DWORD process) {
  MovieSearch search{process, false};
  EnumWindows(MatchWindowWithMovie, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void MovePointer(int step) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = 40 + step;
  input.mi.dy = 30;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: input_end_bench.exe RUNS PLAY_MS COMMAND_LINE\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const DWORD play = static_cast<DWORD>(std::atoi(argv[2]));
  std::vector<double> hidden, ended;
  int failed = 0;
  for (int run = 0; run < runs; ++run) {
    bench::Target saver(argv[3]);
    if (!saver.Started()) return 2;
    const double start = NowMs();
    while (!ShowsMovie(saver.id()) && NowMs() - start < 20000) Sleep(10);
    // Varied a little, so that the move falls at any point of a frame.
    Sleep(play + 7 * (run % 5));
    const double moved = NowMs();
    MovePointer(run);
    while (saver.HasVisibleWindow() && NowMs() - moved < 10000) Sleep(1);
    hidden.push_back(NowMs() - moved);
    const bool done = WaitForSingleObject(saver.handle(), 10000) == WAIT_OBJECT_0;
    ended.push_back(NowMs() - moved);
    DWORD status = 1;
    if (done) GetExitCodeProcess(saver.handle(), &status);
    if (!done || status != 0) {
      std::printf("run %d: %s, status 0x%lx\n", run + 1, done ? "ended" : "did not end", status);
      ++failed;
    }
  }
  std::printf("pointer move to windows gone: median %.1f ms, max %.1f ms; to process end: median %.1f ms, "
              "max %.1f ms (%d runs, %d not ending with 0)\n",
              Median(hidden), *std::max_element(hidden.begin(), hidden.end()), Median(ended),
              *std::max_element(ended.begin(), ended.end()), runs, failed);
  return failed ? 1 : 0;
}
