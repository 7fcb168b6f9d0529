// The main window's score player, offscreen, with a MIDI system that records:
// any text, typed into the score box and played, or opened from a score file,
// is played tick by tick by the window's own interpreter until it stops. It
// must stop in order within a number of ticks proportional to its length (no
// note is longer than 99 ticks and each takes two characters), its read
// position must only move forward within the text, it shows at most one error
// box, and afterwards no note sounds on the melody or chord channels.
#include "FuzzCheck.h"

#include "Fakes.h"
#include "keyboard/Form1.h"
#include "platform/AppPaths.h"
#include "shared/Shared.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <set>
#include <utility>

using namespace dzq;

namespace {

const QString ErrorText = QStringLiteral("乐谱中出现错误，请修改！");

// The notes the device was told to sound and not yet to end.
class Sounding {
public:
    void feed(const std::vector<uint32_t> &msgs)
    {
        for (uint32_t m : msgs) {
            const int type = int(m & 0xF0), channel = int(m & 0x0F);
            const int d1 = int(m >> 8 & 0xFF), d2 = int(m >> 16 & 0xFF);
            if (type == 0x90 && d2 > 0)
                notes_.insert({channel, d1});
            else if (type == 0x80 || type == 0x90)
                notes_.erase({channel, d1});
            else if (type == 0xB0 && (d1 == 120 || d1 == 123))
                std::erase_if(notes_, [channel](const auto &n) { return n.first == channel; });
        }
    }
    bool silent(int firstChannel, int lastChannel) const
    {
        for (const auto &n : notes_)
            if (n.first >= firstChannel && n.first <= lastChannel) {
                std::fprintf(stderr, "note %d still sounds on channel %d\n", n.second, n.first);
                return false;
            }
        return true;
    }
    void clear() { notes_.clear(); }

private:
    std::set<std::pair<int, int>> notes_;
};

struct Window {
    test::Environment env;
    QTemporaryDir data;
    Form1 w;
    int key = 0, tempo = 0;
    std::array<int, 3> sounds{};

    Window()
    {
        // The data folder as the start-up prepares it, with the sample rhythm
        // files that "JP1".."JP3" load.
        AppDir = prepareAppDir(data.path(), {}, {}).dir;
        w.Form_Load();
        w.show();
        w.Timer1->setEnabled(false);
        w.Timer2->setEnabled(false);
        key = w.YD->listIndex();
        tempo = w.SD->listIndex();
        for (std::size_t v = 0; v < 3; ++v)
            sounds[v] = w.ComSounds[v]->listIndex();
    }
    // What a score may have changed goes back to the start, so each input
    // plays from the same state.
    void restore()
    {
        w.Check5->setValue(0);
        w.YD->setListIndex(key);
        w.SD->setListIndex(tempo);
        for (std::size_t v = 0; v < 3; ++v)
            w.ComSounds[v]->setListIndex(sounds[v]);
        env.messages.shown.clear();
        env.dialogs.answers.clear();
        env.dialogs.titles.clear();
        env.dialogs.startDirs.clear();
        env.dialogs.filters.clear();
        env.take();
    }
};

Window *window = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    window = new Window;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    Form1 &w = window->w;
    window->restore();
    Sounding sounding;

    const QByteArray bytes = fuzz::bytesOf(data, size);
    if (size % 2 == 0) {
        // Typed into the box and played (the play button upper-cases it).
        w.Text3->setPlainText(QString::fromUtf8(bytes));
        w.Yuepu_MouseDown(0);
        w.Yuepu_Click(0);
    } else {
        // Opened from the score folder: played as read, line breaks removed.
        const QString folder = AppDir + QStringLiteral("演奏记录/");
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("乐谱.txt"));
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
        f.close();
        window->env.dialogs.answers.push_back(f.fileName());
        w.Yuepu_MouseDown(2);
        w.Yuepu_Click(2);
    }
    sounding.feed(window->env.take());

    const qsizetype length = ScoreText.size();
    const long long budget = 100LL * (length + 2);
    long long ticks = 0;
    qsizetype reads = 0;
    qsizetype pos = w.ScorePos;
    while (w.Timer3->isRunning()) {
        FUZZ_CHECK(++ticks <= budget);
        w.Timer3_Timer();
        sounding.feed(window->env.take());
        FUZZ_CHECK(w.ScorePos >= 1 && w.ScorePos <= length + 2);
        if (w.ScorePos != pos) {
            // Forward while playing; back to the start only when it ended.
            FUZZ_CHECK(w.ScorePos > pos || (w.ScorePos == 1 && !w.Timer3->isRunning()));
            FUZZ_CHECK(++reads <= length + 1);
            pos = w.ScorePos;
        }
    }

    FUZZ_CHECK(!w.ScorePlaying && w.Yuepu[0]->text() == QStringLiteral("试听"));
    // The score's error box opens after the tick that met the error.
    QCoreApplication::sendPostedEvents();
    const auto &shown = window->env.messages.shown;
    FUZZ_CHECK(shown.size() <= 1);
    if (shown.empty())
        FUZZ_CHECK(w.ScorePos == 1 && w.CurNote == 255);
    else
        FUZZ_CHECK(shown.front().text == ErrorText);
    FUZZ_CHECK(sounding.silent(0, 5));

    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
