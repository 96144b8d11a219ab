// Fixed and general number texts, rounded on the decimal digits of the value.
#include "record/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace korvex {

namespace {

/// Decimal digits of |v| (17 significant) and the position of the decimal point: the value is
/// 0.d1d2d3... x 10^pointPos.
struct Decimal {
    char digits[24] = {};
    int count = 0;
    int pointPos = 0;
};

Decimal toDecimal(double v)
{
    Decimal d;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.16e", std::fabs(v)); // d.dddddddddddddddde+XX
    int n = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits[n++] = *p;
    d.count = n;
    const int exp10 = (*p == 'e') ? std::atoi(p + 1) : 0;
    d.pointPos = exp10 + 1;
    if (d.digits[0] == '0') { // the value is zero
        d.count = 0;
        d.pointPos = 0;
    }
    return d;
}

/// Keeps `keep` digits, rounding half away from zero on the next digit. A carry out of the
/// first digit moves the decimal point. Returns the number of digits kept (0 when the value
/// rounds to zero).
int roundDigits(Decimal& d, int keep)
{
    if (d.count == 0)
        return 0;
    if (keep < 0) {
        d.count = 0;
        return 0;
    }
    if (keep >= d.count)
        return d.count;
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[i];
        } else { // 999 -> 1000: one more leading digit
            std::memmove(d.digits + 1, d.digits, static_cast<size_t>(keep));
            d.digits[0] = '1';
            ++d.count;
            ++d.pointPos;
            if (d.count > keep && keep > 0)
                d.count = keep; // the dropped digit is a 0
            if (keep == 0)
                d.count = 1;
        }
    }
    // A result of all zeros is zero.
    bool any = false;
    for (int i = 0; i < d.count; ++i)
        any = any || d.digits[i] != '0';
    if (!any)
        d.count = 0;
    return d.count;
}

char digitAt(const Decimal& d, int i)
{
    return (i >= 0 && i < d.count) ? d.digits[i] : '0';
}

std::string nonFinite(double v)
{
    if (std::isnan(v))
        return "NAN";
    return v < 0 ? "-INF" : "INF";
}

/// Scientific text "d.dddE<exp>" with trailing mantissa zeros dropped; expDigits is the least
/// number of exponent digits, withPlus writes "+" before a positive exponent.
std::string scientific(bool negative, const Decimal& d, int expDigits, bool withPlus)
{
    std::string s;
    if (negative)
        s += '-';
    int last = d.count;
    while (last > 1 && d.digits[last - 1] == '0')
        --last;
    s += digitAt(d, 0);
    if (last > 1) {
        s += '.';
        s.append(d.digits + 1, static_cast<size_t>(last - 1));
    }
    const int e = d.pointPos - 1;
    s += 'E';
    if (e < 0)
        s += '-';
    else if (withPlus)
        s += '+';
    char eb[16];
    std::snprintf(eb, sizeof eb, "%0*d", expDigits, e < 0 ? -e : e);
    s += eb;
    return s;
}

} // namespace

std::string formatFixed(double value, int precision, int decimals)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    precision = precision < 1 ? 1 : (precision > 17 ? 17 : precision);
    decimals = decimals < 0 ? 0 : (decimals > 18 ? 18 : decimals);
    Decimal d = toDecimal(value);
    // One rounding, at whichever comes first: the last significant digit or the last decimal.
    const int keep = std::min(precision, d.pointPos + decimals);
    roundDigits(d, keep);
    const bool negative = value < 0 && d.count > 0;
    if (d.count > 0 && d.pointPos > precision)
        return scientific(negative, d, 0, false);

    std::string s;
    if (negative)
        s += '-';
    if (d.count == 0 || d.pointPos <= 0) {
        s += '0';
    } else {
        for (int i = 0; i < d.pointPos; ++i)
            s += digitAt(d, i);
    }
    if (decimals > 0) {
        s += '.';
        for (int k = 0; k < decimals; ++k)
            s += (d.count == 0) ? '0' : digitAt(d, d.pointPos + k);
    }
    return s;
}

std::string formatGeneral(double value, int precision)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    Decimal d = toDecimal(value);
    roundDigits(d, precision);
    if (d.count == 0)
        return "0";
    const bool negative = value < 0;
    // Fixed form from 0.00001 up to `precision` integer digits; scientific outside.
    if (d.pointPos > precision || d.pointPos < -4)
        return scientific(negative, d, 2, true);
    int last = d.count;
    while (last > 0 && d.digits[last - 1] == '0')
        --last;
    std::string s;
    if (negative)
        s += '-';
    if (d.pointPos <= 0) {
        s += "0.";
        s.append(static_cast<size_t>(-d.pointPos), '0');
        s.append(d.digits, static_cast<size_t>(last));
        return s;
    }
    for (int i = 0; i < d.pointPos; ++i)
        s += digitAt(d, i);
    if (last > d.pointPos) {
        s += '.';
        s.append(d.digits + d.pointPos, static_cast<size_t>(last - d.pointPos));
    }
    return s;
}

bool parseNumber(const std::string& text, double& value)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    if (b < e && text[b] == '+')
        ++b;
    if (b == e)
        return false;
    // Only plain decimal notation: no "inf", "nan" or hexadecimal.
    for (size_t i = b; i < e; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    }
    double v = 0;
    const auto res = std::from_chars(text.data() + b, text.data() + e, v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != text.data() + e || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

} // namespace korvex
