// The editor's recorder on the shared media-control alias.
#include "YYBJFixture.h"

namespace dzq::test {

TEST_F(YYBJTest, RecordingInTheQualityChosenAndSavingIt)
{
    w->yinzi->setListIndex(2);
    w->LUYINJI[2]->click();
    EXPECT_EQ(env.media.take(),
              (QStringList{QStringLiteral("CLOSE NN"), QStringLiteral("OPEN NEW TYPE WaveAudio ALIAS NN"),
                           QStringLiteral("Set NN assemble record off"), QStringLiteral("Set NN file format tag pcm"),
                           QStringLiteral("Set NN algorithm pcm"), QStringLiteral("Set NN bitspersample 8"),
                           QStringLiteral("Set NN samplespersec 22050"), QStringLiteral("Set NN channels 2"),
                           QStringLiteral("RECORD NN")}));
    EXPECT_TRUE(w->Lyjsj->isEnabled());

    // The clock counts minutes and seconds without padding while recording.
    env.media.mode = QStringLiteral("recording");
    for (int s = 0; s < 61; ++s)
        w->Lyjsj_Timer();
    EXPECT_EQ(w->LYSJ->text(), QStringLiteral("当前: 1:0"));
    env.media.take();

    const QString name = data.filePath(QStringLiteral("歌"));
    env.dialogs.answers.push_back(name);
    w->LUYINJI[3]->click();
    EXPECT_EQ(env.media.take(), (QStringList{QStringLiteral("stop NN"), QStringLiteral("save NN ") + name + ".wav",
                                             QStringLiteral("close NN")}));
    EXPECT_FALSE(w->Lyjsj->isEnabled());
    EXPECT_EQ(w->LYSJ->text(), QStringLiteral("当前: 00:00"));
    EXPECT_FALSE(w->LUYINJI[2]->value());
    EXPECT_FALSE(w->LUYINJI[3]->value());
}

TEST_F(YYBJTest, PlayingAFileUntilItsEndAndACancelledChoiceSendsNothing)
{
    w->LUYINJI[0]->click();
    EXPECT_TRUE(env.media.take().isEmpty());
    EXPECT_FALSE(w->LUYINJI[0]->value());

    const QString file = data.filePath(QStringLiteral("曲.mp3"));
    env.dialogs.answers.push_back(file);
    w->LUYINJI[0]->click();
    EXPECT_EQ(env.media.take(), (QStringList{QStringLiteral("CLOSE NN"),
                                             QStringLiteral("OPEN %1 TYPE MPEGVideo ALIAS NN").arg(file),
                                             QStringLiteral("seek NN to start"), QStringLiteral("PLAY NN FROM 0")}));
    env.media.mode = QStringLiteral("playing");
    w->Lyjsj_Timer();
    EXPECT_TRUE(w->LUYINJI[0]->value());
    // The end of the file: released, the clock reset, though the tick still
    // counts its second.
    env.media.mode = QStringLiteral("stopped");
    env.media.take();
    w->Lyjsj_Timer();
    EXPECT_EQ(env.media.take(), (QStringList{QStringLiteral("status NN mode"), QStringLiteral("STOP NN"),
                                             QStringLiteral("Close NN")}));
    EXPECT_FALSE(w->LUYINJI[0]->value());
    EXPECT_FALSE(w->Lyjsj->isEnabled());
    EXPECT_EQ(w->RecSeconds, 1);
}

} // namespace dzq::test
