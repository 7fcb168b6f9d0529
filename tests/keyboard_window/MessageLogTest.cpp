// Stored message logs: scripted sessions of the keyboard window (live playing,
// a score, the rhythm with chords, presets and instrument choices) whose every
// MIDI message, start-up included, is compared with a log kept in
// tests/keyboard_window/logs/. The clocks tick only when the script calls
// them, and chord notes that wait for their turn are delivered after each
// action, so a log does not depend on timing. A difference means the output
// changed; after a deliberate change DZQ_WRITE_MESSAGE_LOGS=<folder> writes
// the new logs there to replace the stored ones.
#include "Fakes.h"

#include "keyboard/Form1.h"
#include "keyboard/core/ChordProgression.h"
#include "keyboard/core/SettingsFile.h"
#include "keyboard/core/VirtualKeys.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/AppPaths.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace dzq;

namespace {

constexpr int KeyG = 71, KeyH = 72, KeyJ = 74, KeyK = 75, Key6 = 54, Key7 = 55; // KC KD KE KF LC LD
constexpr int KeyA = 65, KeyS = 83;  // key choice C, D
constexpr int KeyF1 = 112, KeyF3 = 114;

class MessageLog : public ::testing::Test {
protected:
    MessageLog()
    {
        const AppDirResult dir = prepareAppDir(data.path(), {}, {});
        EXPECT_TRUE(dir.ok()) << dir.error.toStdString();
        AppDir = dir.dir;
        EXPECT_TRUE(writeDefaultSettingsFile(settingsFilePath(AppDir)));
        seedChordRandom(12);
        fillChordTable(LoadResString(510));
        w = std::make_unique<Form1>();
        step("start", [this] {
            w->Form_Load();
            w->show();
        });
        // Fixed chord patterns over a fixed progression.
        step("chords", [this] {
            w->Text4->setPlainText(QStringLiteral("LG--WC--WE--WG--"));
            w->Text5->setPlainText(QStringLiteral("CC--CC--CC--CC--"));
            w->Text7->setPlainText(QStringLiteral("CL------FL------"));
            w->Text6_GotFocus();
            w->Text6->setPlainText(QStringLiteral("1564"));
            w->Text6_LostFocus();
        });
    }
    ~MessageLog() override
    {
        for (StepTimer *t : {w->Timer1, w->Timer3, w->BZDS, w->HXYS})
            t->setEnabled(false);
    }

    // Runs one action of the script and logs what it sent under its name,
    // the later notes of its chords included.
    void step(const char *name, const std::function<void()> &action)
    {
        action();
        for (int channel = 0; channel < 16; ++channel)
            flushChordNotes(channel);
        log += QStringLiteral("# ") + QLatin1String(name) + QLatin1Char('\n');
        for (const uint32_t m : env.take())
            log += QStringLiteral("%1\n").arg(m, 8, 16, QLatin1Char('0')).toUpper();
    }
    void ticks(const char *name, int n, void (Form1::*tick)())
    {
        step(name, [&] {
            for (int i = 0; i < n; ++i) {
                (w.get()->*tick)();
                for (int channel = 0; channel < 16; ++channel)
                    flushChordNotes(channel);
            }
        });
    }
    void press(int vk, int shift = 0) { w->SFYXYZ_KeyDown(vk, shift); }
    void lift(int vk) { w->SFYXYZ_KeyUp(vk, 0); }
    void tap(int vk)
    {
        press(vk);
        lift(vk);
    }

