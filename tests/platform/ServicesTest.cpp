// The message, file dialog and effect services can be replaced, so that no
// test ever waits on a modal window or plays a sound.
#include "Fakes.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dzq;

TEST(Services, InstalledServicesReceiveTheCallsUntilRemoved)
{
    MessageService &qtMessages = MessageService::instance();
    FileDialogService &qtDialogs = FileDialogService::instance();
    EffectPlayer &qtEffects = EffectPlayer::instance();
    {
        test::Environment env;
        env.messages.answers = {false};
        MessageService::instance().timedInfo(QStringLiteral("提示"), QStringLiteral("成功保存乐谱。。。"), 5000);
        EXPECT_FALSE(MessageService::instance().ask(QStringLiteral("提示"), QStringLiteral("覆盖吗？")));
        MessageService::instance().plain(QStringLiteral("驱动错误"));
        ASSERT_EQ(env.messages.shown.size(), 3u);
        EXPECT_EQ(env.messages.shown[0].timeoutMs, 5000);
        EXPECT_EQ(env.messages.shown[2].caption, QStringLiteral("电子琴"));

        env.dialogs.answers = {QStringLiteral("/tmp/a.txt")};
        EXPECT_EQ(FileDialogService::instance().openFile("t", "/tmp", "乐谱记录txt (*.txt)"), "/tmp/a.txt");
        EXPECT_TRUE(FileDialogService::instance().saveFile("t", "/tmp", "*.txt").isEmpty()) << "cancel";

        EffectPlayer::instance().play("/x.wav");
        EXPECT_EQ(env.effects.played, QStringList({"/x.wav"}));
    }
    EXPECT_EQ(&MessageService::instance(), &qtMessages);
    EXPECT_EQ(&FileDialogService::instance(), &qtDialogs);
    EXPECT_EQ(&EffectPlayer::instance(), &qtEffects);
}

TEST(Services, TheTimedBoxClosesItselfAndWhileOpenTheWindowStaysAlive)
{
    // The real box, offscreen: it must come back by itself, and timers keep
    // running while it waits.
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(10);
    QElapsedTimer t;
    t.start();
    MessageService::instance().timedInfo(QStringLiteral("提示"), QStringLiteral("成功清空乐谱。。。"), 150);
    EXPECT_GE(t.elapsed(), 140);
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_GT(ticks, 3);
}
