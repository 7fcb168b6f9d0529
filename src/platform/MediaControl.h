#pragma once
// The media-control device the recorders and audio players of the windows
// drive with command strings. One device at a time is open under an alias (the
// windows share "NN"). Keywords are compared without regard to case. A file
// name is everything between its keyword and the next one, blanks included,
// so it needs no quotation marks (quotes around it are taken off).
//
//   open new type WaveAudio alias A      an empty recording, PCM 16 bits,
//                                        44100 samples/s, 2 channels until set
//   open FILE type T alias A             a WAV or MP3 file to play; T is
//                                        WaveAudio, MPEGVideo or empty (then
//                                        the file's content tells)
//   set A ITEM...                        recording format, one or more of:
//                                        bitspersample 8|16, samplespersec N,
//                                        channels 1|2, file format tag pcm,
//                                        algorithm pcm, assemble record on|off
//   record A                             capture from the default audio input,
//                                        added to the end of the recording
//   stop A                               stops recording or playing; the
//                                        recording is kept
//   save A FILE                          writes the recording as a PCM WAV file
//                                        in the format set
//   seek A to start|N                    position N ms; stops playing
//   play A [from N]                      plays from the position (or N ms)
//   status A mode                        "recording", "playing" or "stopped"
//                                        (also when A is not open)
//   close A                              stops and closes; an unsaved
//                                        recording is discarded
//
// A command that is unknown, malformed or does not fit the open device answers
// an error and changes nothing.
#include "platform/WavFile.h"

#include <QString>

#include <memory>

namespace dzq {

enum class MediaError {
    None,
    UnknownCommand,
    Malformed,       // a word missing or left over, or a value out of range
    NotOpen,         // the alias names no open device
    AliasInUse,      // a device is open already
    FileNotFound,
    UnknownType,     // neither WAV nor MP3, or an unknown device type
    WrongDevice,     // the command does not apply to a recording / a player
    NoInput,         // no audio input to record from
    NothingRecorded,
    WriteFailed,
};

// A short Chinese text for the status line.
QString mediaErrorText(MediaError error);

struct MediaResult {
    MediaError error = MediaError::None;
    QString reply;
    bool ok() const { return error == MediaError::None; }
};

class MediaControl {
public:
    virtual ~MediaControl() = default;
    // Carries out one command string.
    virtual MediaResult send(const QString &command) = 0;

    // The program's one device (Qt Multimedia) unless another is installed.
    static MediaControl &instance();
    // Installs a device (not owned); nullptr restores the program's own.
    static void install(MediaControl *control);
};

// The sound behind the commands: capture from the audio input, and a player.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;

    // Starts capturing from the default audio input, adding to captured(). An
    // empty recording takes the rate and channel count asked for when the
    // input offers them, else the input's own; a recording that has sound
    // keeps its format. False when there is no input to capture from.
    virtual bool startCapture(int sampleRate, int channels) = 0;
    virtual void stopCapture() = 0;
    // From startCapture() until stopCapture() or a failure of the input.
    virtual bool isCapturing() const = 0;
    virtual const PcmSound &captured() const = 0;
    virtual void clearCaptured() = 0;

    // Loads a file; nothing plays until play().
    virtual void openFile(const QString &path) = 0;
    virtual void play(qint64 fromMs) = 0; // fromMs < 0: from where it stands
    virtual void seek(qint64 ms) = 0;     // stops playing
    virtual void stopPlayback() = 0;
    // From play() until stopPlayback(), seek(), the end of the file, or a
    // failure to play it.
    virtual bool isPlaying() const = 0;
    virtual void closeFile() = 0;
};

// Capture with QAudioSource, playback with QMediaPlayer.
std::unique_ptr<MediaBackend> makeQtMediaBackend();

// Reads the command strings and drives a backend.
class MediaInterpreter final : public MediaControl {
public:
    explicit MediaInterpreter(std::unique_ptr<MediaBackend> backend);
    ~MediaInterpreter() override;
    MediaResult send(const QString &command) override;

private:
    enum class Kind { None, Recording, Player };
    MediaResult open(const QString &args);
    MediaResult set(const QString &args);
    MediaResult status(const QString &alias, const QString &args) const;
    void closeDevice();

    std::unique_ptr<MediaBackend> backend_;
    Kind kind_ = Kind::None;
    QString alias_;
    WavFormat format_;
};

} // namespace dzq
