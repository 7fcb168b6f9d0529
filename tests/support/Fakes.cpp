#include "Fakes.h"

#include "midi/Prepared.h"
#include "platform/StepTimer.h"
#include "shared/Shared.h"

#include <QCoreApplication>
#include <QEvent>

namespace dzq::test {

void ScriptedMessages::opening()
{
    // As the real boxes do: a debug build stops on a box inside a tick.
    StepTimer::expectNoTick("a message box");
    if (StepTimer::tickInProgress())
        ++shownInTick;
}

void ScriptedMessages::timedInfo(const QString &caption, const QString &text, int timeoutMs)
{
    opening();
    shown.push_back({ShownMessage::TimedInfo, caption, text, timeoutMs});
    if (onShow)
        onShow();
}

void ScriptedMessages::plain(const QString &text)
{
    opening();
    shown.push_back({ShownMessage::Plain, programTitle(), text, 0});
    if (onShow)
        onShow();
}

bool ScriptedMessages::ask(const QString &caption, const QString &text)
{
    opening();
    shown.push_back({ShownMessage::Ask, caption, text, 0});
    if (answers.empty())
        return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedMessages::input(const QString &caption, const QString &prompt)
{
    shown.push_back({ShownMessage::Input, caption, prompt, 0});
    if (inputs.empty())
        return {};
    const QString a = inputs.front();
    inputs.pop_front();
    return a;
}

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    for (const ShownMessage &m : shown)
        out << m.text;
    return out;
}

QString ScriptedDialogs::openFile(const QString &title, const QString &startDir, const QString &filter)
{
    titles << title;
    startDirs << startDir;
    filters << filter;
    if (answers.empty())
        return {};
    QString a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedDialogs::saveFile(const QString &title, const QString &startDir, const QString &filter)
{
    return openFile(title, startDir, filter);
}

MediaResult RecordingMedia::send(const QString &command)
{
    sent << command;
    if (failing.contains(command.section(QLatin1Char(' '), 0, 0), Qt::CaseInsensitive))
        return {error, {}};
    if (command.startsWith(QStringLiteral("status "), Qt::CaseInsensitive))
        return {MediaError::None, mode};
    return {};
}

QStringList RecordingMedia::take()
{
    QStringList out;
    out.swap(sent);
    return out;
}

int RecordingDevice::open()
{
    ++opens;
    if (openResult == MidiOk)
        isOpen = true;
    return openResult;
}

int RecordingDevice::close()
{
    ++closes;
    isOpen = false;
    return MidiOk;
}

int RecordingDevice::send(uint32_t msg)
{
    if (recordTimes)
        sendTimes.push_back(midiSendTime());
    if (!isOpen)
        return MidiErrNotOpen;
    if (failAfter >= 0) {
        if (failAfter == 0)
            return sendResult;
        --failAfter;
    } else if (sendResult != MidiOk) {
        return sendResult;
    }
    sent.push_back(msg);
    return MidiOk;
}

QString RecordingDevice::errorText(int code) const
{
    return QStringLiteral("测试设备错误 %1").arg(code);
}

MidiDevice *FakeMidiSystem::device(int id)
{
    if (id < 0 || id >= int(devices.size()))
        return nullptr;
    if (id < int(readable.size()) && !readable[id])
        return nullptr;
    return devices[id].get();
}

Environment::Environment()
{
    resetSharedState();
    resetMidiOut();
    dropChordNotes();
    MessageService::install(&messages);
    FileDialogService::install(&dialogs);
    EffectPlayer::install(&effects);
    MediaControl::install(&media);
    setMidiSystem(&midi);
    OpenMidiOut(-1);
}

Environment::~Environment()
{
    // Boxes still waiting for the event loop open now, in this test's service.
    deliverBoxes();
    dropChordNotes();
    resetMidiOut();
    setMidiSystem(nullptr);
    setMidiTap(nullptr);
    MediaControl::install(nullptr);
    EffectPlayer::install(nullptr);
    FileDialogService::install(nullptr);
    MessageService::install(nullptr);
}

void Environment::deliverBoxes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

std::vector<uint32_t> Environment::take()
{
    std::vector<uint32_t> out;
    out.swap(synth().sent);
    return out;
}

} // namespace dzq::test
