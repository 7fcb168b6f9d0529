#pragma once
// The chord accompaniment's arithmetic: pattern lines of two-character cells
// written against the tonic chord, a progression of scale degrees, and the
// chord sequence that follows from them. Every chord tone of the tonic chord
// in a pattern line moves to the same tone of each further degree's chord
// ("WE" over degree 4 becomes the A of register W), chord codes move to that
// degree's chord of the same voicing group, rests and holds stay.
//
// Use in the window (the globals are in shared/Shared.h):
//     PatternCells cells = ...;  // patternLineCodes() of each box
//     ChordSeqLen = buildChordSequence(cells, ProgressionDegrees, ChordCycle,
//                                      StepsPerChord, degreeCodeTable(), ChordSeq);
#include "shared/Shared.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace dzq {

// Cell codes besides the notes 0..63 and the chords 65..85.
constexpr int RestCode = 254;
constexpr int HoldCode = 255;
// Accompaniment steps per chord: one pattern cell each, half a beat.
constexpr int MaxStepsPerChord = 8;
// Length of a pattern line in characters (two per cell).
constexpr int PatternLineLength = 2 * MaxStepsPerChord;

// Steps per chord for the metre: 6 in 3/4 (RhythmLastStep 11), else 8.
constexpr int stepsPerChordForMetre(int rhythmLastStep) { return rhythmLastStep == 11 ? 6 : 8; }

// Code of one cell: "LC" 0, "LE" 4, "LG" 7, "LA" 9, "WC" 12 ... "KA" 33, "HC"
// 36, "HE" 40, "HG" 43, "CL" 65, "CC" 72, "CM" 79, "XZ" 254; anything else,
// lower case included, holds (255).
int patternCellCode(QStringView cell);

// The codes of the first `steps` cells of one pattern line. A cell that is
// missing or cut short (a short line, an odd character at the end) holds, so
// each line stands on its own whatever the length of the others.
std::vector<int> patternLineCodes(QStringView line, int steps);

// A pattern line as its box leaves it: upper case, filled with "-" to
// `length` characters, blanks among the first `length` characters made "-".
// Longer text is kept as it is beyond that.
QString normalisePatternLine(const QString &text, int length = PatternLineLength);

// Codes of the three pattern lines, cell i of voice v at [v - 1][i].
using PatternCells = std::array<std::array<int, MaxStepsPerChord>, 3>;

// The degree table: row d = 1..7, columns 1..17: the root, third and fifth of
// the degree's triad in registers L, W, K and H (columns 1..12), its chord
// codes of groups 1, 2, 3 (13..15), then 254 and 255. Row 0 and column 0 are 0.
using DegreeCodeTable = std::array<std::array<int, 18>, 8>;
// Reads the table from the text of string resource 511 (119 numbers, each
// followed by ",", row after row). No value when it does not hold 119 numbers.
std::optional<DegreeCodeTable> parseDegreeTable(const QString &resourceText);

// Builds one progression cycle into seq and returns its length in steps,
// cycle x steps. degrees[1..cycle] are the scale degrees of the chords.
// Chord 1 takes the cells as written, whatever its degree; each further chord
// moves every cell that is a tone or chord of the tonic row of the table to the
// same column of its degree's row. A cell the tonic row does not hold ("LA",
// or a hold) holds in chords 2 and later, and every step outside the cycle
// holds as well, so nothing left from an earlier build can sound. A cycle
// beyond 17 chords is cut to 17, steps outside 1..8 or a degree outside 1..7
// give no chords (length 0).
int buildChordSequence(const PatternCells &cells, const std::array<int, MaxProgressionLength + 1> &degrees,
                       int cycle, int steps, const DegreeCodeTable &table, ChordSequence &seq);

// The degrees of a typed progression: up to 17 characters, each a digit 1..7.
// Empty text is an empty progression (no chords). No value for any other
// character or for more than 17.
std::optional<std::vector<int>> parseProgression(QStringView text);

// The built-in progressions 1..13 ("145", "1645", ... "15634325").
constexpr int ProgressionListCount = 13;
QString progressionListEntry(int k);

// A random number in [0, 1) from the chord panel's generator, which is seeded
// once from the clock (reseeding before every draw would repeat draws made in
// the same clock tick). Tests seed it to get the same draws every run.
double chordRandom();
void seedChordRandom(uint32_t seed);

// The draw of an index 1..n from a random number r in [0, 1): r x (n - 1) + 1
// rounded half to even, so 1 and n come half as often as the others. n below 1
// draws nothing (0).
int drawIndex(double r, int n);

} // namespace dzq
