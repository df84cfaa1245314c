// Driver for end-to-end tests: starts programs as the system would, watches
// their windows from outside, gives them real X input through xdotool and
// reads the screen, the registry and the playlist file. Everything here works
// on other processes; nothing links the programs under test.
#ifndef E2E_DRIVER_H
#define E2E_DRIVER_H

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using std::chrono::milliseconds;

// ---------------------------------------------------------------- paths

// "/a/b c" -> "Z:\a\b c": how a Linux path is seen from the Windows side.
std::string WindowsPathFromLinux(const std::string& linuxPath);
// velora.scr under test, from the environment variable VELORA_SCR (a Linux
// path); empty when the variable is not set.
std::string VeloraPath();
// A Linux directory for scratch files: the bench directory when the tests run
// on the bench (BENCH_DIR), else /tmp.
std::string ScratchDirLinux();

// ---------------------------------------------------------------- waiting

// Polls until the condition holds or the timeout passes; answers the last result.
bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout,
               milliseconds poll = milliseconds(20));

// ---------------------------------------------------------------- windows

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string className;
  std::string title;
  RECT rect{};  // window rectangle, screen coordinates
  DWORD style = 0;
  DWORD exStyle = 0;
  bool visible = false;
  bool enabled = false;
};

WindowInfo Describe(HWND window);
std::string ClassOf(HWND window);
std::string TextOf(HWND window);
// Top-level windows whose thread belongs to the process, in Z order.
std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly = true);
// The first visible top-level window of the process that has the class and the
// title (an empty string matches any); nullptr after the timeout.
HWND WaitForWindow(DWORD processId, const std::string& className, const std::string& title,
                   milliseconds timeout);
// Direct children of a window (controls of a dialog), in Z order.
std::vector<HWND> ChildWindows(HWND parent);
// The window with the keyboard focus in the thread that owns the given window
// (focus is per thread, so ask the system about that thread).
HWND FocusOfThreadOf(HWND window);
// The active window of the thread that owns the given window.
HWND ActiveOfThreadOf(HWND window);
POINT CentreOf(HWND window);
// The screen rectangle of a window's client area.
RECT ClientRectOnScreen(HWND window);

// A message box as the user sees it. The icon is recognised by its pixels,
// compared with the system's own icons drawn in this process.
enum class BoxIcon { None, Information, Exclamation, Error, Question, Unknown };
const char* ToString(BoxIcon icon);
struct MessageBoxInfo {
  std::string caption;
  std::string text;
  BoxIcon icon = BoxIcon::None;
  std::vector<std::string> buttons;  // captions without '&'
};
MessageBoxInfo ReadMessageBox(HWND box, milliseconds iconTimeout = milliseconds(5000));

// A top-level window of this test process on a thread of its own that pumps
// messages, so that another process can use it as owner or parent (those
// programs send it messages and would block if nobody answered).
class HostWindow {
 public:
  // Hidden unless a size is given; visible windows are placed at x, y.
  HostWindow();
  HostWindow(int x, int y, int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  // The handle as a decimal number, as the system passes it on a command line.
  std::string HandleText() const;

 private:
  void Start(int x, int y, int width, int height, bool visible);
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HWND hwnd_ = nullptr;
};

// A handle value that names no window: one that belonged to a window of this
// process that has since been destroyed.
HWND StaleWindowHandle();

// ---------------------------------------------------------------- processes

class Process {
 public:
  Process() = default;
  // Runs `"program" arguments`, or the whole command line as given.
  static Process Start(const std::string& program, const std::string& arguments);
  static Process StartCommandLine(const std::string& commandLine);
  ~Process();  // ends the process if it still runs
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return handle_ != nullptr; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return handle_; }
  bool Running() const;
  // The exit code, or nothing when the process still runs after the timeout.
  std::optional<DWORD> WaitForExit(milliseconds timeout);
  // Like WaitForExit, and meanwhile collects the visible top-level windows the
  // process shows.
  std::optional<DWORD> WaitForExit(milliseconds timeout, std::vector<WindowInfo>* windowsSeen);
  // Waits until the process waits for input with an empty queue.
  bool WaitForInputIdle(milliseconds timeout);
  // Ends this process only, and waits until it is gone.
  void Terminate();

