// The score language: note codes, the token reader in both modes, the
// commands, the current length and the end of a text.
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/ScoreLanguage.h"
#include "keyboard/core/Tempo.h"

#include <gtest/gtest.h>

#include <string>

using namespace dzq;
using Kind = ScoreTokenKind;
using Mode = ScoreReadMode;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

// One read as "<text>#<number>><next>": "KD#12>8"; the end reads ">6".
std::string read(const char *score, qsizetype pos, Mode mode)
{
    const ScoreToken t = readScoreToken(s(score), pos, mode);
    return t.text.toStdString() + (t.number ? "#" + std::to_string(*t.number) : "") + ">" + std::to_string(t.next);
}

// Plays a score the way the interpreter and its clock use these rules, for
// lengths only, and tells each note's ticks and where the reading stopped:
// "KC:8 KD:4 | End@7". A note that never ended would trip the guard.
std::string play(const QString &score)
{
    std::string out;
    qsizetype pos = 1;
    int duration = 0;
    for (qsizetype guard = 0; guard <= score.size() + 1; ++guard) {
        const ScoreToken t = readScoreToken(score, pos, Mode::Interpreter);
        const Kind kind = scoreTokenKind(t.text);
        duration = noteDurationAfter(kind, t, duration);
        if (kind == Kind::Note || kind == Kind::Rest) {
            int tick = 0;
            do
                ++tick;
            while (!noteLengthUsedUp(tick, duration) && tick < 1000);
            out += t.text.toStdString() + ":" + std::to_string(tick) + " ";
        } else if (!scoreCommand(kind)) {
            const char *stop = kind == Kind::End ? "End" : kind == Kind::Error ? "Error" : "EndOfText";
            return out + "| " + stop + "@" + std::to_string(pos);
        }
        pos = t.next;
    }
    ADD_FAILURE() << "reading did not end";
    return out;
}

// Reads a score the way the import does, until "TZ" or the end: each token
// with the current length after it, and its kind unless it is a cell:
// "KC:4 VS:8(skip) TZ:8(end)".
std::string import(const char *score, int length = 0)
{
    std::string out;
    for (qsizetype pos = 1;;) {
        const ScoreToken t = readScoreToken(s(score), pos, Mode::Import);
        if (t.atEnd())
            break;
        length = t.number.value_or(length);
        const ImportTokenKind kind = importTokenKind(t.text);
        const char *names[] = {"", "(end)", "(skip)", "(hold)"};
        out += (out.empty() ? "" : " ") + t.text.toStdString() + ":" + std::to_string(length) + names[int(kind)];
        pos = t.next;
        if (kind == ImportTokenKind::End)
            break;
    }
    return out;
}

} // namespace

TEST(NoteCodes, NotesChordsAndRest)
{
    // The notes themselves are read back in KeyLayoutTest's NoteNames.
    const std::pair<const char16_t *, int> named[] = {{u"CL", 65}, {u"CC", 72}, {u"GC", 76}, {u"BM", 85}, {u"XZ", 254}};
    for (auto [text, code] : named)
        EXPECT_EQ(noteCode(text), code);
    for (const char16_t *other : {u"MA", u"MB", u"TZ", u"--", u"", u"K", u"KCX", u"kc", u"Kc", u"cl",
                                  u"ＫＣ", u"YD", u"VS"})
        EXPECT_EQ(noteCode(other), NoNoteCode) << QString::fromUtf16(other).toStdString();

    // No other printable pair is a note name.
    int notes = 0;
    for (char16_t a = 32; a < 127; ++a)
        for (char16_t b = 32; b < 127; ++b) {
            const char16_t pair[2] = {a, b};
            notes += isNoteName(QStringView(pair, 2));
        }
    EXPECT_EQ(notes, 33);
}

TEST(TokenKinds, TheWholeVocabulary)
{
    const std::pair<const char16_t *, Kind> words[] = {
        {u"MG", Kind::Note}, {u"XZ", Kind::Rest},   {u"TZ", Kind::End},    {u"YD", Kind::Key},
        {u"VS", Kind::Tempo}, {u"JP", Kind::Rhythm}, {u"YQ", Kind::Preset}, {u"", Kind::EndOfText}};
    for (auto [text, kind] : words)
        EXPECT_EQ(scoreTokenKind(text), kind);
    // Not in the vocabulary: errors where the interpreter meets them.
    for (const char16_t *bad : {u"MA", u"MB", u"CL", u"BM", u"YX", u"HX", u"kc", u"tz", u"Kc", u"K", u"3",
                                u" K", u"KC ", u"\r\n", u"--", u"12", u"音乐"})
        EXPECT_EQ(scoreTokenKind(bad), Kind::Error) << QString::fromUtf16(bad).toStdString();
}

