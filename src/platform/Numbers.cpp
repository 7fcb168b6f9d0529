#include "platform/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace dzq {

namespace {

bool isIgnoredInVal(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int hexDigitValue(QChar c)
{
    if (isAsciiDigit(c))
        return c.unicode() - '0';
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    return -1;
}

// Walks text the way Val reads it: ignored characters are skipped before
// every character looked at.
class ValReader {
public:
    explicit ValReader(QStringView text) : text_(text) {}
    QChar peek()
    {
        while (pos_ < text_.size() && isIgnoredInVal(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }
    void next() { ++pos_; }
    // Appends the ASCII digits that follow to out; returns how many there were.
    int digits(std::string &out)
    {
        int count = 0;
        for (QChar c = peek(); isAsciiDigit(c); c = peek()) {
            out += char(c.unicode());
            next();
            ++count;
        }
        return count;
    }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

double hexValue(ValReader &in)
{
    uint64_t value = 0;
    bool any = false;
    bool huge = false;
    for (int d = hexDigitValue(in.peek()); d >= 0; d = hexDigitValue(in.peek())) {
        in.next();
        any = true;
        if (value > (std::numeric_limits<uint64_t>::max() >> 4))
            huge = true;
        else
            value = value * 16 + uint64_t(d);
    }
    if (!any)
        return 0;
    if (huge)
        return std::numeric_limits<double>::infinity();
    if (value <= 0xFFFF)
        return double(int16_t(uint16_t(value)));
    if (value <= 0xFFFFFFFF)
        return double(int32_t(uint32_t(value)));
    return double(value);
}

double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

int clampToInt(double value, double low, double high, bool *ok)
{
    bool inRange = true;
    if (std::isnan(value)) {
        value = 0;
        inRange = false;
    } else if (value < low) {
        value = low;
        inRange = false;
    } else if (value > high) {
        value = high;
        inRange = false;
    }
    if (ok)
        *ok = inRange;
    return int(value);
}

} // namespace

double Val(QStringView text)
{
    ValReader in(text);
    QChar c = in.peek();
    if (c == QLatin1Char('&')) {
        in.next();
        c = in.peek();
        if (c != QLatin1Char('H') && c != QLatin1Char('h'))
            return 0;
        in.next();
        return hexValue(in);
    }

    std::string number;
    if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
        if (c == QLatin1Char('-'))
            number += '-';
        in.next();
    }
    int mantissaDigits = in.digits(number);
    if (in.peek() == QLatin1Char('.')) {
        in.next();
        number += '.';
        mantissaDigits += in.digits(number);
    }
    if (mantissaDigits == 0)
        return 0;
    bool negativeExponent = false;
    c = in.peek();
    if (c == QLatin1Char('E') || c == QLatin1Char('e') || c == QLatin1Char('D') || c == QLatin1Char('d')) {
        in.next();
        std::string exponent = "e";
        c = in.peek();
        if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
            negativeExponent = c == QLatin1Char('-');
            exponent += char(c.unicode());
            in.next();
        }
        if (in.digits(exponent) > 0)
            number += exponent;
        else
            negativeExponent = false;
    }

    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool negative = number.front() == '-';
        if (negativeExponent)
            return negative ? -0.0 : 0.0;
        const double inf = std::numeric_limits<double>::infinity();
        return negative ? -inf : inf;
    }
    return value;
}

int CInt(double value, bool *ok)
{
    if (std::isfinite(value))
        value = roundHalfEven(value);
    return clampToInt(value, -32768.0, 32767.0, ok);
}

int Int(double value, bool *ok)
{
    if (std::isfinite(value))
        value = std::floor(value);
    return clampToInt(value, double(std::numeric_limits<int32_t>::min()),
                      double(std::numeric_limits<int32_t>::max()), ok);
}

QString decimalField(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

QString hexField(int value, int width)
{
    return QString::number(uint32_t(value), 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

std::optional<int> parseDecimalField(QStringView field)
{
    if (field.isEmpty())
        return std::nullopt;
    int64_t value = 0;
    for (QChar c : field) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int32_t>::max())
            return std::nullopt;
    }
    return int(value);
}

std::optional<int> parseHexField(QStringView field)
{
    if (field.isEmpty() || field.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (QChar c : field) {
        const int d = hexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + uint32_t(d);
    }
    return int32_t(value);
}

} // namespace dzq
