// The main window as it starts: the defaults reached through the controls' own
// handlers, activations after the first one, the score entry window's round trip.
#include "Form1Fixture.h"

#include "score_entry/YYLR.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>
#include <map>

using namespace dzq;

namespace {

// Program changes (bank select 0 first) in the messages, as (channel, program).
std::vector<std::pair<int, int>> programChanges(const std::vector<uint32_t> &msgs)
{
    std::vector<std::pair<int, int>> out;
    for (std::size_t i = 0; i < msgs.size(); ++i)
        if ((msgs[i] & 0xF0) == 0xC0 && (msgs[i] >> 8 & 0xFF) <= 127) {
            const int channel = int(msgs[i] & 0x0F);
            EXPECT_GT(i, 0u);
            EXPECT_EQ(msgs[i - 1], packShortMsg(0xB0 + channel, 0, 0));
            out.emplace_back(channel, int(msgs[i] >> 8 & 0xFF));
        }
    return out;
}

} // namespace

TEST(Form1Start, FirstActivationSetsTheInstrumentKeyAndTempo)
{
    test::Environment env;
    QTemporaryDir data;
    AppDir = data.path() + QLatin1Char('/');
    Form1 w;
    w.Form_Load();
    w.show();
    const auto changes = programChanges(env.take());
    // The last program of each channel is what sounds: 49, 9, 54 for the
    // melody voices, 2, 25, 46 for the chord voices.
    std::map<int, int> last;
    for (const auto &[channel, program] : changes)
        last[channel] = program;
    EXPECT_EQ(last, (std::map<int, int>{{0, 49}, {1, 9}, {2, 54}, {3, 2}, {4, 25}, {5, 46}}));
    EXPECT_EQ(KeyBase, 36);
    EXPECT_EQ(StepMs, 107);
    EXPECT_EQ((std::array<int, 4>{VoiceVelocity[0], VoiceVelocity[1], VoiceVelocity[2], VoiceVelocity[3]}),
              (std::array<int, 4>{85, 70, 55, 55}));
    EXPECT_EQ(w.Timer1->interval(), 107);
    EXPECT_TRUE(w.SFYXYZ->hasFocus() || QApplication::focusWidget() == nullptr);
    EXPECT_TRUE(w.InitDone);

    // A later activation reloads the score box but fills no list twice.
    ScoreText = QStringLiteral("KC8TZ");
    w.hide();
    w.show();
    EXPECT_EQ(w.Text3->toPlainText(), ScoreText);
    EXPECT_EQ(w.ComSounds[0]->count(), 129);
    EXPECT_EQ(w.YQSZ[3]->count(), 47);
}

// The score entry window takes the screen and gives it back: the main window
// shows again through its activation, and what the box held is still there.
// The playing surface is ready at once, mute strip and keys, although the
// entry window held the focus: a desktop without a window manager may never
// hand it back with a focus event.
using Form1ScoreEntry = test::Form1Test;

TEST_F(Form1ScoreEntry, RoundTripKeepsTheBoxAndReadiesThePlayingSurface)
{
    w.Text3->setPlainText(QStringLiteral("KC8KD"));
    const QWidgetList before = QApplication::topLevelWidgets();
    QApplication::processEvents();
    w.XINJIAN->click();
    EXPECT_FALSE(w.isVisible());
    YYLR *entry = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *y = qobject_cast<YYLR *>(top); y && y->isVisible() && !before.contains(top))
            entry = y;
    ASSERT_NE(entry, nullptr);
    entry->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(entry->isActiveWindow());
    EXPECT_TRUE(w.Label1->isHidden());
    entry->FANHUI->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC8KD"));
    EXPECT_FALSE(w.Label1->isHidden());
    EXPECT_TRUE(w.Picture1[0]->isEnabled() && w.Picture1[64]->isEnabled());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
