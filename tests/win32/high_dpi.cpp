#include "high_dpi.h"

#include <cstdio>
#include <cstdlib>

#include "framework/dpi.h"

namespace high_dpi {

namespace {

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsClass(HWND window, const char* name) {
  char found[64] = {};
  GetClassNameA(window, found, sizeof found);
  return lstrcmpiA(found, name) == 0;
}

// Where the control draws its caption (client coordinates), and how it lays
// it out; false for a control whose text is not a caption.
bool CaptionRoom(HWND control, HDC dc, RECT* room, UINT* format) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  GetClientRect(control, room);
  if (IsClass(control, "Static")) {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
        *format = DT_WORDBREAK | DT_EXPANDTABS;  // lines break at spaces
        break;
      case SS_LEFTNOWORDWRAP:
      case SS_SIMPLE:
        *format = DT_SINGLELINE | DT_EXPANDTABS;
        break;
      default:
        return false;  // a picture or a frame
    }
    if (style & SS_NOPREFIX) *format |= DT_NOPREFIX;
    return true;
  }
  if (!IsClass(control, "Button")) return false;
  *format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      // Inside the raised edges and the default button's black frame.
      InflateRect(room, -3, -3);
      return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
      // Right of the box or circle, 13 pixels at 96 DPI, and half a digit apart from it.
      INT digit = 0;
      GetCharWidth32A(dc, '0', '0', &digit);
      room->left += MulDiv(13, static_cast<int>(fw::DpiOf(control)), 96) + digit / 2;
      return true;
    }
    case BS_GROUPBOX:
      // On the frame's top edge, clear of its corners.
      InflateRect(room, -7, 0);
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string ClippedCaptions(HWND window) {
  std::string clipped;
  for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    const std::string text = TextOf(control);
    if (text.empty() || !(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE)) continue;
    HDC dc = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT room{};
    UINT format = 0;
    if (CaptionRoom(control, dc, &room, &format)) {
      const SIZE has{room.right - room.left, room.bottom - room.top};
      // From the control's width: a label that wraps grows down, a word too long for it grows right.
      RECT needs{0, 0, has.cx, 0};
      DrawTextA(dc, text.c_str(), -1, &needs, format | DT_CALCRECT);
      if (needs.right > has.cx || needs.bottom > has.cy) {
        char line[640];
        std::snprintf(line, sizeof line, "\"%s\": needs %ld x %ld, has %ld x %ld\n", text.c_str(), needs.right,
                      needs.bottom, has.cx, has.cy);
        clipped += line;
      }
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
  }
  return clipped;
}

std::string DpiMismatch(HWND window) {
  const char* bench = std::getenv("BENCH_DPI");
  const UINT dpi = fw::DpiOf(window);
  if (!bench || std::atoi(bench) == static_cast<int>(dpi)) return {};
  return "at " + std::to_string(dpi) + " DPI on a bench of " + bench + "\n";
}

std::string DialogFaults(HWND dialog, int points) {
  std::string faults = DpiMismatch(dialog);
  const int dpi = static_cast<int>(fw::DpiOf(dialog));
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
  const int wanted = MulDiv(points, dpi, 72), height = std::abs(font.lfHeight);
  if (std::abs(height - wanted) > 1)
    faults += "font " + std::to_string(height) + " px high, not the " + std::to_string(wanted) + " of " +
              std::to_string(points) + " pt at " + std::to_string(dpi) + " DPI\n";
  return faults + ClippedCaptions(dialog);
}

SIZE BenchScreen() {
  SIZE size{};
  if (const char* screen = std::getenv("BENCH_SCREEN")) std::sscanf(screen, "%ldx%ld", &size.cx, &size.cy);
  return size;
}

}  // namespace high_dpi
