// The event rules of the controls: which changes run a window's handler, and
// that one change runs it exactly once.
#include "platform/Controls.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

const QStringList tempos = {"40", "50", "60", "70", "80"};

} // namespace

TEST(ChoiceList, FillingLeavesNoSelectionAndEachChoiceClicksExactlyOnce)
{
    ChoiceList list;
    QSignalSpy clicks(&list, &ChoiceList::clicked);
    list.addItem("C");
    list.addItems(tempos);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_TRUE(list.text().isEmpty());
    EXPECT_EQ(clicks.count(), 0);

    EXPECT_TRUE(list.setListIndex(4));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(list.text(), "70");
    list.addItems(tempos);
    EXPECT_EQ(list.listIndex(), 4) << "more items keep the selection";
    EXPECT_TRUE(list.setListIndex(4));
    EXPECT_EQ(clicks.count(), 2) << "the same index clicks again";
    EXPECT_TRUE(list.setListIndex(-1));
    EXPECT_FALSE(list.setListIndex(11));
    EXPECT_FALSE(list.setListIndex(-2));
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(clicks.count(), 3) << "an index outside the list does nothing";

    list.setListIndex(1);
    QTest::keyClick(&list, Qt::Key_Down); // the user
    EXPECT_EQ(list.listIndex(), 2);
    EXPECT_EQ(clicks.count(), 5);
}

TEST(ChoiceList, TypingIntoAnEditableListIsAChangeNotAClick)
{
    ChoiceList list;
    list.setEditable(true);
    list.setEditable(true); // a second call must not connect typing twice
    list.setText("75");
    list.addItems(tempos);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.text(), "75") << "filling the list keeps the typed text";

    QSignalSpy clicks(&list, &ChoiceList::clicked);
    QSignalSpy typed(&list, &ChoiceList::changed);
    list.lineEdit()->clear();
    QTest::keyClicks(list.lineEdit(), "65");
    EXPECT_EQ(typed.count(), 2);
    EXPECT_EQ(list.text(), "65") << "no completion from the items";
    QTest::keyClick(list.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(list.count(), 5) << "typed text is not added to the list";

    list.setText("90");
    ASSERT_TRUE(list.setListIndex(4));
    EXPECT_EQ(list.text(), "80");
    EXPECT_EQ(typed.count(), 2) << "text from code is no typing";
    EXPECT_EQ(clicks.count(), 1);
}

TEST(Controls, AHandlerReplacesTheOneBefore)
{
    QObject window;
    ChoiceList list;
    list.addItems(tempos);
    int first = 0, second = 0;
    list.setClickHandler(&window, [&] { ++first; });
    list.setClickHandler(&window, [&] { ++second; });
    list.setListIndex(0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    list.setClickHandler(&window, {});
    list.setListIndex(1);
    EXPECT_EQ(second, 1);
}

TEST(CheckBox, RunsItsHandlerOnEveryChangeAndOnlyThen)
{
    CheckBox box;
    QSignalSpy runs(&box, &CheckBox::valueChanged);
    box.setValue(0);
    box.setValue(2);
    box.setValue(1);
    EXPECT_EQ(runs.count(), 1);
    EXPECT_EQ(box.value(), 1);
    QTest::keyClick(&box, Qt::Key_Space); // the user
    EXPECT_EQ(runs.count(), 2);
    EXPECT_EQ(box.value(), 0);
}

TEST(OptionButton, RunsOnlyTheHandlerOfTheButtonThatBecomesSelected)
{
    QWidget panel;
    OptionButton a("2/4", &panel), b("3/4", &panel), c("4/4", &panel);
    QSignalSpy ra(&a, &OptionButton::selected), rb(&b, &OptionButton::selected), rc(&c, &OptionButton::selected);

    a.setValue(true);
    b.setValue(true);
    b.setValue(true);
    EXPECT_FALSE(a.value());
    EXPECT_EQ(ra.count(), 1) << "being cleared runs nothing";
    EXPECT_EQ(rb.count(), 1) << "selecting the selected one runs nothing";
    QTest::keyClick(&c, Qt::Key_Space); // the user
    EXPECT_EQ(rc.count(), 1);

    // Clearing the selected button leaves none selected; the group still excludes.
    c.setValue(false);
    EXPECT_FALSE(a.value() || b.value() || c.value());
    a.setValue(true);
    c.setValue(true);
    EXPECT_FALSE(a.value());
    EXPECT_EQ(rc.count(), 2);
}

TEST(ScrollBar, ArrowsRaiseTheValueAndADraggedThumbChangesItOnlyWhenLetGo)
{
    ScrollBar bar;
    bar.setRange(-20, 20);
    QSignalSpy runs(&bar, &QScrollBar::valueChanged);
    bar.setValue(5);
    bar.setValue(5);
    EXPECT_EQ(runs.count(), 1);
    QTest::keyClick(&bar, Qt::Key_Right);
    EXPECT_EQ(bar.value(), 6) << "the right arrow raises the value";

    bar.setSliderDown(true);
    bar.setSliderPosition(-7);
    bar.setSliderPosition(-12);
    EXPECT_EQ(runs.count(), 2);
    bar.setSliderDown(false);
    EXPECT_EQ(runs.count(), 3);
    EXPECT_EQ(bar.value(), -12);

    ScrollBar down(Qt::Vertical);
    down.setRange(0, 10);
    QTest::keyClick(&down, Qt::Key_Down);
    EXPECT_EQ(down.value(), 1);
}
