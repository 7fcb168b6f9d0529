// The score language: note codes, the token reader in both modes, the
// commands, the current length and the end of a text.
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/ScoreLanguage.h"
#include "keyboard/core/Tempo.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace dzq;
using Kind = ScoreTokenKind;
using Mode = ScoreReadMode;

namespace {

struct Played {
    QString token;
    int ticks;
    bool operator==(const Played &) const = default;
};

void PrintTo(const Played &p, std::ostream *os) { *os << p.token.toStdString() << ":" << p.ticks; }

struct PlayRun {
    std::vector<Played> played;
    Kind stop = Kind::EndOfText;
    qsizetype pos = 1; // where the reading stopped
};

// Plays a score the way the interpreter and its clock use these rules, for
// lengths only: commands change the current length, notes and rests last
// until noteLengthUsedUp. A note that never ended would trip the guard.
PlayRun play(const QString &score)
{
    PlayRun r;
    qsizetype pos = 1;
    int duration = 0;
    for (qsizetype guard = 0; guard <= score.size() + 1; ++guard) {
        const ScoreToken t = readScoreToken(score, pos, Mode::Interpreter);
        const Kind kind = scoreTokenKind(t.text);
        duration = noteDurationAfter(kind, t, duration);
        if (scoreCommand(kind)) {
            pos = t.next;
            continue;
        }
        if (kind == Kind::Note || kind == Kind::Rest) {
            pos = t.next;
            int noteTick = 0;
            do {
                ++noteTick;
            } while (!noteLengthUsedUp(noteTick, duration) && noteTick < 1000);
            r.played.push_back({t.text, noteTick});
            continue;
        }
        r.stop = kind;
        r.pos = pos;
        return r;
    }
    ADD_FAILURE() << "reading did not end";
    return r;
}

struct Imported {
    QString token;
    ImportTokenKind kind;
    int length;
    bool operator==(const Imported &) const = default;
};

void PrintTo(const Imported &p, std::ostream *os) { *os << p.token.toStdString() << "/" << int(p.kind) << ":" << p.length; }

// Reads a score the way the import does, until "TZ" or the end.
std::vector<Imported> import(const QString &score, int length = 0)
{
    std::vector<Imported> out;
    qsizetype pos = 1;
    for (;;) {
        const ScoreToken t = readScoreToken(score, pos, Mode::Import);
        if (t.atEnd())
            break;
        if (t.number)
            length = *t.number;
        const ImportTokenKind kind = importTokenKind(t.text);
        out.push_back({t.text, kind, length});
        pos = t.next;
        if (kind == ImportTokenKind::End)
            break;
    }
    return out;
}

QString s(const char *text) { return QString::fromUtf8(text); }

} // namespace

TEST(NoteCodes, NotesChordsAndRest)
{
    const int semitones[] = {0, 2, 4, 5, 7, 9, 11};
    for (int reg = 0; reg < 5; ++reg)
        for (int p = 0; p < 7; ++p) {
            const QString name = QString(QLatin1Char("LWKHM"[reg])) + QLatin1Char("CDEFGAB"[p]);
            const int expected = (reg == 4 && p >= 5) ? 255 : 12 * reg + semitones[p];
            EXPECT_EQ(noteCode(name), expected) << name.toStdString();
            EXPECT_EQ(isNoteName(name), expected != 255) << name.toStdString();
        }
    EXPECT_EQ(noteCode(u"KC"), 24);
    EXPECT_EQ(noteCode(u"CL"), 65);
    EXPECT_EQ(noteCode(u"GC"), 76);
    EXPECT_EQ(noteCode(u"CC"), 72);
    EXPECT_EQ(noteCode(u"BM"), 85);
    EXPECT_EQ(noteCode(u"XZ"), RestCode);
    for (const char16_t *other : {u"MA", u"MB", u"TZ", u"--", u"", u"K", u"KCX", u"kc", u"Kc", u"cl",
                                  u"ＫＣ", u"YD", u"VS"})
        EXPECT_EQ(noteCode(other), NoNoteCode) << QString::fromUtf16(other).toStdString();
}

