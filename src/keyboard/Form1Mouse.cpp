// Playing the on-screen keys with the mouse: a drag over the keys plays them
// one after the other on the melody voices, each movement striking the key
// under the pointer again; the mute strip Label1 silences the mouse's note.
#include "keyboard/EventHook.h"
#include "keyboard/Form1.h"

#include "platform/Resources.h"
#include "shared/Shared.h"

#include <QCursor>

#include <algorithm>

namespace dzq {

namespace {

// Picture 501 shows a pointing hand; its fingertip is the hot spot.
constexpr int KeyCursorPicture = 501;
constexpr QPoint KeyCursorHotSpot{11, 0};

} // namespace

void Form1::Picture1_DragOver(int index)
{
    if (index < 0 || index >= OnScreenKeyCount)
        return;
    releaseLastNote();
    soundNote(index + KeyBase);
    showKeyDown(index);
    if (LastNote != index)
        showKeyUp(LastNote);
    LastNote = index;
    LastNoteMidi = index + KeyBase;
}

void Form1::Label1_MouseMove()
{
    releaseLastNote();
    showKeyUp(LastNote);
}

void Form1::wireMouse()
{
    const QPixmap cursorPicture = LoadResPicture(KeyCursorPicture);
    const QCursor keyCursor = cursorPicture.isNull()
                                  ? QCursor(Qt::PointingHandCursor)
                                  : QCursor(cursorPicture, KeyCursorHotSpot.x(), KeyCursorHotSpot.y());
    for (KeyPicture *key : Picture1) {
        key->setCursor(keyCursor);
        connect(key, &KeyPicture::dragOver, this, [this](QWidget *under) {
            if (!under)
                return;
            if (under == Label1) {
                Label1_MouseMove();
                return;
            }
            const auto it = std::find(Picture1.begin(), Picture1.end(), under);
            if (it != Picture1.end() && under->isEnabled())
                Picture1_DragOver(int(it - Picture1.begin()));
        });
    }

    // The strip mutes under a passing pointer, button held or not.
    Label1->setMouseTracking(true);
    EventHook::install(Label1, [this](QEvent *event) {
        if (event->type() == QEvent::MouseMove)
            Label1_MouseMove();
    });
}

} // namespace dzq