 private:
  void Release();
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Runs a Linux command line (no double quotes in it) from the Windows side and
// waits for it. Wine gives no waitable handle for a Linux program, so it runs
// under /bin/sh, which reports its exit status through a file; `timeout` ends
// it if it overruns. Answers the exit status, or nothing when it did not
// finish in time.
std::optional<int> RunLinux(const std::string& commandLine,
                            milliseconds timeout = milliseconds(10000));

// ---------------------------------------------------------------- input

// Real input through the X server (xdotool), as a user would give it. The X
// keyboard focus follows the pointer, so keys reach the window under it.
//
// Every step that acts on a window names the window it is meant for and first
// waits, through WaitUntilReadyForInput, until that window can take input. A
// click or key given the moment a window appears can reach the X server before
// the program is ready for it, and on a busy machine it is lost. Pass the
// window that should react: the control to click, the dialog or message box
// for keys, the popup menu for a menu choice, the saver window for a key or
// move that should end it:
//   Click(GetDlgItem(dialog, IDOK));
//   PressKeys(box, "Return");
//   ClickAt(menu, x, y);
// When the window does not get ready in time the step records a test failure
// that names the window, gives no input and answers false; the answer can be
// asserted where nothing after the step makes sense without it.

// Until the window is visible and enabled (and so is its top-level window),
// its process has finished starting (WaitForInputIdle) and its thread answers
// a sent message, which it does only from its message loop; false after the
// timeout.
constexpr milliseconds kReadyForInputTimeout{15000};
bool WaitUntilReadyForInput(HWND window, milliseconds timeout = kReadyForInputTimeout);

// Clicks the centre of a window or control, or a point on the screen inside
// it (a toolbar button, a tree row, a menu item, the close box).
bool Click(HWND window, int button = 1);
bool ClickAt(HWND window, int x, int y, int button = 1);
// One or more X key names separated by blanks, each pressed and released in
// turn: "Escape", "Return", "Delete", "Alt_L", "a", "Down", "alt+F4".
bool PressKeys(HWND window, const std::string& keys);
// Moves the pointer as input to the window (a move that should end a saver).
bool MoveMouseTo(HWND window, int x, int y);
bool MoveMouseBy(HWND window, int dx, int dy);
// A button held down where the pointer is, or let go, with moves between them
// and checks while it is held.
bool PressButton(HWND window, int button = 1);
bool ReleaseButton(HWND window, int button = 1);
// Press at the first point, moves through the others, release at the last, in
// one go.
bool Drag(HWND window, const std::vector<POINT>& path, int button = 1);

// Moves that act on no window: where the pointer rests before a program starts.
void MoveMouseTo(int x, int y);
void MoveMouseBy(int dx, int dy);
// Waits until the system reports the pointer at x, y.
bool WaitForPointerAt(int x, int y, milliseconds timeout = milliseconds(10000));

// ---------------------------------------------------------------- screen

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};
Rgb RgbFromColorRef(COLORREF colour);
bool Near(const Rgb& a, const Rgb& b, int tolerance);

class Screenshot {
 public:
  // The whole X root window, through ImageMagick's import; empty on failure.
  static Screenshot TakeRoot();
  // The same with the pointer drawn in as the X server shows it (ffmpeg's X
  // grabber asks the server for the current pointer image); compared with
  // TakeRoot, it shows whether a visible pointer is on the screen.
  static Screenshot TakeRootWithPointer();
  // Parses a binary PPM (P6), maximum value up to 65535; empty on bad data.
  static Screenshot FromPpm(const std::string& bytes);

  bool empty() const { return width_ == 0; }
  int width() const { return width_; }
  int height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Rgb At(int x, int y) const;
  // How many pixels of the rectangle (clipped to the screen) have the colour.
  int Count(const RECT& area, const Rgb& colour, int tolerance = 0) const;
  // The smallest rectangle holding every pixel of the colour; empty (all 0)
  // when there is none.
  RECT BoundingBox(const Rgb& colour, int tolerance = 0) const;
  // How many pixels of the rectangle differ from the other screenshot's.
  int CountDifferences(const Screenshot& other, const RECT& area) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Rgb> pixels_;
};

// Which of the system's message-box icons is drawn in the area (the client
// area of an icon control), by comparing pixels with the icons drawn here.
BoxIcon RecogniseIcon(const Screenshot& screen, const RECT& area);

// ---------------------------------------------------------------- registry

// Paths are below the given root, e.g. "Software\\Orvane Systems".
bool KeyExists(HKEY root, const std::string& path);
void DeleteKeyTree(HKEY root, const std::string& path);
// A REG_DWORD value; nothing when the key or value is missing or of another type.
std::optional<DWORD> ReadDword(HKEY root, const std::string& path, const std::string& name);
// Number of values in the key; -1 when the key does not exist.
int CountValues(HKEY root, const std::string& path);
// Creates the key if needed and sets a REG_DWORD value; false on failure.
bool WriteDword(HKEY root, const std::string& path, const std::string& name, DWORD value);

// ---------------------------------------------------------------- files

std::string WindowsDirectory();
// C:\windows\velora.ini (wherever the Windows directory is).
std::string PlaylistFilePath();
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void DeleteFileIfPresent(const std::string& path);
// Plain file names directly in a directory (no subdirectories).
std::vector<std::string> FilesIn(const std::string& directory);

// A movie of one plain colour, made with ffmpeg in the scratch directory the
// first time it is asked for and reused afterwards; its Windows path, or an
// empty string when it cannot be made. Video-1 is quick to encode, and the
// system's player shows colour channels of 0 and 255 in it exactly.
std::string SolidColourClip(const Rgb& colour, int width, int height, int seconds);
// The same as a movie of another type: "avi", "mp4" (H.264), "wmv" (WMV 8) or
// "mpg" (MPEG-1); empty for any other type.
std::string SolidColourMovie(const Rgb& colour, int width, int height, int seconds, const std::string& type);

// Holds a file open without sharing, as another program would, until destroyed.
class ExclusiveFileLock {
 public:
  explicit ExclusiveFileLock(const std::string& path);
  ~ExclusiveFileLock();
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  void Release();

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace e2e

#endif
