// The colour wheel from which escaped points take their colours.
#pragma once

#include "fracsave/core/saver_state.h"

namespace fracsave {

// Six runs around the wheel: red, yellow, green, cyan, blue, magenta, back to red.
void BuildColourTable(ColourTable& table);

// New entry i is old entry (i + n) mod 256. n is meant to be 0..256; any
// other value is taken modulo 256 rather than reading outside the table.
void RotateColourTable(ColourTable& table, int n);

}  // namespace fracsave
