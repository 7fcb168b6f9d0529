#include "keyboard/core/ScoreLanguage.h"

#include "keyboard/core/KeyLayout.h"

namespace dzq {

namespace {

// Index of c in the ASCII letters of set, or -1.
int letterIndex(QChar c, const char *set)
{
    for (int i = 0; set[i] != '\0'; ++i)
        if (c == QLatin1Char(set[i]))
            return i;
    return -1;
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool is(QStringView token, const char *pair)
{
    return token.size() == 2 && token[0] == QLatin1Char(pair[0]) && token[1] == QLatin1Char(pair[1]);
}

// Position letters of the chord names, in code order.
constexpr char ChordPositionLetters[] = "LCM";

} // namespace

int noteCode(QStringView text)
{
    if (text.size() != 2)
        return NoNoteCode;
    if (is(text, "XZ"))
        return RestCode;
    const int reg = letterIndex(text[0], RegisterLetters);
    const int pitch = letterIndex(text[1], PitchLetters);
    if (reg >= 0 && pitch >= 0) {
        const int code = 12 * reg + PitchSemitones[pitch];
        return code <= HighestNoteOffset ? code : NoNoteCode;
    }
    const int root = letterIndex(text[0], PitchLetters);
    const int position = letterIndex(text[1], ChordPositionLetters);
    if (root >= 0 && position >= 0)
        return FirstChordCode + 7 * position + root;
    return NoNoteCode;
}

bool isNoteName(QStringView text)
{
    const int code = noteCode(text);
    return code >= 0 && code <= HighestNoteOffset;
}

ScoreTokenKind scoreTokenKind(QStringView token)
{
    if (token.isEmpty())
        return ScoreTokenKind::EndOfText;
    if (isNoteName(token))
        return ScoreTokenKind::Note;
    if (is(token, "XZ"))
        return ScoreTokenKind::Rest;
    if (is(token, "TZ"))
        return ScoreTokenKind::End;
    for (const ScoreCommand &c : ScoreCommands)
        if (is(token, c.token))
            return c.kind;
    return ScoreTokenKind::Error;
}

ScoreToken readScoreToken(QStringView score, qsizetype pos, ScoreReadMode mode)
{
    ScoreToken t;
    const qsizetype length = score.size();
    const qsizetype p = pos < 1 ? 1 : pos;
    t.next = p;
    if (p > length)
        return t;
    if (p == length) {
        // One character left: the interpreter meets it as a (faulty) token,
        // the import leaves it unread.
        if (mode == ScoreReadMode::Interpreter) {
            t.text = score.sliced(p - 1, 1).toString();
            t.next = p + 1;
        }
        return t;
    }
    t.text = score.sliced(p - 1, 2).toString();
    qsizetype after = p + 2; // 1-based position just past the token
    if (after <= length && isAsciiDigit(score[after - 1])) {
        int n = score[after - 1].unicode() - u'0';
        ++after;
        if (after <= length && isAsciiDigit(score[after - 1])) {
            n = 10 * n + (score[after - 1].unicode() - u'0');
            ++after;
        }
        t.number = n;
    }
    t.next = after;
    return t;
}

const ScoreCommand *scoreCommand(ScoreTokenKind kind)
{
    for (const ScoreCommand &c : ScoreCommands)
        if (c.kind == kind)
            return &c;
    return nullptr;
}

bool scoreCommandAccepts(ScoreTokenKind kind, int n)
{
    const ScoreCommand *c = scoreCommand(kind);
    return c && n >= c->first && n <= c->last;
}

ScoreCommandResets scoreCommandResets(ScoreTokenKind kind, int n)
{
    switch (kind) {
    case ScoreTokenKind::Key:
    case ScoreTokenKind::Rhythm: return {true, true};
    case ScoreTokenKind::Tempo: {
        const bool valid = scoreCommandAccepts(kind, n);
        return {valid, valid};
    }
    case ScoreTokenKind::Preset: return {false, true};
    default: return {false, false};
    }
}

int noteDurationAfter(ScoreTokenKind kind, const ScoreToken &t, int noteDuration)
{
    if (t.number)
        noteDuration = *t.number;
    if (scoreCommandResets(kind, t.number.value_or(0)).length)
        noteDuration = 0;
    return noteDuration;
}

ImportTokenKind importTokenKind(QStringView token)
{
    if (is(token, "TZ"))
        return ImportTokenKind::End;
    if (isNoteName(token) || is(token, "MA") || is(token, "XZ"))
        return ImportTokenKind::Cell;
    for (const char *skipped : {"VS", "YQ", "YX", "JP", "HX"})
        if (is(token, skipped))
            return ImportTokenKind::Skip;
    return ImportTokenKind::Hold;
}

} // namespace dzq
