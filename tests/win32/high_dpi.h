#pragma once
// What a person sees of a window on a screen of any density: whether its
// font is of its size in points there and whether any caption is cut off.
// The tests hold at every DPI; the bench they run on sets it.
#include <windows.h>

#include <string>

namespace high_dpi {

// The captions of the window's labels, buttons, check boxes, radio buttons
// and group boxes that do not fit their control as it draws them, one line
// each: "Text": needs W x H, has W x H. Empty when every one fits.
std::string ClippedCaptions(HWND window);

// A dialog drawn for its DPI: the window is at the bench's DPI, its font is
// `points` high there, and no caption is cut off. What is wrong, one line
// each; empty when nothing is.
std::string DialogFaults(HWND dialog, int points = 8);

// The window's DPI, where it is not that of the bench (BENCH_DPI): a test
// meant for 144 DPI that finds 96 has tested nothing.
std::string DpiMismatch(HWND window);

// The screen as the bench's X server has it (BENCH_SCREEN, "WxH"), in real
// pixels; 0 x 0 off the bench.
SIZE BenchScreen();

}  // namespace high_dpi
