#pragma once
// The farewell window Form3: a frameless window shaped as the grey words
// "再 见". A click on a letter or the first tick of its 4-second clock ends the
// program, once.
#include <QPainterPath>
#include <QWidget>

#include <functional>

namespace dzq {

class StepTimer;

class Form3 final : public QWidget {
    Q_OBJECT
public:
    // endProgram: runs once on the click or the tick; QCoreApplication::quit
    // when empty.
    explicit Form3(std::function<void()> endProgram = {}, QWidget *parent = nullptr);
    ~Form3() override;

    // The outline of the text, in window coordinates; the window's mask is
    // this shape.
    const QPainterPath &textShape() const { return shape_; }
    // The 4000 ms clock, running from construction.
    StepTimer &timer1() { return *timer1_; }
    bool hasEnded() const { return ended_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void end();

    std::function<void()> endProgram_;
    StepTimer *timer1_;
    QPainterPath shape_;
    bool ended_ = false;
};

} // namespace dzq
