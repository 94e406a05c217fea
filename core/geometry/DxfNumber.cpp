#include "geometry/DxfNumber.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace pos::dxf {

namespace {

bool IsDigitOrPoint(char c)
{
    return c == '.' || IsDigit(c);
}

// The eight-digits-at-once (SWAR) conversion below is the technique that
// Daniel Lemire published for simdjson and fast_float: pairs, then quads,
// then the eight digits are combined with three multiplications.

// The value of eight digits, 0 to 9 each, the first in the lowest byte.
std::uint64_t EightDigits(std::uint64_t x)
{
    x = (x * 10) + (x >> 8); // pairs
    x = (((x & 0x000000FF000000FFu) * 0x000F424000000064u)
         + (((x >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u))
        >> 32;
    return x;
}

// Appends the run of decimal digits at p to mantissa (which wraps when the run
// is too long; the caller counts the digits) and returns the end of the run.
// Where the machine is little-endian and eight bytes are left, they are
// taken at once: the run's length within them is found without a branch
// per digit, which keeps numbers of varying length from stalling the
// processor on mispredicted loop ends.
const char *TakeDigits(const char *p, const char *last, std::uint64_t &mantissa)
{
    if constexpr (std::endian::native == std::endian::little) {
        while (last - p >= 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, p, 8);
            const std::uint64_t x = chunk ^ 0x3030303030303030u; // digits become 0 to 9
            // A byte's high bit marks a non-digit; carries only reach bytes
            // after the first non-digit.
            const std::uint64_t other = ((x + 0x7676767676767676u) | x) & 0x8080808080808080u;
            const int n = other ? std::countr_zero(other) >> 3 : 8;
            if (n == 0)
                return p;
            // Move the n digits to the top; the zero bytes below them are
            // leading zeros.
            static constexpr std::uint64_t kScale[]
                = {1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u};
            mantissa = mantissa * kScale[n] + EightDigits(x << (8 * (8 - n)));
            p += n;
            if (n < 8)
                return p;
        }
    }
    for (; p != last && IsDigit(*p); ++p)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    return p;
}

// Whether a number that from_chars finds out of range is too large rather
// than too close to zero: its first significant digit stands at decimal
// position order (1 for the units), so it is about 10^(order + exponent).
bool TooLarge(const char *p, const char *last)
{
    if (p != last && *p == '-')
        ++p;
    long long order = 0;
    bool significant = false;
    for (; p != last && IsDigit(*p); ++p) {
        significant = significant || *p != '0';
        order += significant ? 1 : 0;
    }
    if (p != last && *p == '.')
        ++p;
    for (; p != last && IsDigit(*p); ++p) {
        if (!significant && *p == '0')
            --order;
        significant = significant || *p != '0';
    }
    long long exponent = 0;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+'))
            ++p;
        for (; p != last && IsDigit(*p); ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), 1000000000LL);
        if (negative)
            exponent = -exponent;
    }
    return order + exponent > 0;
}

} // namespace

// Both the mantissa (below 2^53) and the power of ten (at most 10^22) are
// exact doubles, so one multiplication or division gives the correctly
// rounded value, the same that from_chars gives.
const char *ScanSimpleReal(const char *p, const char *last, double &value)
{
    static constexpr double kPow10[]
        = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = p != last && *p == '-';
    p += negative ? 1 : 0;
    const char *start = p;
    while (p != last && *p == '0')
        ++p;
    std::uint64_t mantissa = 0; // may wrap; then too many digits reject it below
    const char *digits = p;
    p = TakeDigits(p, last, mantissa);
    std::ptrdiff_t significant = p - digits;
    std::ptrdiff_t fraction = 0;
    bool anyDigit = p != start;
    if (p != last && *p == '.') {
        ++p;
        const char *fractionStart = p;
        if (mantissa == 0)
            while (p != last && *p == '0')
                ++p;
        digits = p;
        p = TakeDigits(p, last, mantissa);
        significant += p - digits;
        fraction = p - fractionStart;
        anyDigit = anyDigit || p != fractionStart;
    }
    if (!anyDigit || significant > 19 || fraction > 22)
        return nullptr;
    int exponent = -static_cast<int>(fraction);
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+'))
            ++p;
        const char *first = p;
        int e = 0;
        for (; p != last && IsDigit(*p) && e < 10000; ++p)
            e = e * 10 + (*p - '0');
        if (p == first)
            return nullptr;
        exponent += negativeExponent ? -e : e;
    }
    if (mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22)
        return nullptr;
    const auto m = static_cast<double>(mantissa);
    value = exponent < 0 ? m / kPow10[-exponent] : m * kPow10[exponent];
    if (negative)
        value = -value;
    return p;
}

RealStatus ParseReal(std::string_view text, double &value)
{
    const char *first = text.data();
    const char *last = first + text.size();
    if (last - first > 1 && *first == '+' && IsDigitOrPoint(first[1]))
        ++first;
    if (ScanSimpleReal(first, last, value) == last)
        return RealStatus::Ok;
    // from_chars also takes "inf" and "nan", which no DXF writer means.
    const char *body = (first != last && *first == '-') ? first + 1 : first;
    if (body == last || !IsDigitOrPoint(*body))
        return RealStatus::NotNumber;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ptr != last)
        return RealStatus::NotNumber; // whatever from_chars made of it, not all of it
    if (ec == std::errc::result_out_of_range) {
        // Underflow is harmless (the value is about 0); overflow is not.
        if (TooLarge(first, last))
            return RealStatus::OutOfRange;
        value = 0.0;
    }
    return RealStatus::Ok;
}

} // namespace pos::dxf
