// The Options dialog on its real template: what it shows for the playback
// settings, what OK and the ways of cancelling leave in them, and its layout.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win32/high_dpi.h"
#include "velora/resources/resource_ids.h"
#include "velora/setup/options_dialog.h"

namespace {

using velora::PlaybackSettings;

// What the test does while the dialog is open; it must end the dialog.
std::function<void(HWND)> g_whileOpen;
bool g_opened = false;

BOOL CALLBACK FindOptions(HWND window, LPARAM found) {
  char text[32] = {};
  GetWindowTextA(window, text, sizeof text);
  if (std::string(text) == "Options") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// Fires inside the dialog's modal loop, once the dialog is up.
void CALLBACK OnOpened(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindOptions, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  KillTimer(nullptr, timer);
  g_opened = true;
  g_whileOpen(dialog);
}

// Opens the dialog as the setup dialog's Options command does.
bool OpenOptions(PlaybackSettings& settings, std::function<void(HWND)> whileOpen, HWND owner = nullptr) {
  g_whileOpen = std::move(whileOpen);
  g_opened = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 10, OnOpened);
  bool ok = velora::RunOptions(owner, settings);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_opened) << "the Options dialog did not open";
  return ok;
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
void Click(HWND dialog, int id) { SendMessageA(Item(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
LRESULT Slider(HWND dialog, UINT message, WPARAM w = 0, LPARAM l = 0) {
  return SendMessageA(Item(dialog, IDC_SPEED), message, w, l);
}
// A key as the modal loop hands it to the dialog manager.
void Key(HWND dialog, HWND target, UINT message, WPARAM key) {
  MSG msg{target, message, key, message == WM_SYSCHAR ? 0x20000001 : 1, 0, {}};
  if (!IsDialogMessageA(dialog, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string Text(HWND window) {
  char text[64] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void ExpectSettings(const PlaybackSettings& s, int reverse, int mute, int zoom, int speed, int center) {
  EXPECT_EQ(s.Reverse, reverse);
  EXPECT_EQ(s.Mute, mute);
  EXPECT_EQ(s.Zoom, zoom);
  EXPECT_EQ(s.Speed, speed);
  EXPECT_EQ(s.Center, center);
}

TEST(OptionsDialog, DefaultsShowNormalSizeAtNormalSpeedInARandomPlace) {
  PlaybackSettings settings;
  bool reverse = true, mute = true, z50 = true, z100 = false, z200 = true, random = false,
       centered = true, okFocused = false;
  LRESULT pos = 0, low = 0, high = 0, tics = 0;
  std::vector<LRESULT> inner;
  OpenOptions(settings, [&](HWND h) {
    reverse = Checked(h, IDC_REVERSE);
    mute = Checked(h, IDC_MUTE);
    z50 = Checked(h, IDC_ZOOM_50);
    z100 = Checked(h, IDC_ZOOM_100);
    z200 = Checked(h, IDC_ZOOM_200);
    random = Checked(h, IDC_POSITION_RANDOM);
    centered = Checked(h, IDC_POSITION_CENTERED);
    okFocused = GetFocus() == Item(h, IDOK);
    pos = Slider(h, TBM_GETPOS);
    low = Slider(h, TBM_GETRANGEMIN);
    high = Slider(h, TBM_GETRANGEMAX);
    tics = Slider(h, TBM_GETNUMTICS);
    for (LRESULT i = 0; i + 2 < tics; ++i) inner.push_back(Slider(h, TBM_GETTIC, i));
    Click(h, IDCANCEL);
  });
  EXPECT_FALSE(reverse);
  EXPECT_FALSE(mute);
  EXPECT_FALSE(z50);
  EXPECT_TRUE(z100);
  EXPECT_FALSE(z200);
  EXPECT_TRUE(random);
  EXPECT_FALSE(centered);
  EXPECT_TRUE(okFocused);
  EXPECT_EQ(pos, 1000);
  EXPECT_EQ(low, 500);
  EXPECT_EQ(high, 2000);
  // Both ends plus one tick every 250.
  EXPECT_EQ(tics, 7);
  EXPECT_EQ(inner, (std::vector<LRESULT>{750, 1000, 1250, 1500, 1750}));
}

TEST(OptionsDialog, OkUntouchedKeepsValidValuesAndNormalisesTheRest) {
  struct Case {
    PlaybackSettings in, out;
  };
  const Case cases[] = {
      {{0, 0, 1, 1000, 0}, {0, 0, 1, 1000, 0}},
      {{1, 1, 0, 500, 1}, {1, 1, 0, 500, 1}},
      {{0, 1, 2, 2000, 0}, {0, 1, 2, 2000, 0}},
      // Out of range: unchecked boxes, no radio button, the thumb at the nearer end.
      {{7, 7, 5, 3000, 4}, {0, 0, -1, 2000, -1}},
      // 2 is a check state (a plain check box shows it checked); -1 is none.
      {{-1, 2, -1, 100, -1}, {0, 1, -1, 500, -1}},
      // No rate at all plays at the normal rate, and shows so.
      {{0, 0, 1, -300, 0}, {0, 0, 1, 1000, 0}},
      // Fit to screen is its own value: Zoom keeps what older copies read;
      // a stored zoom of 3 is no zoom of its own, as 5 is.
      {{0, 0, 0, 1000, 0, 1}, {0, 0, 0, 1000, 0, 1}},
      {{0, 0, 3, 1000, 0, 0}, {0, 0, -1, 1000, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.in.Reverse << "," << c.in.Mute << ","
                                    << c.in.Zoom << "," << c.in.Speed << "," << c.in.Center);
    PlaybackSettings settings = c.in;
    EXPECT_TRUE(OpenOptions(settings, [](HWND h) { Click(h, IDOK); }));
    ExpectSettings(settings, c.out.Reverse, c.out.Mute, c.out.Zoom, c.out.Speed, c.out.Center);
    EXPECT_EQ(settings.FitToScreen, c.out.FitToScreen);
  }
}

TEST(OptionsDialog, ClickingTheControlsThenOkChangesTheSettings) {
  PlaybackSettings settings;
  EXPECT_TRUE(OpenOptions(settings, [](HWND h) {
    Click(h, IDC_REVERSE);
    Click(h, IDC_MUTE);
    Click(h, IDC_ZOOM_200);
    Click(h, IDC_POSITION_CENTERED);
    // One page down: faster, by the control's own page step.
    Key(h, Item(h, IDC_SPEED), WM_KEYDOWN, VK_NEXT);
    Click(h, IDOK);
  }));
  ExpectSettings(settings, 1, 1, 2, 1300, 1);

  settings = {1, 1, 2, 2000, 1};
  EXPECT_TRUE(OpenOptions(settings, [](HWND h) {
    Click(h, IDC_REVERSE);
    Click(h, IDC_MUTE);
    Click(h, IDC_ZOOM_50);
    Click(h, IDC_POSITION_RANDOM);
    Key(h, Item(h, IDC_SPEED), WM_KEYDOWN, VK_HOME);
    Click(h, IDOK);
  }));
  ExpectSettings(settings, 0, 0, 0, 500, 0);

  // Fit to screen, then a zoom again: Zoom stays as it was meanwhile.
  EXPECT_TRUE(OpenOptions(settings, [](HWND h) {
    Click(h, IDC_ZOOM_FIT);
    Click(h, IDOK);
  }));
  EXPECT_EQ(settings.FitToScreen, 1);
  EXPECT_EQ(settings.Zoom, 0);
  bool fitShown = false;
  EXPECT_TRUE(OpenOptions(settings, [&fitShown](HWND h) {
    fitShown = Checked(h, IDC_ZOOM_FIT) && !Checked(h, IDC_ZOOM_50);
    Click(h, IDC_ZOOM_200);
    Click(h, IDOK);
  }));
  EXPECT_TRUE(fitShown);
  EXPECT_EQ(settings.FitToScreen, 0);
  EXPECT_EQ(settings.Zoom, 2);
}

TEST(OptionsDialog, EveryWayOfCancellingKeepsTheSettings) {
  const std::function<void(HWND)> cancels[] = {
      [](HWND h) { Click(h, IDCANCEL); },
      [](HWND h) { Key(h, GetFocus(), WM_KEYDOWN, VK_ESCAPE); },
      [](HWND h) { SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  for (const auto& cancel : cancels) {
    PlaybackSettings settings{0, 1, 1, 1000, 0};
    EXPECT_FALSE(OpenOptions(settings, [&](HWND h) {
      Key(h, Item(h, IDC_SPEED), WM_KEYDOWN, VK_END);
      Click(h, IDC_REVERSE);
      Click(h, IDC_MUTE);
      Click(h, IDC_ZOOM_50);
      Click(h, IDC_POSITION_CENTERED);
      cancel(h);
    }));
    ExpectSettings(settings, 0, 1, 1, 1000, 0);
  }
}

TEST(OptionsDialog, RunsModallyOverItsOwner) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                               200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  PlaybackSettings settings;
  HWND ownedBy = nullptr;
  bool ownerEnabled = true;
  OpenOptions(
      settings,
      [&](HWND h) {
        ownedBy = GetWindow(h, GW_OWNER);
        ownerEnabled = IsWindowEnabled(owner);
        Click(h, IDCANCEL);
      },
      owner);
  EXPECT_EQ(ownedBy, owner);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

// At any DPI: a font of its size in points, and room for every caption.
TEST(OptionsDialog, IsDrawnForTheScreensDpi) {
  PlaybackSettings settings;
  std::string faults = "not opened";
  OpenOptions(settings, [&](HWND h) {
    faults = high_dpi::DialogFaults(h);
    Click(h, IDCANCEL);
  });
  EXPECT_EQ(faults, "");
}

// The keyboard: each group box's mnemonic leads into its frame, and the
// arrow keys cycle through the zoom buttons only.
TEST(OptionsDialog, MnemonicsAndArrowKeysStayWithTheirControls) {
  PlaybackSettings settings;
  // The control with the focus after each key, by caption (the trackbar has none).
  std::string afterSpeed, afterZoom, afterDown, afterUp;
  bool fitChecked = false, z200Checked = false;
  auto focus = [](HWND h) {
    HWND f = GetFocus();
    return f == Item(h, IDC_SPEED) ? std::string("trackbar") : Text(f);
  };
  OpenOptions(settings, [&](HWND h) {
    Key(h, GetFocus(), WM_SYSCHAR, 's');
    afterSpeed = focus(h);
    Key(h, GetFocus(), WM_SYSCHAR, 'z');
    afterZoom = focus(h);
    Click(h, IDC_ZOOM_200);
    SetFocus(Item(h, IDC_ZOOM_200));
    Key(h, GetFocus(), WM_KEYDOWN, VK_DOWN);
    afterDown = focus(h);
    fitChecked = Checked(h, IDC_ZOOM_FIT);
    Key(h, GetFocus(), WM_KEYDOWN, VK_UP);
    afterUp = focus(h);
    z200Checked = Checked(h, IDC_ZOOM_200);
    Click(h, IDCANCEL);
  });
  EXPECT_EQ(afterSpeed, "trackbar");
  // The zoom group is entered at its checked button.
  EXPECT_EQ(afterZoom, "100%");
  EXPECT_EQ(afterDown, "&Fit to screen");
  EXPECT_TRUE(fitChecked);
  EXPECT_EQ(afterUp, "200%");
  EXPECT_TRUE(z200Checked);
}

// What a user meets: the controls in tab order with their captions, kinds,
// groups and tab stops, and a layout where every control sits inside the
// dialog and its own frame, none covers another, and the speed labels read
// from 50% at the top to 200% at the bottom beside the trackbar.
TEST(OptionsDialog, TemplateHoldsItsControlsInTabOrder) {
  enum Kind { Push, DefPush, Check, Radio, Group, Label, Slider };
  struct Control {
    int id;
    Kind kind;
    const char* caption;
    bool group, tabStop;
  };
  const Control expected[] = {
      {IDOK, DefPush, "OK", false, true},
      {IDCANCEL, Push, "Cancel", false, true},
      {IDC_REVERSE, Check, "Play in Re&verse", false, true},
      {-1, Group, " Playback ", false, false},
      {-1, Group, " &Zoom ", false, false},
      {IDC_ZOOM_50, Radio, "50%", true, true},
      {IDC_ZOOM_100, Radio, "100%", false, false},
      {IDC_ZOOM_200, Radio, "200%", false, false},
      {IDC_ZOOM_FIT, Radio, "&Fit to screen", false, false},
      // The frame comes right before the trackbar it holds and starts a group:
      // Alt+S reaches the trackbar, and the zoom group ends at "200%".
      {-1, Group, " &Speed ", true, false},
      {IDC_SPEED, Slider, "", false, true},
      {-1, Label, "200%", true, false},
      {-1, Label, " 50%", true, false},
      {-1, Label, "100%", true, false},
      {IDC_MUTE, Check, "&Mute", false, true},
      {-1, Group, "Position", false, false},
      {IDC_POSITION_RANDOM, Radio, "&Random", true, true},
      {IDC_POSITION_CENTERED, Radio, "&Centered", false, false},
  };
  // What the dialog made of each control, read while it is open.
  struct Made {
    int id;
    std::string cls, caption;
    LONG style;
    RECT placed;
  };
  std::vector<Made> made;
  std::string caption, face;
  RECT client{};
  // A checked radio button takes its group's tab stop: with the first ones
  // checked the tab stops are those of the template.
  PlaybackSettings settings{0, 0, 0, 1000, 0};
  OpenOptions(settings, [&](HWND h) {
    caption = Text(h);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof font, &font);
    face = font.lfFaceName;
    GetClientRect(h, &client);
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      Made m{static_cast<short>(GetDlgCtrlID(c)), "", Text(c), GetWindowLongA(c, GWL_STYLE), {}};
      char cls[32] = {};
      GetClassNameA(c, cls, sizeof cls);
      m.cls = cls;
      GetWindowRect(c, &m.placed);
      MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&m.placed), 2);
      made.push_back(m);
    }
    Click(h, IDCANCEL);
  });
  EXPECT_EQ(caption, "Options");
  EXPECT_EQ(face, "Arial");
  ASSERT_EQ(made.size(), std::size(expected));
  auto inside = [](const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
  };
  for (size_t i = 0; i < made.size(); ++i) {
    const Control& want = expected[i];
    const Made& m = made[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " \"" << want.caption << "\"");
    EXPECT_EQ(m.id, want.id);
    EXPECT_EQ(m.caption, want.caption);
    EXPECT_EQ((m.style & WS_GROUP) != 0, want.group);
    EXPECT_EQ((m.style & WS_TABSTOP) != 0, want.tabStop);
    EXPECT_TRUE(inside(m.placed, client));
    switch (want.kind) {
      case Push: EXPECT_EQ(m.style & BS_TYPEMASK, BS_PUSHBUTTON); break;
      case DefPush: EXPECT_EQ(m.style & BS_TYPEMASK, BS_DEFPUSHBUTTON); break;
      case Check: EXPECT_EQ(m.style & BS_TYPEMASK, BS_AUTOCHECKBOX); break;
      case Radio: EXPECT_EQ(m.style & BS_TYPEMASK, BS_AUTORADIOBUTTON); break;
      case Group: EXPECT_EQ(m.style & BS_TYPEMASK, BS_GROUPBOX); break;
      case Label:
        EXPECT_STRCASEEQ(m.cls.c_str(), "Static");
        EXPECT_EQ(m.style & SS_TYPEMASK, SS_LEFT);
        break;
      case Slider:
        EXPECT_STRCASEEQ(m.cls.c_str(), TRACKBAR_CLASSA);
        // Vertical, minimum at the top, ticks on the right drawn by the control.
        EXPECT_EQ(m.style & 0xFFFF, TBS_VERT | TBS_AUTOTICKS);
        break;
    }
    if (want.kind != Label && want.kind != Slider) {
      EXPECT_STRCASEEQ(m.cls.c_str(), "Button");
    }
    if (want.kind == Group || want.kind == Push || want.kind == DefPush) continue;
    // Every other control lies in one frame and covers no other control.
    int frames = 0;
    for (size_t k = 0; k < made.size(); ++k) {
      RECT overlap{};
      if (expected[k].kind == Group) {
        frames += inside(m.placed, made[k].placed);
      } else if (k != i) {
        EXPECT_FALSE(IntersectRect(&overlap, &m.placed, &made[k].placed)) << "covers \"" << expected[k].caption << "\"";
      }
    }
    EXPECT_EQ(frames, 1);
  }
  // The labels (controls 11 to 13) beside the trackbar (10), from top to bottom.
  const RECT &slider = made[10].placed, &at200 = made[11].placed, &at50 = made[12].placed, &at100 = made[13].placed;
  EXPECT_LT(at50.top, at100.top);
  EXPECT_LT(at100.top, at200.top);
  for (const RECT* label : {&at50, &at100, &at200}) {
    EXPECT_GE(label->left, slider.right);
    EXPECT_TRUE(label->top >= slider.top && label->bottom <= slider.bottom);
  }
}

}  // namespace
