#pragma once
// The densest accompaniment the keyboard window can play, as messages by
// frame: tempo 130 (58 ms per tick); every tick the expression ramp and a new
// note on each of the three melody voices (the second also five lower); every
// fourth tick a three-note chord, spread 10 ms, on each of the three chord
// voices and a hit on each of the three drum lanes. The render benchmark
// renders it offline, the sound benchmark plays it in real time.
#include <cstdint>
#include <map>

namespace dzq::bench {

inline uint32_t pack(int status, int d1, int d2) { return uint32_t(status) | uint32_t(d1) << 8 | uint32_t(d2) << 16; }

inline std::multimap<int64_t, uint32_t> densestAccompaniment(double seconds, int rate = 44100)
{
    std::multimap<int64_t, uint32_t> at;
    auto frameOf = [rate](double ms) { return int64_t(ms * rate / 1000.0); };
    const int melodyPrograms[] = {49, 9, 54};
    const int chordPrograms[] = {0, 48, 25};
    for (int v = 0; v < 3; ++v) {
        at.emplace(0, pack(0xC0 + v, melodyPrograms[v], 0));
        at.emplace(0, pack(0xC3 + v, chordPrograms[v], 0));
    }
    const int scale[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19};
    const int chords[][3] = {{0, 4, 7}, {5, 9, 12}, {7, 11, 14}, {9, 12, 16}};
    int melody[3] = {-1, -1, -1};
    int chord[3][3] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
    const int ticks = int(seconds * 1000 / 58);
    for (int tick = 0; tick < ticks; ++tick) {
        const double t = tick * 58.0;
        const int64_t f = frameOf(t);
        const int ramp = 120 - 2 * (tick % 32);
        for (int ch : {3, 4, 9})
            at.emplace(f, pack(0xB0 + ch, 11, ramp));
        for (int v = 0; v < 3; ++v) {
            if (melody[v] >= 0) {
                at.emplace(f, pack(0x80 + v, melody[v], 0));
                if (v == 2)
                    at.emplace(f, pack(0x80 + v, melody[v] - 5, 0));
            }
            melody[v] = 60 + scale[(tick * (v + 1)) % 12];
            at.emplace(f, pack(0x90 + v, melody[v], 100));
            if (v == 2)
                at.emplace(f, pack(0x90 + v, melody[v] - 5, 100));
        }
        if (tick % 4 != 0)
            continue;
        const int *c = chords[(tick / 16) % 4];
        for (int v = 0; v < 3; ++v) {
            const int ch = 3 + v;
            for (int n = 0; n < 3; ++n) {
                if (chord[v][n] >= 0)
                    at.emplace(f, pack(0x80 + ch, chord[v][n], 0));
                chord[v][n] = 48 + c[n];
                at.emplace(frameOf(t + 10.0 * n), pack(0x90 + ch, chord[v][n], 90));
            }
        }
        for (int drum : {36, 38, 42})
            at.emplace(f, pack(0x99, drum, 100));
    }
    return at;
}

} // namespace dzq::bench
