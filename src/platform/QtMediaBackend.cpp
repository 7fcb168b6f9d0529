// The media-control device's sound on Qt Multimedia: QAudioSource captures
// from the default input into memory, QMediaPlayer plays WAV and MP3 files.
// Every Qt object is owned by the application object, so none outlives the
// audio system when the program ends.
#include "platform/MediaControl.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QAudioSource>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPointer>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace dzq {

namespace {

// Takes what the audio input delivers and adds it to a recording as 16-bit
// samples, keeping a sample split between two deliveries for the next one.
class CaptureSink final : public QIODevice {
public:
    CaptureSink(PcmSound &sound, const QAudioFormat &format) : sound_(sound), format_(format) {}

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        pending_.append(data, length);
        const int size = format_.bytesPerSample();
        if (size <= 0)
            return length;
        const qsizetype whole = pending_.size() / size * size;
        for (qsizetype i = 0; i < whole; i += size)
            sound_.samples.push_back(toInt16(pending_.constData() + i));
        pending_.remove(0, whole);
        return length;
    }

private:
    int16_t toInt16(const char *p) const
    {
        switch (format_.sampleFormat()) {
        case QAudioFormat::UInt8: return int16_t((int(uchar(*p)) - 128) * 256);
        case QAudioFormat::Int32: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return int16_t(v >> 16);
        }
        case QAudioFormat::Float: {
            float v;
            std::memcpy(&v, p, 4);
            return int16_t(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        }
        default: {
            int16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        }
    }

    PcmSound &sound_;
    QAudioFormat format_;
    QByteArray pending_;
};

class QtMediaBackend final : public MediaBackend {
public:
    ~QtMediaBackend() override
    {
        stopCapture();
        closeFile();
    }

    bool startCapture(int sampleRate, int channels) override
    {
        stopCapture();
        const QAudioDevice input = QMediaDevices::defaultAudioInput();
        if (input.isNull())
            return false;
        const bool adding = !sound_.samples.empty();
        QAudioFormat format;
        format.setSampleFormat(QAudioFormat::Int16);
        format.setSampleRate(adding ? sound_.sampleRate : sampleRate);
        format.setChannelCount(adding ? sound_.channels : channels);
        if (!input.isFormatSupported(format)) {
            if (adding)
                return false;
            format = input.preferredFormat();
        }
        sound_.sampleRate = format.sampleRate();
        sound_.channels = format.channelCount();

        sink_ = std::make_unique<CaptureSink>(sound_, format);
        sink_->open(QIODevice::WriteOnly);
        source_ = new QAudioSource(input, format, qApp);
        // Small buffers keep the capture flowing even from a quiet source.
        source_->setBufferSize(format.bytesForDuration(50000));
        source_->start(sink_.get());
        if (source_->error() != QAudio::NoError || source_->state() == QAudio::StoppedState) {
            stopCapture();
            return false;
        }
        return true;
    }

    void stopCapture() override
    {
        // Taking an audio input down runs pending events, and a handler among
        // them may stop the capture again: the members are cleared first, so
        // such a call finds nothing left to stop. stop() ends the input at
        // once; the object itself goes from the event loop, not from inside
        // the caller's handler.
        QAudioSource *source = source_.data();
        source_ = nullptr;
        const std::unique_ptr<CaptureSink> sink = std::move(sink_);
        if (source) {
            source->stop();
            source->deleteLater();
        }
    }

    bool isCapturing() const override
    {
        return source_ && source_->state() != QAudio::StoppedState && source_->error() == QAudio::NoError;
    }

    const PcmSound &captured() const override { return sound_; }
    void clearCaptured() override { sound_ = PcmSound{}; }

    void openFile(const QString &path) override
    {
        closeFile();
        player_ = new QMediaPlayer(qApp);
        player_->setAudioOutput(new QAudioOutput(player_));
        QObject::connect(player_, &QMediaPlayer::mediaStatusChanged, player_, [this](QMediaPlayer::MediaStatus s) {
            if (s == QMediaPlayer::EndOfMedia || s == QMediaPlayer::InvalidMedia)
                playing_ = false;
        });
        QObject::connect(player_, &QMediaPlayer::playbackStateChanged, player_, [this](QMediaPlayer::PlaybackState s) {
            if (s == QMediaPlayer::StoppedState)
                playing_ = false;
        });
        QObject::connect(player_, &QMediaPlayer::errorOccurred, player_, [this] { playing_ = false; });
        player_->setSource(QUrl::fromLocalFile(path));
    }

    void play(qint64 fromMs) override
    {
        if (!player_)
            return;
        if (player_->mediaStatus() == QMediaPlayer::EndOfMedia && fromMs < 0)
            fromMs = 0;
        if (fromMs >= 0)
            player_->setPosition(fromMs);
        playing_ = true; // a failure while starting clears it again
        player_->play();
    }

    void seek(qint64 ms) override
    {
        if (!player_)
            return;
        if (playing_)
            player_->pause();
        playing_ = false;
        player_->setPosition(ms);
    }

    void stopPlayback() override
    {
        if (player_ && playing_)
            player_->pause();
        playing_ = false;
    }

    bool isPlaying() const override { return player_ && playing_; }

    void closeFile() override
    {
        playing_ = false;
        if (!player_)
            return;
        QObject::disconnect(player_, nullptr, nullptr, nullptr);
        player_->stop();
        player_->deleteLater();
        player_ = nullptr;
    }

private:
    PcmSound sound_;
    std::unique_ptr<CaptureSink> sink_;
    QPointer<QAudioSource> source_;
    QPointer<QMediaPlayer> player_;
    bool playing_ = false;
};

} // namespace

std::unique_ptr<MediaBackend> makeQtMediaBackend() { return std::make_unique<QtMediaBackend>(); }

} // namespace dzq
