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

namespace {

using bench::Median;
using bench::NowMs;

struct Search {
  DWORD process;
  bool movie;  // a child captioned "Media Foundation" is asked for
  bool found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
  char caption[32] = "";
  GetWindowTextA(child, caption, sizeof caption);
  auto* search = reinterpret_cast<Search*>(param);
  search->found = search->found || std::string(caption) == "Media Foundation";
  return !search->found;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  if (search->movie)
    EnumChildWindows(window, MatchChild, param);
  else
    search->found = true;
  return !search->found;
}

bool Shows(DWORD process, bool movie) {
  Search search{process, movie, false};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
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
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = argv[3];
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return 2;
    CloseHandle(info.hThread);
    const double start = NowMs();
    while (!Shows(info.dwProcessId, true) && NowMs() - start < 20000) Sleep(10);
    // Varied a little, so that the move falls at any point of a frame.
    Sleep(play + 7 * (run % 5));
    const double moved = NowMs();
    MovePointer(run);
    while (Shows(info.dwProcessId, false) && NowMs() - moved < 10000) Sleep(1);
    hidden.push_back(NowMs() - moved);
    const bool done = WaitForSingleObject(info.hProcess, 10000) == WAIT_OBJECT_0;
    ended.push_back(NowMs() - moved);
    DWORD status = 1;
    if (!done) TerminateProcess(info.hProcess, 1);
    GetExitCodeProcess(info.hProcess, &status);
    CloseHandle(info.hProcess);
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
