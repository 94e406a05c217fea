#pragma once

// Decimal numbers as DXF files write them, read fast. Most values of a
// drawing are short plain decimals ("12.5", "-0.000001", "100"): those are
// converted in place, eight digits at a time, to exactly the double that
// std::from_chars gives; anything else goes to std::from_chars itself.

#include <string_view>

namespace pos::dxf {

inline bool IsDigit(char c)
{
    return static_cast<unsigned>(c - '0') < 10u;
}

// The common case of a decimal number at p: an optional minus sign, digits
// with an optional point, an optional exponent, at most 19 significant
// digits with a value below 2^53 and a power of ten within 10^+-22. Returns
// the end of the number with its value, or null when the text at p is not
// such a number (it may still be a number that ParseReal reads).
const char *ScanSimpleReal(const char *p, const char *last, double &value);

enum class RealStatus { Ok, NotNumber, OutOfRange };

// A real number as DXF writes it: the whole text must be a decimal number
// with an optional sign. "nan", "inf", "1,5" and "" are not numbers; a number
// beyond the range of double is out of range; one too close to zero for a
// double is 0.
RealStatus ParseReal(std::string_view text, double &value);

} // namespace pos::dxf
