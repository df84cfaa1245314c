#include "toolbar.h"

#include <string>
#include <vector>

#include "dpi.h"

namespace fw {

namespace {

// The command's tooltip: its string's part after the line break.
std::string TipText(UINT id) {
  std::string text = LoadResourceString(id);
  size_t lineBreak = text.find('\n');
  return lineBreak == std::string::npos ? std::string() : text.substr(lineBreak + 1);
}

}  // namespace

FW_BEGIN_MESSAGE_MAP(ToolBar, Window)
  FW_ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUi)
  FW_ON_MESSAGE(WM_NOTIFY, OnNotify)
FW_END_MESSAGE_MAP()

bool ToolBar::Create(HWND parent, UINT id) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  const RECT none{};
  const DWORD style = WS_CHILD | WS_VISIBLE | CCS_TOP | CCS_NODIVIDER | TBSTYLE_TOOLTIPS;
  if (!Window::Create(0, TOOLBARCLASSNAMEA, nullptr, style, none, parent, id)) return false;
  SendMessageA(hwnd(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  return true;
}

bool ToolBar::LoadBitmap(UINT bitmapId, int artScale, SIZE imageSize) {
  UniqueBitmap bitmap(CreateMappedBitmap(GetModuleHandleA(nullptr), bitmapId, 0, nullptr, 0));
  if (artScale != 100) {
    bitmap = ScaledBitmap(bitmap.get(), artScale);
    imageSize = {ArtSize(imageSize.cx, artScale), ArtSize(imageSize.cy, artScale)};
  }
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap.get(), sizeof info, &info) || info.bmWidth < imageSize.cx)
    return false;
  SendMessageA(hwnd(), TB_SETBITMAPSIZE, 0, MAKELPARAM(imageSize.cx, imageSize.cy));
  TBADDBITMAP images{nullptr, reinterpret_cast<UINT_PTR>(bitmap.get())};
  if (SendMessageA(hwnd(), TB_ADDBITMAP, info.bmWidth / imageSize.cx,
                   reinterpret_cast<LPARAM>(&images)) < 0)
    return false;
  bitmap_ = std::move(bitmap);
  return true;
}

bool ToolBar::SetItems(const ToolBarItem* items, int count) {
  std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    TBBUTTON& button = buttons[static_cast<size_t>(i)];
    if (items[i].id == kSeparator) {
      button.fsStyle = TBSTYLE_SEP;
      continue;
    }
    button.iBitmap = items[i].image;
    button.idCommand = static_cast<int>(items[i].id);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = items[i].checkBox ? TBSTYLE_CHECK : TBSTYLE_BUTTON;
  }
  if (!SendMessageA(hwnd(), TB_ADDBUTTONSA, static_cast<WPARAM>(count),
                    reinterpret_cast<LPARAM>(buttons.data())))
    return false;
  SendMessageA(hwnd(), TB_AUTOSIZE, 0, 0);
  return true;
}

int ToolBar::ItemCount() const { return static_cast<int>(SendMessageA(hwnd(), TB_BUTTONCOUNT, 0, 0)); }

RECT ToolBar::ItemRect(int index) const {
  RECT rect{};
  if (!SendMessageA(hwnd(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
    return RECT{};
  return rect;
}

void ToolBar::UpdateButtons() {
  // The bar's window answers first, then whom that window reports to.
  Window* owner = Window::FromHandle(GetParent(hwnd()));
  CmdTarget* host = owner ? owner->Host() : nullptr;
  for (int i = 0, count = ItemCount(); i < count; ++i) {
    TBBUTTON button{};
    if (!SendMessageA(hwnd(), TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) ||
        (button.fsStyle & TBSTYLE_SEP))
      continue;
    CmdUi ui{static_cast<UINT>(button.idCommand)};
    // A button nobody answers for keeps its state.
    if (!(owner && owner->UpdateCommandUi(ui)) && !(host && host->UpdateCommandUi(ui))) continue;
    BYTE state = button.fsState & ~(TBSTATE_ENABLED | TBSTATE_CHECKED);
    if (ui.enabled) state |= TBSTATE_ENABLED;
    if (ui.checked) state |= TBSTATE_CHECKED;
    // Only changes are set, so that an idle bar does not flicker.
    if (state != button.fsState)
      SendMessageA(hwnd(), TB_SETSTATE, static_cast<WPARAM>(button.idCommand), MAKELPARAM(state, 0));
  }
}

LRESULT ToolBar::OnIdleUpdateCmdUi(Message&) {
  UpdateButtons();
  return 0;
}

LRESULT ToolBar::OnNotify(Message& msg) {
  // The bar's tooltip control asks the bar for a button's text.
  auto* header = reinterpret_cast<NMHDR*>(msg.lParam);
  if (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW) return Default();
  std::string text = TipText(static_cast<UINT>(header->idFrom));
  if (text.empty()) return Default();
  if (header->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(msg.lParam);
    lstrcpynA(info->szText, text.c_str(), sizeof info->szText);
    info->lpszText = info->szText;
    info->hinst = nullptr;
  } else {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(msg.lParam);
    const int room = sizeof info->szText / sizeof info->szText[0];
    if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, info->szText, room)) info->szText[room - 1] = 0;
    info->lpszText = info->szText;
    info->hinst = nullptr;
  }
  return 0;
}

}  // namespace fw
