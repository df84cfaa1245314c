// Any result buffer of the open-file dialog, in both shells' forms: the split
// never reads outside the buffer, and every path it gives is whole.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "velora/setup/core/file_selection.h"

using namespace velora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool newShell = in.ConsumeBool();
  const bool exists = in.ConsumeBool();
  // The dialog's buffer, exactly as long as what it holds.
  const std::vector<char> buffer = in.ConsumeRemainingBytes<char>();
  const std::string_view view(buffer.data(), buffer.size());
  const std::vector<std::string> paths =
      SplitFileSelection(view, newShell, [exists](const std::string&) { return exists; });

  const std::string_view first = view.substr(0, view.find('\0'));
  for (const std::string& path : paths) {
    FUZZ_CHECK(!path.empty());
    FUZZ_CHECK(path.find('\0') == std::string::npos);
    FUZZ_CHECK(path.size() <= buffer.size() + 1);
  }
  // Several files: all in the directory the buffer names first.
  if (paths.size() > 1)
    for (const std::string& path : paths) FUZZ_CHECK(path.find('\\') != std::string::npos);
  if (first.empty()) FUZZ_CHECK(paths.empty());
  return 0;
}