TEST(TokenReader, NumbersPositionsAndTheEndInBothModes)
{
    struct Case {
        const char *score;
        qsizetype pos;
        const char *interpreter;
        const char *import;
    };
    const Case cases[] = {
        // At most two digits belong to a token: "3" starts the next one,
        // a lone last character the interpreter reads and the import ignores.
        {"KC8KD123", 1, "KC#8>4", "KC#8>4"},
        {"KC8KD123", 4, "KD#12>8", "KD#12>8"},
        {"KC8KD123", 8, "3>9", ">8"},
        {"KC8K", 4, "K>5", ">4"},
        {"K", 1, "K>2", ">1"},
        // A position below 1 reads from 1; past the text is the end.
        {"KC8KD123", -7, "KC#8>4", "KC#8>4"},
        {"KC8KD123", 1000, ">1000", ">1000"},
        {"KC00", 1, "KC#0>5", "KC#0>5"},
        {"KC８", 1, "KC>3", "KC>3"}, // ASCII digits only
        {"zz42", 1, "zz#42>5", "zz#42>5"}, // after any token
        // The last pair is read whole, with its digits; the next read is the end.
        {"KC8KD", 4, "KD>6", "KD>6"},
        {"KC8KD", 6, ">6", ">6"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(read(c.score, c.pos, Mode::Interpreter), c.interpreter) << c.score << " @" << c.pos;
        EXPECT_EQ(read(c.score, c.pos, Mode::Import), c.import) << c.score << " @" << c.pos;
    }
}

TEST(TokenReader, MillionCharacterText)
{
    const QString text = QStringLiteral("KC8").repeated(333333) + QLatin1Char('T'); // a lone last character
    for (Mode mode : {Mode::Interpreter, Mode::Import}) {
        qsizetype pos = 1;
        int notes = 0;
        ScoreToken t;
        for (; scoreTokenKind((t = readScoreToken(text, pos, mode)).text) == Kind::Note; ++notes) {
            ASSERT_EQ(t.number, 8);
            pos = t.next;
        }
        EXPECT_EQ(notes, 333333);
        EXPECT_EQ(pos, 1000000);
        EXPECT_EQ(t.text, mode == Mode::Interpreter ? s("T") : QString());
    }
    // A long run of commands is read in one loop.
    EXPECT_EQ(play(QStringLiteral("VS7").repeated(300000) + QStringLiteral("KC4TZ")), "KC:4 | End@900004");
}

TEST(Playing, LengthsCommandsStopsAndErrors)
{
    const std::pair<const char *, const char *> cases[] = {
        // The example of the score entry window; it ends at the end of the
        // text, not on a stray last letter.
        {"KC8KDKEKF4KGKAKB", "KC:8 KD:8 KE:8 KF:4 KG:4 KA:4 KB:4 | EndOfText@17"},
        {"KC05XZ2KD", "KC:5 XZ:2 KD:2 | EndOfText@10"},
        // The last note keeps its own number, one or two digits.
        {"KC8KD12", "KC:8 KD:12 | EndOfText@8"},
        // A third digit starts a token, which is an error there.
        {"KC123", "KC:12 | Error@5"},
        // An out-of-range tempo leaves its number as the current length; a
        // valid one clears it, and a length of 0 still ends.
        {"VS25KC", "KC:25 | EndOfText@7"},
        {"KC4VS7KDTZ", "KC:4 KD:1 | End@9"},
        // The preset command always clears it, key and rhythm whatever their number.
        {"YQ2KCTZ", "KC:1 | End@6"},
        {"KC4YQ99KD", "KC:4 KD:1 | EndOfText@10"},
        {"KC4YD12KDJPKE", "KC:4 KD:1 KE:1 | EndOfText@14"},
        // A written 0 or 00 ends after one tick.
        {"KC0KD00XZ3", "KC:1 KD:1 XZ:3 | EndOfText@11"},
        {"YD3VS7JP99YQ1KC4TZ", "KC:4 | End@17"},
        {"", "| EndOfText@1"},
        // The error stays on the failing token.
        {"KC8 KD8", "KC:8 | Error@4"},
        {"KC8\r\nKD8", "KC:8 | Error@4"},
        {"CL4", "| Error@1"},
        {"KC8K", "KC:8 | Error@4"},
        // Lower case is an error as read from a file; upper-cased first (the
        // play button) it plays.
        {"kc8kd4tz", "| Error@1"},
        {"KC8KD4TZ", "KC:8 KD:4 | End@7"},
    };
    for (auto [score, expected] : cases)
        EXPECT_EQ(play(s(score)), expected) << score;
}

TEST(Commands, NumbersTheyActOnAndWhatTheyReset)
{
    const std::pair<Kind, int> lastNumbers[] = {{Kind::Key, 11}, {Kind::Tempo, 19}, {Kind::Rhythm, 99}, {Kind::Preset, 13}};
    for (auto [kind, last] : lastNumbers) {
        EXPECT_FALSE(scoreCommandAccepts(kind, 0)); // also a missing number
        EXPECT_TRUE(scoreCommandAccepts(kind, 1));
        EXPECT_TRUE(scoreCommandAccepts(kind, last));
        EXPECT_FALSE(scoreCommandAccepts(kind, last + 1));
    }
    for (Kind k : {Kind::Note, Kind::Rest, Kind::End, Kind::Error, Kind::EndOfText})
        EXPECT_FALSE(scoreCommandAccepts(k, 1));
    // "YD" n selects key list entry n - 1 (D, bB; key B cannot be chosen), "VS" n tempo entry n - 1.
    EXPECT_EQ(keyBaseForKeyCommand(3), 38);
    EXPECT_EQ(keyBaseForKeyCommand(11), 46);
    EXPECT_EQ(stepMsForTempo(tempoForTempoCommand(7)), 107);

    // The lengths are checked by playing; the counter reset differs by command.
    for (int n : {0, 3, 12, 99}) {
        EXPECT_TRUE(scoreCommandResets(Kind::Key, n).counters);
        EXPECT_TRUE(scoreCommandResets(Kind::Rhythm, n).counters);
        EXPECT_FALSE(scoreCommandResets(Kind::Preset, n).counters);
    }
    EXPECT_TRUE(scoreCommandResets(Kind::Tempo, 7).counters);
    EXPECT_FALSE(scoreCommandResets(Kind::Tempo, 25).counters);
    EXPECT_FALSE(scoreCommandResets(Kind::Note, 4).counters);
}

TEST(Import, ReadsTheScoreForTheEditor)
{
    const std::pair<const char *, const char *> cases[] = {
        // "TZ" without digits keeps the length, and the reading stops after it.
        {"KC4KD4TZ", "KC:4 KD:4 TZ:4(end)"},
        {"KC2TZKD4", "KC:2 TZ:2(end)"},
        // The digits after a skipped or held command become the current length.
        {"KC4VS8KD", "KC:4 VS:8(skip) KD:8"},
        {"KC4YD3KD4", "KC:4 YD:3(hold) KD:4"},
        // A last note with one digit reads it; a lone last character is ignored.
        {"KC4K", "KC:4"},
        {"K", ""},
        // A blank shifts the reading: the pairs after it straddle the notes.
        {"KC4 KD4KE4", "KC:4  K:4(hold) D4:4(hold) KE:4"},
        // Rests and "MA" are cells; these commands are skipped, all else held.
        {"XZ2MAVS1YQ2YX3JP4HX5", "XZ:2 MA:2 VS:1(skip) YQ:2(skip) YX:3(skip) JP:4(skip) HX:5(skip)"},
        {"MBYDCLBMkc--", "MB:0(hold) YD:0(hold) CL:0(hold) BM:0(hold) kc:0(hold) --:0(hold)"},
    };
    for (auto [score, expected] : cases)
        EXPECT_EQ(import(score), expected) << score;
    // Every note name is a cell (a black key's empty name is held).
    for (int code = 0; code <= HighestNoteOffset; ++code)
        EXPECT_EQ(importTokenKind(noteName(code)), isNoteName(noteName(code)) ? ImportTokenKind::Cell : ImportTokenKind::Hold)
            << code;
    // The length is kept from an earlier import when no digit follows.
    EXPECT_EQ(import("KC", 6), "KC:6");
}
