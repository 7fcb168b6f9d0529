// A note key held down on a real X display while every core is busy: it
// sounds once, and letting it go acts once, with "抬手静音" on and off. The
// program runs as a user starts it, on the X platform of a private Xvfb; the
// keys come through XTest, and the program's message log tells what they did.
// The X server repeats a held key; read late, the repeats must not be taken
// for the player letting go and striking again.
#include "keyboard/core/SettingsFile.h"
#include "midi/HangingNotes.h"

#include "ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

// Last: Xlib defines names as macros (None, Bool, Status) that others use.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <dlfcn.h>

using namespace dzq;

namespace {

using FakeKeyEvent = int (*)(Display *, unsigned int, Bool, unsigned long);

constexpr int Holds = 2;
constexpr auto HoldTime = std::chrono::milliseconds(1200); // well past the repeat delay
constexpr uint32_t KC = 60;                                 // G in the key of C

void stop(QProcess &p)
{
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

// What channel 0 did with note 60, in order: "on" or "off" for each message.
std::string keyStory(const std::vector<uint32_t> &msgs)
{
    std::string story;
    for (uint32_t m : msgs) {
        if ((m >> 8 & 0x7F) != KC || (m & 0x0F) != 0)
            continue;
        if ((m & 0xF0) == 0x90 && (m >> 16 & 0x7F) > 0)
            story += story.empty() ? "on" : " on";
        else if ((m & 0xF0) == 0x80 || (m & 0xF0) == 0x90)
            story += story.empty() ? "off" : " off";
    }
    return story;
}

class HeldKey : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            GTEST_SKIP() << "no Xvfb to run the program on a real X display (package xvfb)";
        xtst = dlopen("libXtst.so.6", RTLD_NOW);
        fakeKey = xtst ? reinterpret_cast<FakeKeyEvent>(dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
        if (!fakeKey)
            GTEST_SKIP() << "no XTest library to press keys (package libxtst6)";
        // The server picks a free display and says which.
        server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp")});
        ASSERT_TRUE(server.waitForStarted(5000));
        QByteArray out;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                out += server.readAllStandardOutput();
                return out.contains('\n');
            },
            10000));
        displayName = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
        display = XOpenDisplay(displayName.toLatin1().constData());
        ASSERT_NE(display, nullptr) << displayName.toStdString();
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
        if (server.state() != QProcess::NotRunning)
            stop(server);
        if (xtst)
            dlclose(xtst);
    }

    // Starts the program with release on key-up set as given, holds G Holds
    // times with every core busy, and returns what channel 0 did with G's note.
    std::string holdG(int releaseOnKeyUp)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), displayName);
        test::ProgramProcess program(env);
        QTemporaryDir &tmp = program.tmp;
        EXPECT_TRUE(tmp.isValid());
        const QString data = tmp.filePath(QStringLiteral("data")) + QLatin1Char('/');
        QDir().mkpath(data);
        ShortcutSettings settings = defaultSettings();
        settings.releaseOnKeyUp = releaseOnKeyUp;
        EXPECT_TRUE(writeSettingsFile(settingsFilePath(data), settings));
        const QString log = tmp.filePath(QStringLiteral("midi.log"));
        QStringList args{QStringLiteral("--data-dir"), data, QStringLiteral("--audio-driver"), QStringLiteral("none"),
                         QStringLiteral("--midi-log"), log};
        if (const QByteArray sf = qgetenv("DZQ_TEST_SOUNDFONT"); !sf.isEmpty())
            args << QStringLiteral("--soundfont") << QString::fromLocal8Bit(sf);
        EXPECT_TRUE(program.start(args));
        EXPECT_TRUE(program.mainWindowUp()) << program.errors.toStdString();
        QTest::qWait(500);

        // The keyboard goes to the main window, which lies under the pointer.
        const Window root = DefaultRootWindow(display);
        XWarpPointer(display, None, root, 0, 0, 0, 0, 490, 100);
        XSync(display, False);
        Window rootReturn = 0, child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        XQueryPointer(display, root, &rootReturn, &child, &x, &y, &wx, &wy, &mask);
        EXPECT_NE(child, Window(0));
        if (child)
            XSetInputFocus(display, child, RevertToParent, CurrentTime);
        XSync(display, False);
        QTest::qWait(500);

        // One busy process per core, and two more.
        std::vector<std::unique_ptr<QProcess>> busy;
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()) + 2; ++i) {
            busy.push_back(std::make_unique<QProcess>());
            busy.back()->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const KeyCode g = XKeysymToKeycode(display, XK_g);
        for (int h = 0; h < Holds; ++h) {
            fakeKey(display, g, True, CurrentTime);
            XFlush(display);
            std::this_thread::sleep_for(HoldTime);
            fakeKey(display, g, False, CurrentTime);
            XFlush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (auto &p : busy)
            p->kill();
        for (auto &p : busy)
            p->waitForFinished(5000);
        QTest::qWait(500);
        EXPECT_TRUE(program.running());
        program.process.terminate();
        program.process.waitForFinished(5000);

        const MidiLogMessages sent = readMidiLogMessages(log);
        EXPECT_TRUE(sent.ok) << sent.error.toStdString();
        return keyStory(sent.msgs);
    }

    QProcess server;
    QString displayName;
    Display *display = nullptr;
    void *xtst = nullptr;
    FakeKeyEvent fakeKey = nullptr;
};

} // namespace

TEST_F(HeldKey, SoundsOnceAndItsReleaseActsOnceOnABusyMachine)
{
    // Release on key-up: each hold strikes the note once and ends it once.
    EXPECT_EQ(holdG(1), "on off on off");
    // Without: the note sounds on after its key-up, until the next note ends it.
    EXPECT_EQ(holdG(0), "on off on");
}