TEST(NoteCodes, ExactlyThirtyThreeNoteNames)
{
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
    EXPECT_EQ(scoreTokenKind(u"MG"), Kind::Note);
    EXPECT_EQ(scoreTokenKind(u"XZ"), Kind::Rest);
    EXPECT_EQ(scoreTokenKind(u"TZ"), Kind::End);
    EXPECT_EQ(scoreTokenKind(u"YD"), Kind::Key);
    EXPECT_EQ(scoreTokenKind(u"VS"), Kind::Tempo);
    EXPECT_EQ(scoreTokenKind(u"JP"), Kind::Rhythm);
    EXPECT_EQ(scoreTokenKind(u"YQ"), Kind::Preset);
    EXPECT_EQ(scoreTokenKind(u""), Kind::EndOfText);
    // Not in the vocabulary: errors where the interpreter meets them.
    for (const char16_t *bad : {u"MA", u"MB", u"CL", u"BM", u"YX", u"HX", u"kc", u"tz", u"Kc", u"K", u"3",
                                u" K", u"KC ", u"\r\n", u"--", u"12", u"音乐"})
        EXPECT_EQ(scoreTokenKind(bad), Kind::Error) << QString::fromUtf16(bad).toStdString();
}

TEST(TokenReader, NumbersAndPositions)
{
    // At most two digits belong to a token: "3" starts the next one.
    const QString text = s("KC8KD123");
    ScoreToken t = readScoreToken(text, 1, Mode::Interpreter);
    EXPECT_EQ(t.text, s("KC"));
    EXPECT_EQ(t.number, 8);
    EXPECT_EQ(t.next, 4);
    t = readScoreToken(text, t.next, Mode::Interpreter);
    EXPECT_EQ(t.number, 12);
    EXPECT_EQ(t.next, 8);
    EXPECT_EQ(readScoreToken(text, t.next, Mode::Interpreter).text, s("3"));

    EXPECT_EQ(readScoreToken(u"KC05", 1, Mode::Interpreter).number, 5);
    EXPECT_EQ(readScoreToken(u"KC00", 1, Mode::Interpreter).number, 0);
    EXPECT_FALSE(readScoreToken(u"KC８", 1, Mode::Interpreter).number); // ASCII digits only
    EXPECT_EQ(readScoreToken(u"zz42", 1, Mode::Interpreter).number, 42); // after any token

    // A position below 1 reads from 1; past the text is the end.
    EXPECT_EQ(readScoreToken(text, -7, Mode::Interpreter).next, 4);
    for (Mode mode : {Mode::Interpreter, Mode::Import}) {
        t = readScoreToken(text, 1000, mode);
        EXPECT_TRUE(t.atEnd());
        EXPECT_EQ(t.next, 1000);
        EXPECT_TRUE(readScoreToken(QString(), 1, mode).atEnd());
    }
}

TEST(TokenReader, EndOfTextInBothModes)
{
    // The last pair of a text is read whole; the next read is the end.
    for (Mode mode : {Mode::Interpreter, Mode::Import}) {
        ScoreToken t = readScoreToken(u"KC8KD", 4, mode);
        EXPECT_EQ(t.text, s("KD"));
        EXPECT_EQ(t.next, 6);
        EXPECT_TRUE(readScoreToken(u"KC8KD", t.next, mode).atEnd());
        // A number at the end of the text, one or two digits.
        EXPECT_EQ(readScoreToken(u"KC8KD4", 4, mode).number, 4);
        EXPECT_EQ(readScoreToken(u"KC8KD12", 4, mode).number, 12);
        EXPECT_EQ(readScoreToken(u"KC8KD12", 4, mode).next, 8);
    }
    // A lone last character: a faulty token for the interpreter, ignored by
    // the import.
    ScoreToken lone = readScoreToken(u"KC8K", 4, Mode::Interpreter);
    EXPECT_EQ(lone.text, s("K"));
    EXPECT_EQ(scoreTokenKind(lone.text), Kind::Error);
    EXPECT_TRUE(readScoreToken(u"KC8K", 4, Mode::Import).atEnd());
    EXPECT_TRUE(readScoreToken(u"K", 1, Mode::Import).atEnd());
    EXPECT_EQ(readScoreToken(u"K", 1, Mode::Interpreter).text, s("K"));
}

