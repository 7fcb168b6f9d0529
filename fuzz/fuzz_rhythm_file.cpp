// Rhythm files "*.bin" as the rhythm panel reads them: the whole file, or the
// first data item of the file the list opens. A file is either refused or its
// fields lie in their lists, and saving them gives a 77-character line that
// reads back as the same fields; a line already in the saved form is written
// back unchanged. Typed volumes give velocities and list entries in range.
#include "FuzzCheck.h"

#include "keyboard/core/RhythmFile.h"
#include "platform/TextFile.h"

using namespace dzq;

namespace {

void checkDecoded(const QString &text)
{
    const std::optional<RhythmPattern> p = decodeRhythmText(text);
    if (!p)
        return;
    FUZZ_CHECK(text.size() >= RhythmShortestFile);
    FUZZ_CHECK(p->volumeIndex >= 0 && p->volumeIndex < RhythmVolumeCount);
    FUZZ_CHECK(p->metre >= 0 && p->metre < MetreCount);
    for (int instrument : p->instruments)
        FUZZ_CHECK(instrument >= 0 && instrument < PercussionCount);

    const QString line = encodeRhythmLine(*p, QStringLiteral("节奏/保存的节奏.bin"));
    FUZZ_CHECK(line.size() == RhythmLineLength);
    FUZZ_CHECK(decodeRhythmText(line) == p);
    // Through the file as saved: UTF-8 with CR LF, read back as bytes.
    FUZZ_CHECK(decodeRhythmText(decodeTextBytes((line + QStringLiteral("\r\n")).toUtf8())) == p);
    FUZZ_CHECK(decodeRhythmText(firstDataItem(line)) == p);
    // A line in the saved form (upper-case hexadecimal, "00" at 11-12, cells
    // "*" or "-") is saved as it was read.
    const QString fields = text.left(RhythmShortestFile - 1);
    bool canonical = fields.mid(10, 2) == QStringLiteral("00");
    for (int i = 0; i < 10; ++i)
        canonical &= (fields[i] >= u'0' && fields[i] <= u'9') || (fields[i] >= u'A' && fields[i] <= u'F');
    for (int i = 12; i < RhythmShortestFile - 1; ++i)
        canonical &= fields[i] == u'*' || fields[i] == u'-';
    if (canonical)
        FUZZ_CHECK(line.left(RhythmShortestFile - 1) == fields);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString whole = decodeTextBytes(bytes);
    checkDecoded(whole);
    // The list's way: the first data item, kept as UTF-8 and decoded again.
    const QString item = firstDataItem(whole);
    FUZZ_CHECK(item.size() <= whole.size() && whole.startsWith(item));
    FUZZ_CHECK(!item.contains(u',') && !item.contains(u'\r') && !item.contains(u'\n'));
    checkDecoded(decodeTextBytes(item.toUtf8()));

    // Typed volumes (the chord volume, the rhythm volume box).
    const QString typed = whole.left(24);
    const int velocity = velocityFromText(typed);
    FUZZ_CHECK(velocity >= 0 && velocity <= 127);
    const int index = rhythmVolumeIndexForText(typed);
    FUZZ_CHECK(index >= 0 && index < RhythmVolumeCount);
    return 0;
}
