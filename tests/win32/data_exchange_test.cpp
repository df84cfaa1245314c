// Dialog data exchange: one step into the controls at opening, one back at OK.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/dialog.h"
#include "test_ids.h"

namespace {

class ExchangeDialog : public fw::Dialog {
 public:
  ExchangeDialog() : fw::Dialog(IDD_TEST_EXCHANGE) {}
  int check = 0;
  int radio = 0;
  std::string text;
  // Runs once the dialog is open, then the dialog is ended with `close`.
  std::function<void(HWND)> whileOpen;
  int close = IDOK;

 protected:
  void DoDataExchange(fw::DataExchange& dx) override {
    fw::ExchangeCheck(dx, IDC_TEST_CHECK, check);
    fw::ExchangeRadio(dx, IDC_TEST_RADIO_A, radio);
    fw::ExchangeText(dx, IDC_TEST_EDIT, text);
  }
  BOOL OnInitDialog() override {
    fw::Dialog::OnInitDialog();
    PostMessageA(hwnd(), WM_APP, 0, 0);
    return TRUE;
  }
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnOpened(fw::Message&) {
    if (whileOpen) whileOpen(hwnd());
    SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(close, BN_CLICKED), 0);
    return 0;
  }
};
FW_BEGIN_MESSAGE_MAP(ExchangeDialog, fw::Dialog)
  FW_ON_MESSAGE(WM_APP, OnOpened)
FW_END_MESSAGE_MAP()

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

TEST(DataExchange, OpeningPutsTheMembersIntoTheControls) {
  ExchangeDialog d;
  d.check = 1;
  d.radio = 2;
  d.text = "a whole line of text";
  bool checked = false, a = true, b = true, c = false, next = true;
  char text[64] = {};
  d.whileOpen = [&](HWND h) {
    checked = Checked(h, IDC_TEST_CHECK);
    a = Checked(h, IDC_TEST_RADIO_A);
    b = Checked(h, IDC_TEST_RADIO_B);
    c = Checked(h, IDC_TEST_RADIO_C);
    next = Checked(h, IDC_TEST_NEXT_GROUP);
    GetDlgItemTextA(h, IDC_TEST_EDIT, text, sizeof text);
  };
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_TRUE(checked);
  // The static text between the buttons does not count as an index.
  EXPECT_FALSE(a);
  EXPECT_FALSE(b);
  EXPECT_TRUE(c);
  EXPECT_FALSE(next);
  EXPECT_STREQ(text, "a whole line of text");
}

TEST(DataExchange, OkTakesTheControlsBack) {
  ExchangeDialog d;
  d.whileOpen = [](HWND h) {
    CheckDlgButton(h, IDC_TEST_CHECK, BST_CHECKED);
    CheckDlgButton(h, IDC_TEST_RADIO_A, BST_UNCHECKED);
    CheckDlgButton(h, IDC_TEST_RADIO_B, BST_CHECKED);
    SetDlgItemTextA(h, IDC_TEST_EDIT, "typed");
  };
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.check, 1);
  EXPECT_EQ(d.radio, 1);
  EXPECT_EQ(d.text, "typed");
}

TEST(DataExchange, ValueOutsideTheGroupChecksNoneAndNoneCheckedGivesMinusOne) {
  ExchangeDialog d;
  d.radio = 7;
  bool any = true;
  d.whileOpen = [&](HWND h) {
    any = Checked(h, IDC_TEST_RADIO_A) || Checked(h, IDC_TEST_RADIO_B) || Checked(h, IDC_TEST_RADIO_C);
  };
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_FALSE(any);
  EXPECT_EQ(d.radio, -1);
}

TEST(DataExchange, CancelTakesNothingBack) {
  ExchangeDialog d;
  d.text = "kept";
  d.close = IDCANCEL;
  d.whileOpen = [](HWND h) {
    CheckDlgButton(h, IDC_TEST_CHECK, BST_CHECKED);
    SetDlgItemTextA(h, IDC_TEST_EDIT, "discarded");
  };
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.check, 0);
  EXPECT_EQ(d.text, "kept");
}

}  // namespace
