// A look inside one saver, for the in-process tests.
#pragma once

#include <utility>

#include "fracsave/shell/saver_shell.h"

namespace fracsave {

class SaverTestAccess {
 public:
  using ShellState = Saver::ShellState;
  static SaverState& State(Saver& saver) { return saver.picture_.state; }
  static SaverSettings& Settings(Saver& saver) { return saver.picture_.settings; }
  // A pump of the test's own, run after every pixel pair.
  static void SetPump(Saver& saver, FramePump pump) {
    saver.picture_.pump = std::move(pump);
    saver.picture_.pumpPaced = false;
  }
  static DialogContext& Dialogs(Saver& saver) { return saver.dialogs_; }
  static ShellState& Shell(Saver& saver) { return saver.shell_; }
};

}  // namespace fracsave