TEST(TokenReader, AlwaysMovesOnOrEnds)
{
    // Whatever the text, each read either reports the end or moves forward,
    // so a reading loop ends after at most one read per character.
    std::mt19937 rng(12345);
    const char16_t alphabet[] = u"KCDXZTY0123456789 \r\nkc";
    std::uniform_int_distribution<int> pick(0, int(std::size(alphabet)) - 2);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        for (int i = length(rng); i > 0; --i)
            text += QChar(alphabet[pick(rng)]);
        for (Mode mode : {Mode::Interpreter, Mode::Import}) {
            qsizetype pos = 1;
            int reads = 0;
            for (;;) {
                const ScoreToken t = readScoreToken(text, pos, mode);
                ++reads;
                if (t.atEnd())
                    break;
                ASSERT_GT(t.next, pos) << text.toStdString();
                ASSERT_LE(t.next, text.size() + 1);
                ASSERT_LE(t.text.size(), 2);
                pos = t.next;
            }
            EXPECT_LE(reads, text.size() + 1);
        }
    }
}

TEST(TokenReader, MillionCharacterText)
{
    QString text;
    text.reserve(1000000);
    for (int i = 0; i < 333333; ++i)
        text += QStringLiteral("KC8");
    text += QLatin1Char('T'); // a lone last character
    ASSERT_EQ(text.size(), 1000000);

    qsizetype pos = 1;
    int notes = 0;
    ScoreToken t;
    for (;;) {
        t = readScoreToken(text, pos, Mode::Interpreter);
        if (scoreTokenKind(t.text) != Kind::Note)
            break;
        ASSERT_EQ(t.number, 8);
        ++notes;
        pos = t.next;
    }
    EXPECT_EQ(notes, 333333);
    EXPECT_EQ(pos, 1000000);
    EXPECT_EQ(t.text, s("T"));

    int cells = 0;
    for (pos = 1;; ++cells) {
        t = readScoreToken(text, pos, Mode::Import);
        if (t.atEnd())
            break;
        pos = t.next;
    }
    EXPECT_EQ(cells, 333333);

    // A long run of commands is read in one loop.
    QString commands;
    for (int i = 0; i < 300000; ++i)
        commands += QStringLiteral("VS7");
    commands += QStringLiteral("KC4TZ");
    const PlayRun r = play(commands);
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 4}}));
    EXPECT_EQ(r.stop, Kind::End);
}

TEST(Playing, LengthsCarryOver)
{
    // The example of the score entry window.
    PlayRun r = play(s("KC8KDKEKF4KGKAKB"));
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 8}, {s("KD"), 8}, {s("KE"), 8}, {s("KF"), 4},
                                             {s("KG"), 4}, {s("KA"), 4}, {s("KB"), 4}}));
    // It ends at the end of the text, not on a stray last letter.
    EXPECT_EQ(r.stop, Kind::EndOfText);

    r = play(s("KC05XZ2KD"));
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 5}, {s("XZ"), 2}, {s("KD"), 2}}));

    // A third digit starts a token, which is an error there.
    r = play(s("KC123"));
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 12}}));
    EXPECT_EQ(r.stop, Kind::Error);
    EXPECT_EQ(r.pos, 5);

    // The last note keeps its own number, one or two digits.
    EXPECT_EQ(play(s("KC8KD4")).played.back(), (Played{s("KD"), 4}));
    EXPECT_EQ(play(s("KC8KD12")).played.back(), (Played{s("KD"), 12}));
}