    // Compares the log with the stored one line by line, or writes it.
    void compare(const QString &name)
    {
        const QString file = name + QStringLiteral(".log");
        if (const QByteArray out = qgetenv("DZQ_WRITE_MESSAGE_LOGS"); !out.isEmpty()) {
            QFile f(QDir(QString::fromLocal8Bit(out)).filePath(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(log.toUtf8());
            return;
        }
        QFile f(QStringLiteral(DZQ_SOURCE_DIR "/tests/keyboard_window/logs/") + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
        const QStringList want = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        const QStringList got = log.split(QLatin1Char('\n'));
        QString section;
        for (qsizetype i = 0; i < std::max(want.size(), got.size()); ++i) {
            const QString a = want.value(i, QStringLiteral("(end)"));
            const QString b = got.value(i, QStringLiteral("(end)"));
            if (a.startsWith(QLatin1Char('#')))
                section = a;
            ASSERT_EQ(b.toStdString(), a.toStdString())
                << file.toStdString() << " line " << i + 1 << " in " << section.toStdString();
        }
    }

    test::Environment env;
    QTemporaryDir data;
    std::unique_ptr<Form1> w;
    QString log;
};

TEST_F(MessageLog, LivePlaying)
{
    step("notes recorded", [this] {
        w->Check1->setValue(0);
        tap(KeyG);
        tap(KeyH);
        w->Timer1_Timer();
        w->Timer1_Timer();
        press(KeyJ);
        press(KeyJ); // a repeat
        lift(KeyJ);
    });
    step("overlapping keys", [this] {
        press(KeyK);
        press(Key6);
        lift(KeyK);
        lift(Key6);
    });
    step("key change while a note sounds", [this] {
        press(Key7);
        tap(KeyS);
        lift(Key7);
        tap(KeyG);
        tap(KeyA);
    });
    step("rest and keypad drums", [this] {
        tap(vk::Back);
        tap(vk::Numpad0 + 1);
        tap(vk::Numpad0 + 7);
    });
    ticks("performance clock", 20, &Form1::Timer1_Timer);
    step("held notes (hold on)", [this] {
        w->Check1->setValue(1);
        press(KeyG);
        press(KeyH);
        lift(KeyG);
        lift(KeyH);
    });
    ticks("idle stop", 105, &Form1::Timer1_Timer);
    step("with sync: first note starts the accompaniment", [this] {
        w->Check1->setValue(0);
        w->Check5->setValue(1);
        press(KeyJ);
    });
    ticks("sync ticks", 40, &Form1::Timer1_Timer);
    step("space stops everything", [this] {
        lift(KeyJ);
        tap(vk::Space);
    });
    compare(QStringLiteral("live_playing"));
}

TEST_F(MessageLog, Score)
{
    step("play", [this] {
        w->Text3->setPlainText(QStringLiteral("KC4KD2KE2YQ2KF4XZ2VS9KG4YD3KA2KB4LC8YD1MC2TZ"));
        w->Yuepu_Click(0);
    });
    ticks("score clock", 80, &Form1::Timer3_Timer);
    step("with sync: the accompaniment under the score", [this] {
        w->Check5->setValue(1);
        w->Text3->setPlainText(QStringLiteral("KC8KE8KG8MC8KG8KE8TZ"));
        w->Yuepu_Click(0);
    });
    ticks("score and accompaniment", 30, &Form1::Timer3_Timer);
    step("stop button", [this] { w->Yuepu_Click(0); });
    step("a score error", [this] {
        w->Check5->setValue(0);
        w->Text3->setPlainText(QStringLiteral("KC2QQ2KD2"));
        w->Yuepu_Click(0);
    });
    ticks("after the error", 6, &Form1::Timer3_Timer);
    compare(QStringLiteral("score"));
}

TEST_F(MessageLog, RhythmWithChords)
{
    step("rhythm on", [this] { w->BzQd->setValue(1); });
    ticks("rhythm 4/4", 70, &Form1::BZDS_Timer);
    step("grid and lane edits", [this] {
        w->BZA[3]->setValue(1);
        w->BZB[2]->setValue(0);
        w->LblInst[2]->setListIndex(7);
        w->VsbVol->setListIndex(3);
    });
    ticks("edited rhythm", 20, &Form1::BZDS_Timer);
    step("chord instruments and volume", [this] {
        w->Combo1->setListIndex(20);
        w->Combo3->setListIndex(0);
        w->HxYL->setListIndex(4);
    });
    ticks("new chord voices", 40, &Form1::BZDS_Timer);
    step("3/4", [this] { w->Option1[1]->setValue(true); });
    ticks("rhythm 3/4", 50, &Form1::BZDS_Timer);
    step("rhythm off", [this] { w->BzQd->setValue(0); });
    step("chord preview on", [this] { w->Check6->setValue(1); });
    ticks("preview", 60, &Form1::HXYS_Timer);
    step("chord preview off", [this] { w->Check6->setValue(0); });
    step("keypad + and -", [this] {
        tap(vk::Add);
        w->BZDS_Timer();
        tap(vk::Subtract);
    });
    compare(QStringLiteral("rhythm_with_chords"));
}

TEST_F(MessageLog, PresetsAndInstruments)
{
    step("presets F1..F3", [this] {
        for (int k = KeyF1; k <= KeyF3; ++k)
            tap(k);
    });
    step("instrument lists", [this] {
        w->ComSounds[0]->setListIndex(1);
        w->ComSounds[1]->setListIndex(0);
        w->ComSounds[2]->setListIndex(127);
        tap(KeyG);
    });
    step("volumes and effect controllers", [this] {
        w->Zxlyl[0]->setListIndex(0);
        w->Zxlyl[2]->setListIndex(6);
        w->Check3[0]->setValue(1);
        w->Check3[1]->setValue(1);
        w->Check3[1]->setValue(0);
        tap(KeyH);
    });
    step("key list", [this] {
        w->YD->setListIndex(5);
        tap(KeyG);
        w->YD->setListIndex(11);
        tap(KeyG);
    });
    step("tempo list", [this] {
        w->SD->setListIndex(2);
        w->SD->setListIndex(9);
    });
    step("chord instrument key and chord voices", [this] {
        w->xuanyue->setListIndex(0);
        w->xuanyue->setListIndex(30);
    });
    step("preset editor", [this] {
        w->Xxk[5]->setValue(true);
        w->Option3[2]->setValue(true);
        w->YQSZ[0]->setListIndex(40);
        w->Option3[14]->setValue(true);
        w->YQSZ[3]->setListIndex(10);
    });
    step("edited presets", [this] {
        tap(KeyF3);
        tap(vk::Numpad0 + 2);
        tap(KeyJ);
        tap(vk::Space);
    });
    compare(QStringLiteral("presets"));
}

} // namespace
