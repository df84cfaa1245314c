// A look inside one saver, for the in-process tests and the frame-rate bench.
#pragma once

#include "fracsave/shell/saver_shell.h"

namespace fracsave {

class SaverTestAccess {
 public:
  using ShellState = Saver::ShellState;
  static SaverState& State(Saver& saver) { return saver.picture_.state; }
  static SaverSettings& Settings(Saver& saver) { return saver.picture_.settings; }
  static FramePump& Pump(Saver& saver) { return saver.picture_.pump; }
  static DialogContext& Dialogs(Saver& saver) { return saver.dialogs_; }
  static ShellState& Shell(Saver& saver) { return saver.shell_; }
};

}  // namespace fracsave
