// The scrambling a screen-saver password passes through before it is stored
// in CONTROL.INI or compared with the stored text.
#pragma once

#include <cstdint>

namespace fracsave {

// Longest password kept, without its terminator.
constexpr int kPasswordMax = 20;
// The byte that starts both passes of the scrambling: 'M' for Mandelbrot.
constexpr uint8_t kScrambleStart = 'M';

// True for the values a scrambled byte never takes: control characters and the
// blank, the characters that would break a CONTROL.INI line ('=', '[', ']'),
// and 0x7F to 0x9F apart from 0x91 and 0x92.
bool ScrambleRefused(uint8_t value);

// cell becomes (low byte of a) XOR cell, unless that value is refused.
void ScrambleStep(int32_t a, uint8_t* cell);

// Upper-cases a terminated text in place (the system's ANSI rule on Win32).
using UpperCaser = void (*)(char* text);

// Scrambles at most kPasswordMax characters of text in place; text must hold
// that many characters plus a terminator, and is cut to that length. An empty
// text is left alone; a one-character text is kept exactly as typed.
void ScramblePasswordWith(char* text, UpperCaser upper);

// ASCII upper-casing, for hosts without the system's.
void AsciiUpper(char* text);

}  // namespace fracsave
