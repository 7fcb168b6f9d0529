#pragma once
// Test doubles for the services windows and the MIDI layer use: a message
// service and a file dialog that never block, a recording effect player, and a
// MIDI system whose devices record what they are sent.
#include "midi/MidiDevice.h"
#include "midi/MidiOut.h"
#include "platform/EffectPlayer.h"
#include "platform/FileDialogService.h"
#include "platform/MediaControl.h"
#include "platform/MessageService.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace dzq::test {

struct ShownMessage {
    enum Kind { TimedInfo, Plain, Ask, Input } kind;
    QString caption;
    QString text;
    int timeoutMs = 0;
};

class ScriptedMessages final : public MessageService {
public:
    std::vector<ShownMessage> shown;
    std::deque<bool> answers;       // answers to ask(); yes when empty
    std::deque<QString> inputs;     // answers to input(); cancel (empty) when none is left
    std::function<void()> onShow;   // runs while a box is "open"
    int shownInTick = 0;            // boxes shown while a clock tick was handled
    void timedInfo(const QString &caption, const QString &text, int timeoutMs) override;
    void plain(const QString &text) override;
    bool ask(const QString &caption, const QString &text) override;
    QString input(const QString &caption, const QString &prompt) override;
    QStringList texts() const;

private:
    void opening();
};

class ScriptedDialogs final : public FileDialogService {
public:
    std::deque<QString> answers;    // next file names; cancel when empty
    QStringList titles;
    QStringList startDirs;
    QStringList filters;
    QString openFile(const QString &title, const QString &startDir, const QString &filter) override;
    QString saveFile(const QString &title, const QString &startDir, const QString &filter) override;
};

class RecordingEffects final : public EffectPlayer {
public:
    QStringList played;
    int beeps = 0;
    void play(const QString &path) override { played << path; }
    void stop() override {}
    void beep() override { ++beeps; }
    void setVolume(double) override {}
};

// A media-control device that records the commands it is sent. "status A
// mode" answers mode; a command whose verb (first word, any case) is listed in
// failing answers error and is still recorded.
class RecordingMedia final : public MediaControl {
public:
    QStringList sent;
    QString mode = QStringLiteral("stopped");
    QStringList failing;
    MediaError error = MediaError::WriteFailed;
    MediaResult send(const QString &command) override;
    // The commands sent, then forgets them.
    QStringList take();
};

// A MIDI device that records what it receives; failures can be scripted.
class RecordingDevice final : public MidiDevice {
public:
    explicit RecordingDevice(QString name = QStringLiteral("测试设备")) : name_(std::move(name)) {}
    std::vector<uint32_t> sent;
    // With recordTimes: the time each message was given (midiSendTime()),
    // none for live ones.
    bool recordTimes = false;
    std::vector<std::optional<MidiClock::time_point>> sendTimes;
    int openResult = MidiOk;
    int sendResult = MidiOk;   // result of every send
    int failAfter = -1;        // >= 0: sends after this many succeed fail with sendResult
    bool isOpen = false;
    int opens = 0;
    int closes = 0;
    QString name() const override { return name_; }
    int open() override;
    int close() override;
    int send(uint32_t msg) override;
    QString errorText(int code) const override;

private:
    QString name_;
};

class FakeMidiSystem final : public MidiSystem {
public:
    std::unique_ptr<RecordingDevice> mapperDevice = std::make_unique<RecordingDevice>(QStringLiteral("内置合成器"));
    std::vector<std::unique_ptr<RecordingDevice>> devices;
    std::vector<bool> readable;  // per device; missing = readable
    bool hasMapper = true;
    MidiDevice *mapper() override { return hasMapper ? mapperDevice.get() : nullptr; }
    int deviceCount() override { return int(devices.size()); }
    MidiDevice *device(int id) override;
};

// Installs fresh fakes for one test and removes them again: the scripted
// message and dialog services, the recording effect player and media device, a fake MIDI system
// with its mapper opened, and the shared variables at their start values.
class Environment {
public:
    Environment();
    ~Environment();
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    RecordingEffects effects;
    RecordingMedia media;
    FakeMidiSystem midi;
    RecordingDevice &synth() { return *midi.mapperDevice; }
    // Opens the boxes that wait for the handler to return (showBoxLater).
    static void deliverBoxes();
    // Messages the open mapper received, then forgets them.
    std::vector<uint32_t> take();
};

} // namespace dzq::test
