#pragma once
// Plays WAV sound effects asynchronously; a new sound replaces the one that is
// playing. Tests install a recording player.
#include <QString>

namespace dzq {

class EffectPlayer {
public:
    virtual ~EffectPlayer() = default;
    // Starts the WAV file at path from its beginning, stopping any effect that plays.
    virtual void play(const QString &path) = 0;
    // Stops the playing effect, if any.
    virtual void stop() = 0;
    // The short default warning sound (no file).
    virtual void beep() = 0;
    // The program's own output gain for effects, 0.0 .. 1.0.
    virtual void setVolume(double volume) = 0;

    static EffectPlayer &instance();
    static void install(EffectPlayer *player); // not owned; nullptr restores the default
};

} // namespace dzq
