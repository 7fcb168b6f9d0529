#include "platform/EffectPlayer.h"

#include <QApplication>
#include <QSoundEffect>
#include <QPointer>
#include <QUrl>

namespace dzq {

namespace {

class QtEffectPlayer final : public EffectPlayer {
public:
    void play(const QString &path) override
    {
        ensure();
        effect_->stop();
        effect_->setSource(QUrl::fromLocalFile(path));
        effect_->play();
    }
    void stop() override
    {
        if (effect_)
            effect_->stop();
    }
    void beep() override
    {
        stop();
        QApplication::beep();
    }
    void setVolume(double volume) override
    {
        volume_ = volume;
        if (effect_)
            effect_->setVolume(float(volume));
    }

private:
    void ensure()
    {
        if (!effect_) {
            // Owned by the application object, so it goes before the audio system does.
            effect_ = new QSoundEffect(qApp);
            effect_->setVolume(float(volume_));
        }
    }
    QPointer<QSoundEffect> effect_;
    double volume_ = 1.0;
};

EffectPlayer *current = nullptr;

EffectPlayer &defaultPlayer()
{
    static QtEffectPlayer player;
    return player;
}

} // namespace

EffectPlayer &EffectPlayer::instance() { return current ? *current : defaultPlayer(); }

void EffectPlayer::install(EffectPlayer *player) { current = player; }

} // namespace dzq
