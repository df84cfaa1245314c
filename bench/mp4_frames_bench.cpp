// How many of a movie's frames velora's saver window shows, and the CPU it
// takes: the real player window and engine play one movie, centred at its own
// size, and the bench counts the paints of the movie's window until the movie
// ends. A due frame makes the window paint, and paints are merged, so the
// count is the number of frames shown.
// Usage: mp4_frames_bench.exe <movie path> <frames in the file>
// Prints one line: "frames shown N of M (P %) in S s, CPU C ms (U % of one core)".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "velora/playback/mf_movie.h"
#include "velora/playback/player_window.h"

namespace {

double Milliseconds(const FILETIME& t) {
  return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

double CpuMilliseconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  return Milliseconds(kernel) + Milliseconds(user);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mp4_frames_bench.exe <movie path> <frames in the file>\n");
    return 2;
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string playlist = std::string(temp) + "mp4-frames-bench.ini";
  const std::string text = std::string("Velora PlayLists\r\n\r\n\a>Bench\a\r\n ") + argv[1] + "\r\n";
  HANDLE file = CreateFileA(playlist.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);

  velora::PlaybackSettings settings;
  settings.Center = 1;
  auto* window = new velora::PlayerWindow(velora::SystemPlayerPorts(), settings, velora::PlaylistFile(playlist));
  const double cpuBefore = CpuMilliseconds();
  const DWORD started = GetTickCount();
  if (!window->CreateFullScreen()) return 1;

  int frames = 0;
  bool ended = false;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_PAINT && GetParent(msg.hwnd) == window->hwnd()) ++frames;
    // The end is not handed on: the engine would start the movie again.
    if (msg.hwnd == window->hwnd() && msg.message == velora::WM_SAVER_MOVIE_EVENT &&
        (msg.lParam == velora::kMovieEnded || msg.lParam == velora::kMovieFailed)) {
      ended = msg.lParam == velora::kMovieEnded;
      break;
    }
    DispatchMessageA(&msg);
  }
  const double seconds = (GetTickCount() - started) / 1000.0;
  const double cpu = CpuMilliseconds() - cpuBefore;
  DestroyWindow(window->hwnd());
  // As velora.scr does: Media Foundation's threads finish before the process unloads.
  velora::MfMovie::WaitForReleases(3000);
  DeleteFileA(playlist.c_str());
  const int inFile = std::atoi(argv[2]);
  std::printf("frames shown %d of %d (%.1f %%) in %.1f s, CPU %.0f ms (%.0f %% of one core)\n", frames, inFile,
              inFile ? 100.0 * frames / inFile : 0.0, seconds, cpu, seconds > 0 ? cpu / seconds / 10.0 : 0.0);
  return ended ? 0 : 1;
}
