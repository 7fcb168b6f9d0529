#include "keyboard/core/Tempo.h"

#include "platform/Numbers.h"

#include <cmath>

namespace dzq {

std::optional<int> stepMsForTempo(double tempo)
{
    if (!std::isfinite(tempo) || tempo <= 0)
        return std::nullopt;
    bool inRange = false;
    const int ms = CInt(7500.0 / tempo, &inRange);
    if (!inRange || ms < 1)
        return std::nullopt;
    return ms;
}

std::optional<int> typedTempo(QStringView text)
{
    bool inRange = false;
    const int t = CInt(Val(text), &inRange);
    if (!inRange || t < LowestTypedTempo || t > HighestTypedTempo)
        return std::nullopt;
    return t;
}

int tempoShownForStepMs(int stepMs)
{
    if (stepMs < 1)
        return 0;
    return Int(7500.0 / stepMs);
}

} // namespace dzq
