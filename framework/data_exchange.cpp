#include "data_exchange.h"

#include <vector>

namespace fw {

namespace {

bool IsRadioButton(HWND control) {
  return (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// The radio buttons of the group that starts at the given control.
std::vector<HWND> RadioGroup(HWND first) {
  std::vector<HWND> buttons;
  for (HWND c = first; c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c != first && (GetWindowLongA(c, GWL_STYLE) & WS_GROUP)) break;
    if (IsRadioButton(c)) buttons.push_back(c);
  }
  return buttons;
}

}  // namespace

void ExchangeCheck(DataExchange& dx, int id, int& value) {
  HWND control = GetDlgItem(dx.Dialog(), id);
  if (!control) return dx.Fail();
  if (dx.Saving()) {
    value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
  } else {
    // A stored value that is no check state shows as unchecked.
    int state = value < 0 || value > 2 ? 0 : value;
    SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
  }
}

void ExchangeRadio(DataExchange& dx, int firstId, int& index) {
  HWND first = GetDlgItem(dx.Dialog(), firstId);
  if (!first) return dx.Fail();
  std::vector<HWND> group = RadioGroup(first);
  if (dx.Saving()) index = -1;
  for (size_t i = 0; i < group.size(); ++i) {
    if (dx.Saving()) {
      if (SendMessageA(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED) index = static_cast<int>(i);
    } else {
      SendMessageA(group[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void ExchangeText(DataExchange& dx, int id, std::string& text) {
  HWND control = GetDlgItem(dx.Dialog(), id);
  if (!control) return dx.Fail();
  if (dx.Saving()) {
    int length = GetWindowTextLengthA(control);
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(control, buffer.data(), length + 1);
    buffer.resize(got > 0 ? static_cast<size_t>(got) : 0);
    text = std::move(buffer);
  } else {
    SetWindowTextA(control, text.c_str());
  }
}

}  // namespace fw
