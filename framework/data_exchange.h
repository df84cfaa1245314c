#pragma once
// One data-exchange step between a dialog's members and its controls.
#include <windows.h>

#include <string>

namespace fw {

class DataExchange {
 public:
  DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  HWND Dialog() const { return dialog_; }
  bool Saving() const { return saving_; }
  bool Failed() const { return failed_; }
  void Fail() { failed_ = true; }

 private:
  HWND dialog_;
  bool saving_;
  bool failed_ = false;
};

// Check box: 0 unchecked, 1 checked (and 2 for a third state). Any other
// value shows as unchecked.
void ExchangeCheck(DataExchange& dx, int id, int& value);
// Radio group starting at firstId: the index of the checked button, counting
// only radio buttons up to the next group, or -1 when none is checked. A value
// outside the group leaves every button unchecked.
void ExchangeRadio(DataExchange& dx, int firstId, int& index);
// Text, whole.
void ExchangeText(DataExchange& dx, int id, std::string& text);

}  // namespace fw
