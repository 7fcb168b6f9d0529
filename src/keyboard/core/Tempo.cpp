#include "keyboard/core/Tempo.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace dzq {

namespace {

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double x)
{
    const double down = std::floor(x);
    const double diff = x - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

} // namespace

std::optional<int> stepMsForTempo(double tempo)
{
    if (!std::isfinite(tempo) || tempo <= 0)
        return std::nullopt;
    const double ms = roundHalfEven(7500.0 / tempo);
    if (ms < 1 || ms > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return int(ms);
}

double tempoTextValue(QStringView text)
{
    double value = 0;
    double scale = 0; // > 0 once past the decimal point: weight of the next digit
    bool negative = false;
    bool started = false;
    for (QChar c : text) {
        if (isBlank(c))
            continue;
        if (!started && (c == u'+' || c == u'-')) {
            negative = c == u'-';
            started = true;
        } else if (c >= u'0' && c <= u'9') {
            const int d = c.unicode() - u'0';
            if (scale > 0) {
                value += d * scale;
                scale /= 10;
            } else {
                value = value * 10 + d;
            }
            started = true;
        } else if (c == u'.' && scale == 0) {
            scale = 0.1;
            started = true;
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

std::optional<int> typedTempo(QStringView text)
{
    const double t = roundHalfEven(tempoTextValue(text));
    if (!(t >= LowestTypedTempo && t <= HighestTypedTempo))
        return std::nullopt;
    return int(t);
}

int tempoShownForStepMs(int stepMs)
{
    if (stepMs < 1)
        return 0;
    return 7500 / stepMs;
}

} // namespace dzq
