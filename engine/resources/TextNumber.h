#pragma once

#include <string>

namespace nv {

/// The leading integer of text as atoi reads it (blanks, sign, digits), 0 if none, clamped to int's range.
int textToInt(const std::string &text);

} // namespace nv
