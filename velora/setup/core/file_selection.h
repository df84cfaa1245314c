#pragma once
// The movies a multiple selection in the open-file dialog names.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velora {

// Splits the dialog's result buffer into full paths. The new shell's dialog
// gives one full path, or a directory followed by zero-ended file names and
// an empty name; the old dialog gives one full path, or a directory and file
// names separated by spaces. A single text that is no existing file but has
// blanks is taken as the old form whatever the shell, as some dialogs give it.
// The directory and each name are always joined by a backslash.
std::vector<std::string> SplitFileSelection(std::string_view buffer, bool newShell,
                                            const std::function<bool(const std::string&)>& fileExists);

}  // namespace velora
