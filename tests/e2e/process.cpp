// Paths, waiting and processes of the driver.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <utility>

#include "driver.h"

namespace e2e {

std::string WindowsPathFromLinux(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string VeloraPath() {
  const char* scr = std::getenv("VELORA_SCR");
  return scr && *scr ? WindowsPathFromLinux(scr) : std::string();
}

std::string ScratchDirLinux() {
  const char* bench = std::getenv("BENCH_DIR");
  return bench && *bench == '/' ? std::string(bench) : std::string("/tmp");
}

bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout, milliseconds poll) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(poll);
  }
}

Process Process::Start(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  return StartCommandLine(commandLine);
}

Process Process::StartCommandLine(const std::string& commandLine) {
  Process process;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    CloseHandle(info.hThread);
    process.handle_ = info.hProcess;
    process.id_ = info.dwProcessId;
  }
  return process;
}

Process::~Process() { Release(); }

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void Process::Release() {
  if (!handle_) return;
  Terminate();
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
}

bool Process::Running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(milliseconds timeout) {
  if (!handle_) return std::nullopt;
  if (WaitForSingleObject(handle_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return code;
}

std::optional<DWORD> Process::WaitForExit(milliseconds timeout,
                                          std::vector<WindowInfo>* windowsSeen) {
  if (!handle_) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (HWND window : TopLevelWindows(id_)) {
      bool known = std::any_of(windowsSeen->begin(), windowsSeen->end(),
                               [&](const WindowInfo& seen) { return seen.hwnd == window; });
      if (!known) windowsSeen->push_back(Describe(window));
    }
    if (WaitForSingleObject(handle_, 10) == WAIT_OBJECT_0) break;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return code;
}

bool Process::WaitForInputIdle(milliseconds timeout) {
  return handle_ &&
         ::WaitForInputIdle(handle_, static_cast<DWORD>(timeout.count())) == 0;
}

void Process::Terminate() {
  if (!Running()) return;
  TerminateProcess(handle_, 1);
  WaitForSingleObject(handle_, 5000);
}

std::optional<int> RunLinux(const std::string& commandLine, milliseconds timeout) {
  static std::atomic<int> counter{0};
  const std::string marker = ScratchDirLinux() + "/e2e-run-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++);
  const std::string markerFile = WindowsPathFromLinux(marker);
  DeleteFileIfPresent(markerFile);
  const long seconds = static_cast<long>(timeout.count() + 999) / 1000;
  // The status is written under another name and renamed, so that it is
  // never read half written.
  const std::string script = "timeout -k 1 " + std::to_string(seconds) + " " + commandLine +
                             "; echo $? > '" + marker + ".tmp'; mv '" + marker + ".tmp' '" +
                             marker + "'";
  std::string shell = "/bin/sh -c \"" + script + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, &shell[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return std::nullopt;
  // For a Linux program these handles cannot be waited on; they are only closed.
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  std::optional<int> status;
  WaitUntil(
      [&] {
        std::optional<std::string> text = ReadFileBytes(markerFile);
        if (text && !text->empty()) status = std::atoi(text->c_str());
        return status.has_value();
      },
      timeout + milliseconds(2000), milliseconds(5));
  DeleteFileIfPresent(markerFile);
  return status;
}

}  // namespace e2e
