// The score language read token by token, as the interpreter and the editor's
// import read it: every read moves on or reports the end, a whole text takes at
// most one read per character, tokens are the text's own characters, numbers
// are one or two digits and lengths stay within 0..99.
#include "FuzzCheck.h"

#include "keyboard/core/ScoreLanguage.h"
#include "platform/TextFile.h"

using namespace dzq;

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

void readWhole(QStringView text, ScoreReadMode mode)
{
    const qsizetype length = text.size();
    qsizetype pos = 1;
    qsizetype reads = 0;
    int duration = 0;
    for (;;) {
        const ScoreToken t = readScoreToken(text, pos, mode);
        ++reads;
        FUZZ_CHECK(reads <= length + 1);
        const ScoreTokenKind kind = scoreTokenKind(t.text);
        if (t.atEnd()) {
            FUZZ_CHECK(kind == ScoreTokenKind::EndOfText);
            FUZZ_CHECK(t.next == pos);
            FUZZ_CHECK(mode == ScoreReadMode::Interpreter ? pos > length : pos >= length);
            FUZZ_CHECK(!t.number);
            return;
        }
        FUZZ_CHECK(t.text == text.mid(pos - 1, t.text.size()));
        FUZZ_CHECK(t.text.size() == 2 || (mode == ScoreReadMode::Interpreter && t.text.size() == 1 && pos == length));
        const qsizetype digits = t.next - pos - t.text.size();
        FUZZ_CHECK(digits >= 0 && digits <= 2 && t.next <= length + 1);
        FUZZ_CHECK(t.number.has_value() == (digits > 0));
        if (t.number) {
            FUZZ_CHECK(*t.number >= 0 && *t.number <= 99);
            FUZZ_CHECK(*t.number == text.mid(pos - 1 + t.text.size(), digits).toInt());
        }
        // Digits are taken as long as they follow, up to two.
        if (digits < 2 && t.next <= length && t.text.size() == 2)
            FUZZ_CHECK(!isDigit(text[t.next - 1]));

        duration = noteDurationAfter(kind, t, duration);
        FUZZ_CHECK(duration >= 0 && duration <= 99);
        if (kind == ScoreTokenKind::Note) {
            const int code = noteCode(t.text);
            FUZZ_CHECK(code >= 0 && code <= 55 && isNoteName(t.text));
        }
        (void)importTokenKind(t.text);
        pos = t.next;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Scores reach the interpreter as decoded file text or typed text; both
    // are read upper-cased by the play button and as they are by the import.
    const QString text = decodeTextBytes(fuzz::bytesOf(data, size));
    for (const QString &t : {text, text.toUpper()}) {
        readWhole(t, ScoreReadMode::Interpreter);
        readWhole(t, ScoreReadMode::Import);
        // A position below 1 reads from the start; one past the end reads nothing.
        for (qsizetype pos : {qsizetype(-3), qsizetype(0)})
            FUZZ_CHECK(readScoreToken(t, pos, ScoreReadMode::Interpreter).next
                       == readScoreToken(t, 1, ScoreReadMode::Interpreter).next);
        for (qsizetype pos : {t.size() + 1, t.size() + 9}) {
            const ScoreToken r = readScoreToken(t, pos, ScoreReadMode::Interpreter);
            FUZZ_CHECK(r.atEnd() && r.next == pos);
        }
    }
    return 0;
}
