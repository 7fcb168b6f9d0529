#pragma once
// The built-in synthesizer's sound output on a PulseAudio server (or a server
// that speaks its protocol, as PipeWire's does), through the asynchronous API:
// the output renders each piece of sound when the server asks for it, hears
// of the stream's underflows, and outlives the server.
//
// Buffer: it starts with a small one. Each underflow (the server found the
// stream empty and played silence) grows it by half, at most once per
// kGrowthPauseMs so that one stall counts once, up to kMaxBufferFrames; it
// never shrinks, so it never goes back below a size that held during the run.
// Underflows count from allowGrowth() on: the stalls of the program's own
// start (its soundfont read, its windows built) are no measure of the
// machine, and nothing is played before it.
// The size the server grants counts: a server that grants more than asked
// (PipeWire's layer does) is grown from what it granted. A pinned buffer
// (the command line's period options) keeps the size asked for.
//
// Server: while there is none (not started yet, or gone), a silent clock
// keeps rendering in real time into nothing, so clock-driven messages are
// played and dropped on time and nothing queues up; a new connection is tried
// every kRetryMs, and sound resumes with the buffer size reached before.
// Only waitForFirstAttempt() waits for the server on the caller's thread, and
// no longer than it is told.
#include <functional>
#include <memory>

namespace dzq {

class PulseOutput {
public:
    // Fills `frames` frames of interleaved stereo float.
    using Render = std::function<void(float *stereo, int frames)>;

    struct Options {
        int sampleRate = 44100;
        int bufferFrames = 256; // the buffer asked for first
        int periodFrames = 128; // how much the server asks for at a time
        bool grow = true;       // false: the buffer stays as asked for
    };
    enum class State {
        Connecting, // first attempt not decided yet
        Playing,
        NoServer,   // no server reached (or it went away); retrying
    };
    static constexpr int kRetryMs = 500;
    static constexpr int kGrowthPauseMs = 100;
    static constexpr int kMaxBufferFrames = 8192;

    // render and changed are called on the output's own thread; changed
    // after the state or the buffer changed.
    PulseOutput(const Options &options, Render render, std::function<void()> changed);
    ~PulseOutput();
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    // From now on underflows grow the buffer (unless it is pinned).
    void allowGrowth();
    // Waits at most ms for the first attempt to be decided; the state then.
    State waitForFirstAttempt(int ms);
    State state() const;
    bool everPlayed() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace dzq
