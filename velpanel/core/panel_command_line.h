#pragma once
// Velpanel's one command-line switch. "/c" ("-c" or "c", any case, as the
// first argument) starts velora's setup and ends without a window: the Start
// menu's entry for the setup runs it, because the shell starts a shortcut to
// a screen saver with the saver's own switch, dropping the shortcut's.
// Anything else shows the panel.

namespace velpanel {

bool AsksForSetup(const char* commandLine);

}  // namespace velpanel
