// The message, file dialog and effect services can be replaced, so that no
// test ever waits on a modal window or plays a sound.
#include "Fakes.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dzq;

TEST(Services, InstalledServicesStandInForTheProgramsUntilRemoved)
{
    MessageService &qtMessages = MessageService::instance();
    FileDialogService &qtDialogs = FileDialogService::instance();
    EffectPlayer &qtEffects = EffectPlayer::instance();
    {
        test::Environment env;
        EXPECT_EQ(&MessageService::instance(), &env.messages);
        EXPECT_EQ(&FileDialogService::instance(), &env.dialogs);
        EXPECT_EQ(&EffectPlayer::instance(), &env.effects);
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