TEST(Playing, CommandsAndTheCurrentLength)
{
    // An out-of-range tempo leaves its number as the current length.
    EXPECT_EQ(play(s("VS25KC")).played, (std::vector<Played>{{s("KC"), 25}}));
    // A valid tempo clears it: the note has length 0 and still ends.
    EXPECT_EQ(play(s("KC4VS7KDTZ")).played, (std::vector<Played>{{s("KC"), 4}, {s("KD"), 1}}));
    // The preset command always clears it.
    PlayRun r = play(s("YQ2KCTZ"));
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 1}}));
    EXPECT_EQ(r.stop, Kind::End);
    EXPECT_EQ(play(s("KC4YQ99KD")).played.back(), (Played{s("KD"), 1}));
    // Key and rhythm clear it whatever their number.
    EXPECT_EQ(play(s("KC4YD12KD")).played.back(), (Played{s("KD"), 1}));
    EXPECT_EQ(play(s("KC4JPKD")).played.back(), (Played{s("KD"), 1}));
    // A written 0 or 00 ends after one tick.
    EXPECT_EQ(play(s("KC0KD00XZ3")).played,
              (std::vector<Played>{{s("KC"), 1}, {s("KD"), 1}, {s("XZ"), 3}}));
    // Several commands in a row, then a note.
    r = play(s("YD3VS7JP99YQ1KC4TZ"));
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 4}}));
    EXPECT_EQ(r.stop, Kind::End);
}

TEST(Playing, StopsAndErrors)
{
    PlayRun r = play(s("TZKC4"));
    EXPECT_TRUE(r.played.empty());
    EXPECT_EQ(r.stop, Kind::End);
    EXPECT_EQ(r.pos, 1);

    EXPECT_EQ(play(QString()).stop, Kind::EndOfText);

    // The error stays on the failing token.
    r = play(s("KC8 KD8"));
    EXPECT_EQ(r.stop, Kind::Error);
    EXPECT_EQ(r.pos, 4);
    r = play(s("KC8\r\nKD8"));
    EXPECT_EQ(r.stop, Kind::Error);
    EXPECT_EQ(r.pos, 4);
    r = play(s("KC4MA4"));
    EXPECT_EQ(r.stop, Kind::Error);
    EXPECT_EQ(r.pos, 4);
    EXPECT_EQ(play(s("CL4")).stop, Kind::Error);
    r = play(s("KC8K"));
    EXPECT_EQ(r.stop, Kind::Error);
    EXPECT_EQ(r.pos, 4);

    // Lower case is an error as read from a file; upper-cased first (the
    // play button) it plays.
    const QString lower = s("kc8kd4tz");
    EXPECT_EQ(play(lower).stop, Kind::Error);
    EXPECT_EQ(play(lower).pos, 1);
    r = play(lower.toUpper());
    EXPECT_EQ(r.played, (std::vector<Played>{{s("KC"), 8}, {s("KD"), 4}}));
    EXPECT_EQ(r.stop, Kind::End);
}

