#pragma once
// The score language: a text of two-character tokens, nothing between them,
// each optionally followed by one or two decimal digits. Notes and rests carry
// their length in eighths of a beat; commands change key, tempo, rhythm and
// instrument preset. Both readers of a score use the rules here: the main
// window's interpreter (YSCX) and the editor's import (YUEPUSB).
//
// Positions are 1-based indexes into the text, counted in QChar units (one
// character of the text box each). Texts of any length are read in place,
// without copies; reading a whole text token by token is linear in its length.
//
// The interpreter's use, one call of YSCX:
//     const ScoreToken t = readScoreToken(ScoreText, ScorePos, ScoreReadMode::Interpreter);
//     const ScoreTokenKind kind = scoreTokenKind(t.text);
//     NoteDuration = noteDurationAfter(kind, t, NoteDuration);
//     switch (kind) { ... }   // commands: apply, ScorePos = t.next, read on
//                             //   (a loop: a long run of commands must not recurse)
//                             // Note/Rest: ScorePos = t.next
//                             // End: stop and reset, ScorePos = 1
//                             // Error: ScorePos stays on the failing token
//                             // EndOfText: the text is used up without "TZ";
//                             //   the last note has had its full length, so
//                             //   playback ends in order, with no error message
// and in each Timer3 tick, after NoteTick += 1:
//     if (noteLengthUsedUp(NoteTick, NoteDuration)) { YSCX(); NoteTick = 0; }
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace dzq {

// ---- note codes ----------------------------------------------------------

constexpr int RestCode = 254;   // "XZ"
constexpr int NoNoteCode = 255; // not a note: hold, stopped, any other text
constexpr int FirstChordCode = 65;
constexpr int LastChordCode = 85;

// The code of a two-character text by the converter table both windows use:
//  - the 33 note names: 12 x register + semitone ("LC" 0, "KC" 24, "MG" 55);
//  - chord names, root letter C..B then position letter: "CL".."BL" 65..71,
//    "CC".."BC" 72..78, "CM".."BM" 79..85;
//  - "XZ" 254;
//  - anything else 255: "MA", "MB", "TZ", "--", lower case, other lengths.
// The comparison is exact and case-sensitive.
int noteCode(QStringView text);
// True for the 33 note names only (the notes a score may play).
bool isNoteName(QStringView text);

// ---- tokens --------------------------------------------------------------

// What a token means to the interpreter.
enum class ScoreTokenKind {
    Note,      // one of the 33 note names; its code is noteCode(token)
    Rest,      // "XZ"
    End,       // "TZ": playback stops and is reset
    Key,       // "YD"
    Tempo,     // "VS"
    Rhythm,    // "JP"
    Preset,    // "YQ"
    Error,     // any other pair (chord names and lower case among them), a lone
               // last character, a blank or a line break
    EndOfText, // the empty token: nothing is left to read
};
ScoreTokenKind scoreTokenKind(QStringView token);

// The two readers differ only at the end of the text: the interpreter reads a
// lone last character as a token (an error), the import ignores it.
enum class ScoreReadMode { Interpreter, Import };

struct ScoreToken {
    // The two characters at the read position; one when only one is left in
    // Interpreter mode; empty when the text is used up (Import: fewer than two
    // characters left).
    QString text;
    // The digits right after the token, at most two ("05" is 5, "00" is 0); a
    // third digit begins the next token. Empty when no digit follows.
    std::optional<int> number;
    // Position of the next token: past the token and its digits. At the end of
    // the text it is the position read (nothing was consumed).
    qsizetype next = 1;

    bool atEnd() const { return text.isEmpty(); }
};

// Reads the token at 1-based position pos (a position below 1 reads from 1).
// The last token of a text is read whole, digits included, and the read after
// it reports the end: the position never falls back onto the token's second
// letter, so "KC8KD" ends after "KD" instead of reading a stray "D".
ScoreToken readScoreToken(QStringView score, qsizetype pos, ScoreReadMode mode);

// ---- commands ------------------------------------------------------------

// The commands and the numbers they act on. The number n selects entry n - 1
// of the list the command sets: the key list YD (KeyBase = 35 + n), the tempo
// list SD (35 + 5n beats a minute), the rhythm file list File1 (n = 99 instead
// turns rhythm sync off), the preset rows (13: all three voices "0.无声").
// A missing number counts as 0. A number outside the range changes nothing,
// but the command's resets (scoreCommandResets) still happen.
struct ScoreCommand {
    ScoreTokenKind kind;
    const char *token;
    int first;
    int last;
};
inline constexpr std::array<ScoreCommand, 4> ScoreCommands{{
    {ScoreTokenKind::Key, "YD", 1, 11},
    {ScoreTokenKind::Tempo, "VS", 1, 19},
    {ScoreTokenKind::Rhythm, "JP", 1, 99},
    {ScoreTokenKind::Preset, "YQ", 1, 13},
}};
constexpr int RhythmSyncOffNumber = 99; // "JP99"; 1..98 load the n-th rhythm file

// The command of a kind; nullptr for a kind that is no command.
const ScoreCommand *scoreCommand(ScoreTokenKind kind);
// True when the command acts on number n.
bool scoreCommandAccepts(ScoreTokenKind kind, int n);
constexpr int keyBaseForKeyCommand(int n) { return 35 + n; }
constexpr int tempoForTempoCommand(int n) { return 35 + 5 * n; }

// What the interpreter resets after a command with number n (a missing number
// is 0). NoteTick is set to 0 after every command in any case.
struct ScoreCommandResets {
    bool counters; // the counter reset: CurStep 0, AccompStep 0, NoteTick 0, ChordStep 1
    bool length;   // NoteDuration = 0
};
// "YD" and "JP": both, whatever the number. "VS": both when the number is in
// range, neither otherwise. "YQ": the length only. Not a command: neither.
ScoreCommandResets scoreCommandResets(ScoreTokenKind kind, int n);

// ---- lengths -------------------------------------------------------------

// The current length (NoteDuration) after the interpreter has handled token t:
// a number read after any token becomes the current length; a command then
// clears it as scoreCommandResets says. So "KC8KD" plays "KD" 8 ticks, "VS25KC"
// plays "KC" 25 ticks and "YQ2KC" leaves "KC" at 0.
int noteDurationAfter(ScoreTokenKind kind, const ScoreToken &t, int noteDuration);

// True when a note that has sounded noteTick ticks is over. A length of 0 (a
// written "0", or a note without a number right after a command) ends after
// its first tick, like a length of 1, so playback always moves on.
constexpr bool noteLengthUsedUp(int noteTick, int noteDuration) { return noteTick >= noteDuration; }

// ---- import --------------------------------------------------------------

// What a token means to the editor's import. The digits after any token, also
// a skipped one, set the import's current length.
enum class ImportTokenKind {
    Cell, // a note cell written into lines 0 and 1, then the step advances: the
          // 33 note names, "MA" (code 255) and "XZ"
    End,  // "TZ": written and advanced like a cell, then the reading stops
    Skip, // "VS" "YQ" "YX" "JP" "HX": nothing written
    Hold, // anything else ("YD", chord names, lower case): "--" written, no advance
};
ImportTokenKind importTokenKind(QStringView token);

} // namespace dzq
