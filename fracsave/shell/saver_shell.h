// The fractal saver's shell: start-up, the full-screen saver window with its
// frame timer, the watch on user input and the password-guarded close.
#pragma once

#include <windows.h>

#include <cstdint>

#include "fracsave/dialogs/saver_dialogs.h"
#include "fracsave/win32/fractal_frame.h"
#include "framework/core/pointer_watch.h"
#include "framework/screen_layout.h"

// Exported by name: the saver window's procedure.
extern "C" LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace fracsave {

constexpr char kSaverClass[] = "WindowsScreenSaverClass";
constexpr char kSaverTitle[] = "Screen Saver.Mandelbrot";
constexpr UINT kFrameTimer = 1;
constexpr UINT kFrameIntervalMs = 200;

// Private messages, posted to the saver window with wParam 0 and lParam 0.
constexpr UINT WM_SAVER_CHECKCLOSE = WM_USER + 200;  // check the password, then close or resume
constexpr UINT WM_SAVER_RESUME = WM_USER + 201;      // carry on with a new scene

// The program's entry: the command line is the text after the program name.
// Returns the exit code: 0, or 1 when a saver window already exists or the
// saver window cannot be made.
int SaverEntry(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);

// The base procedure: input watching, the close protocol and the quit.
LRESULT CALLBACK SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Drains the saver window's queue inside a frame; 1 if any message was handled.
int PumpSaverMessages(HWND window);

// One saver: everything the program keeps while it runs. The entry point owns
// it; the saver window is created with it as its creation data and keeps it
// in GWLP_USERDATA, where the window procedures find it.
class Saver {
 public:
  // `screens`: where the monitors are (the system's, or a test's).
  explicit Saver(HINSTANCE instance, fw::ScreenLayoutSource screens = fw::ReadScreenLayout);
  Saver(const Saver&) = delete;
  Saver& operator=(const Saver&) = delete;

  // After the single-instance test: the configuration dialog or the saver.
  int Run(const char* commandLine);

  // Where the picture is: its scene, its colours and the frames drawn so far.
  const SaverState& State() const { return picture_.state; }

 private:
  friend LRESULT CALLBACK ::ScreenSaverProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK SaverInputProc(HWND, UINT, WPARAM, LPARAM);
  friend class SaverTestAccess;  // the in-process tests

  // The saver window's own messages: true when finished, with the result in
  // *result; false to pass the message on to the input watch.
  bool OnSaverMessage(HWND window, UINT message, LRESULT* result);
  // The input watch and the close protocol.
  void OnInputMessage(HWND window, UINT message, WPARAM wParam);

  // The frame pump: PumpSaverMessages, at most once per millisecond of frame time.
  int PumpPaced(HWND window);
  LRESULT Tick(HWND window);
  void TakeReference();
  void StartNewScene();
  void StartNewSceneSoon();
  void TakeMonitors(const fw::ScreenCover& monitors);
  void PaintOtherMonitorsBlack(HWND window);
  void FitToMonitors(HWND window);

  // The shell's own state beside the picture's.
  struct ShellState {
    // The reference cursor position to compare moves with, screen coordinates.
    fw::PointerWatch<fw::UnknownPointer::kUntilTaken> reference;
    fw::ScreenCover monitors;  // the saver window's place, and the primary's in it, where frames are drawn
    int32_t clearBeforeFrame = 0;  // the monitors changed: the next frame starts on an all-black window
    int32_t promptActive = 0;  // set while the password check of a close request runs
    int32_t frameDepth = 0;    // frames running (never more than one)
    int32_t resumeAfterFrame = 0;  // a refused close arrived during a frame
    DWORD lastLook = 0;        // when the paced pump last looked at the queue
  };

  fw::ScreenLayoutSource screens_;
  FractalPicture picture_;
  DialogContext dialogs_;
  ShellState shell_;
};

}  // namespace fracsave
