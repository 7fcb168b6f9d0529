#pragma once
// A music editor as the keyboard window's editor button leaves it: loaded and
// shown (which runs its activation with every default), over a keyboard
// window that only notes what the editor asks of it. The song starts empty
// with the codes of a program that has just started.
#include "Fakes.h"

#include "editor/YYBJ.h"
#include "keyboard/KeyboardWindowApi.h"
#include "shared/Shared.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace dzq::test {

class FakeKeyboard final : public KeyboardWindowApi {
public:
    int device = -1;
    int restores = 0;
    int shows = 0;
    std::function<void()> onRestore;
    int suspends = 0;
    int resumes = 0;
    AccompanimentInputs inputs;
    void suspendClocks() override { ++suspends; }
    void resumeClocks() override { ++resumes; }
    AccompanimentInputs accompanimentInputs() const override { return inputs; }
    int selectedOutputDevice() const override { return device; }
    void RestoreKeyboardDefaults() override
    {
        ++restores;
        if (onRestore)
            onRestore();
    }
    void showKeyboardWindow() override { ++shows; }
};

inline uint32_t msg(int status, int data1, int data2) { return packShortMsg(status, data1, data2); }

// Empties the program-wide song, codes 0 as at the program's start.
inline void resetProgramSong()
{
    Song &song = programSong();
    for (int line = 0; line < SongLineRows; ++line) {
        song.StepArr[std::size_t(line)].fill(QString());
        song.MeasureArr[std::size_t(line)].fill(QString());
        song.NoteArr[std::size_t(line)].fill(0);
    }
    song.TotalMeasures = 0;
    song.LineProgram.fill(0);
}

class YYBJTest : public ::testing::Test {
protected:
    explicit YYBJTest(bool open = true)
    {
        AppDir = data.path() + QLatin1Char('/');
        resetProgramSong();
        if (open) {
            openEditor();
            env.take();
        }
    }
    ~YYBJTest() override { delete w.data(); }

    void openEditor() { openEditor(keyboard); }
    void openEditor(KeyboardWindowApi &over)
    {
        w = new YYBJ(over);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->Form_Load();
        w->show();
    }
    // Runs the deletions the event loop has pending.
    static void deletePending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // Cell texts of a line from an absolute step on.
    static QStringList cells(int line, int from, int count)
    {
        QStringList out;
        for (int t = from; t < from + count; ++t)
            out << programSong().StepArr[std::size_t(line)][std::size_t(t)];
        return out;
    }
    // Types text into melody box line and leaves it.
    void typeMelody(int line, const QString &text)
    {
        w->YF1[std::size_t(line)]->setText(text);
        w->YF1_LostFocus(line);
    }

    Environment env;
    QTemporaryDir data;
    FakeKeyboard keyboard;
    QPointer<YYBJ> w;
};

} // namespace dzq::test
