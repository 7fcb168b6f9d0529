#pragma once
// What another window of the program needs from the keyboard window, which
// stays loaded (hidden) while that window is open. Other windows go through
// this interface instead of the window's widgets.
#include "keyboard/core/RhythmFile.h"
#include "shared/Shared.h"

#include <QString>

#include <array>

namespace dzq {

// What the editor's import takes from the keyboard window for the automatic
// accompaniment, read from the window at the moment of the import.
struct AccompanimentInputs {
    ChordSequence chordSeq{};  // the chord sequence ChordSeq (voices 1..3)
    int chordSeqLen = 0;       // ChordSeqLen: entries of one cycle, 0 without a progression
    // Values of the rhythm grid boxes BZA, BZB, BZC (a cell counts when 1).
    std::array<std::array<int, RhythmLaneCells>, 3> rhythmCells{};
    std::array<int, 3> laneInstrument{};  // percussion list index of each lane (LblInst)
    std::array<int, 3> chordInstrument{}; // instrument list index of each chord voice (Combo1..3)
    int tempoIndex = -1;                  // tempo list index of SD, -1 when a tempo was typed
    QString tempoText;                    // the text of SD
};

class KeyboardWindowApi {
public:
    virtual ~KeyboardWindowApi() = default;
    // Stops the keyboard window's clocks and its recorder poll, remembering
    // which ran; resume restarts those (each counting a whole interval from
    // the call). A second suspend before a resume changes nothing, nor does a
    // resume without a suspend.
    virtual void suspendClocks() = 0;
    virtual void resumeClocks() = 0;
    virtual AccompanimentInputs accompanimentInputs() const = 0;
    // Item data of the output device chosen in the keyboard window's list
    // (-1 the built-in synthesizer, 0.. the other devices), below -1 when
    // none is chosen.
    virtual int selectedOutputDevice() const = 0;
    // Puts the keyboard window's instruments, volumes, key, tempo and rhythm
    // back to its fixed setup and prepares the shared state from them.
    virtual void RestoreKeyboardDefaults() = 0;
    // Shows the keyboard window again (which activates it).
    virtual void showKeyboardWindow() = 0;
};

} // namespace dzq
