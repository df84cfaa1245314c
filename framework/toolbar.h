#pragma once
// A toolbar over the system's common control: the images of one bitmap, a row
// of buttons and separators, check-box buttons that show a pressed state,
// tooltips taken from each command's string after its line break
// ("Play\nPlay" gives "Play"), and button states that the bar asks of its
// owner whenever the program is idle.
#include <windows.h>

#include <commctrl.h>

#include "frame_window.h"
#include "handles.h"

namespace fw {

constexpr UINT kSeparator = 0;

struct ToolBarItem {
  UINT id;  // the command, or kSeparator
  int image = 0;
  bool checkBox = false;
};

class ToolBar : public Window {
 public:
  // A child along the top of the parent, with tooltips and without borders.
  bool Create(HWND parent, UINT id = kIdToolBar);
  // Images of one size side by side in a bitmap resource, drawn at
  // `artScale` percent (fw::ArtScaleFor). Black, the greys and white of the
  // picture take the system's colours for buttons.
  bool LoadBitmap(UINT bitmapId, int artScale = 100, SIZE imageSize = {16, 15});
  bool SetItems(const ToolBarItem* items, int count);

  int ItemCount() const;
  // In the bar's client coordinates; empty for an index out of range.
  RECT ItemRect(int index) const;

  // Asks the owner (the parent window), then the application, whether each
  // button is enabled and checked.
  void UpdateButtons();

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnIdleUpdateCmdUi(Message& msg);
  LRESULT OnNotify(Message& msg);

 private:
  UniqueBitmap bitmap_;  // the bar draws from it as long as it exists
};

}  // namespace fw