TEST(Commands, NumbersTheyActOn)
{
    const std::tuple<const char *, Kind, int, int> expected[] = {
        {"YD", Kind::Key, 1, 11}, {"VS", Kind::Tempo, 1, 19}, {"JP", Kind::Rhythm, 1, 99}, {"YQ", Kind::Preset, 1, 13}};
    for (auto [token, kind, first, last] : expected) {
        SCOPED_TRACE(token);
        const ScoreCommand *c = scoreCommand(kind);
        ASSERT_NE(c, nullptr);
        EXPECT_STREQ(c->token, token);
        EXPECT_EQ(scoreTokenKind(QString::fromLatin1(token)), kind);
        EXPECT_FALSE(scoreCommandAccepts(kind, 0)); // also a missing number
        EXPECT_TRUE(scoreCommandAccepts(kind, first));
        EXPECT_TRUE(scoreCommandAccepts(kind, last));
        EXPECT_FALSE(scoreCommandAccepts(kind, last + 1));
    }
    for (Kind k : {Kind::Note, Kind::Rest, Kind::End, Kind::Error, Kind::EndOfText}) {
        EXPECT_EQ(scoreCommand(k), nullptr);
        EXPECT_FALSE(scoreCommandAccepts(k, 1));
    }
    // "YD" n selects key list entry n - 1; key B cannot be chosen.
    EXPECT_EQ(keyBaseForKeyCommand(3), 38);
    EXPECT_STREQ(KeyListEntries[3 - 1], "D");
    EXPECT_EQ(keyBaseForKeyCommand(11), keyBaseForKeyIndex(10));
    EXPECT_STREQ(KeyListEntries[11 - 1], "bB");
    // "VS" n selects tempo list entry n - 1.
    for (int n = 1; n <= 19; ++n)
        EXPECT_EQ(tempoForTempoCommand(n), tempoListEntry(n - 1));
    EXPECT_EQ(stepMsForTempo(tempoForTempoCommand(7)), 107);
    EXPECT_EQ(RhythmSyncOffNumber, 99);
}

TEST(Commands, CounterResets)
{
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

TEST(Import, TokenKinds)
{
    for (int code = 0; code <= 55; ++code) {
        if (!noteName(code).isEmpty()) {
            EXPECT_EQ(importTokenKind(noteName(code)), ImportTokenKind::Cell);
        }
    }
    EXPECT_EQ(importTokenKind(u"MA"), ImportTokenKind::Cell);
    EXPECT_EQ(importTokenKind(u"XZ"), ImportTokenKind::Cell);
    EXPECT_EQ(importTokenKind(u"TZ"), ImportTokenKind::End);
    for (const char16_t *t : {u"VS", u"YQ", u"YX", u"JP", u"HX"})
        EXPECT_EQ(importTokenKind(t), ImportTokenKind::Skip);
    for (const char16_t *t : {u"MB", u"YD", u"CL", u"BM", u"kc", u"--", u" K", u"D4"})
        EXPECT_EQ(importTokenKind(t), ImportTokenKind::Hold);
}

TEST(Import, ReadsTheScoreForTheEditor)
{
    using K = ImportTokenKind;
    // "TZ" without digits keeps the previous length.
    EXPECT_EQ(import(s("KC4KD4TZ")),
              (std::vector<Imported>{{s("KC"), K::Cell, 4}, {s("KD"), K::Cell, 4}, {s("TZ"), K::End, 4}}));
    // Reading stops after "TZ".
    EXPECT_EQ(import(s("KC2TZKD4")).size(), 2u);
    EXPECT_EQ(import(s("KC2KD")).back(), (Imported{s("KD"), K::Cell, 2}));
    // The digits after a skipped command become the current length.
    EXPECT_EQ(import(s("KC4VS8KD")),
              (std::vector<Imported>{{s("KC"), K::Cell, 4}, {s("VS"), K::Skip, 8}, {s("KD"), K::Cell, 8}}));
    EXPECT_EQ(import(s("KC4YD3KD4"))[1], (Imported{s("YD"), K::Hold, 3}));
    // The length is kept from an earlier import when no digit follows.
    EXPECT_EQ(import(s("KC"), 6), (std::vector<Imported>{{s("KC"), K::Cell, 6}}));
    // A last note with one digit reads it; a lone last character is ignored.
    EXPECT_EQ(import(s("KC4KD2")).back(), (Imported{s("KD"), K::Cell, 2}));
    EXPECT_EQ(import(s("KC4K")), (std::vector<Imported>{{s("KC"), K::Cell, 4}}));
    EXPECT_TRUE(import(s("K")).empty());
    // A blank shifts the reading: the pairs after it straddle the notes.
    EXPECT_EQ(import(s("KC4 KD4KE4")),
              (std::vector<Imported>{{s("KC"), K::Cell, 4}, {s(" K"), K::Hold, 4}, {s("D4"), K::Hold, 4},
                                     {s("KE"), K::Cell, 4}}));
}
