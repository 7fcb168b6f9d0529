// ALSA sequencer ports: listing through libasound, one connection per open
// device, events encoded from the packed short messages and sent directly.
#include "midi/devices/AlsaMidi.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>

namespace dzq {

namespace {

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

const char kClientName[] = "电子琴";
const char kOwnPortName[] = "电子琴输出";

} // namespace

void silenceAlsaLibraryErrors() { snd_lib_error_set_handler(ignoreAlsaError); }

// ---------------------------------------------------------------------------
// AlsaPortDevice

AlsaPortDevice::AlsaPortDevice(AlsaMidiSystem &system, int client, int port, QString name)
    : system_(system), client_(client), port_(port), name_(std::move(name))
{
}

AlsaPortDevice::~AlsaPortDevice() { close(); }

int AlsaPortDevice::open()
{
    if (ownPort_ >= 0)
        return MidiOk;
    snd_seq_t *seq = system_.sequencer();
    if (!seq)
        return AlsaErrNoSequencer;
    const int own = snd_seq_create_simple_port(seq, kOwnPortName,
                                               SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                               SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (own < 0) {
        lastErrno_ = -own;
        return AlsaErrNoPort;
    }
    if (const int rc = snd_seq_connect_to(seq, own, client_, port_); rc < 0) {
        snd_seq_delete_simple_port(seq, own);
        lastErrno_ = -rc;
        return (rc == -ENOENT || rc == -ENXIO) ? int(MidiErrNoDevice) : int(AlsaErrConnect);
    }
    if (const int rc = snd_midi_event_new(16, &encoder_); rc < 0) {
        snd_seq_disconnect_to(seq, own, client_, port_);
        snd_seq_delete_simple_port(seq, own);
        encoder_ = nullptr;
        lastErrno_ = -rc;
        return AlsaErrNoPort;
    }
    ownPort_ = own;
    sounding_ = {};
    pedals_ = {};
    lastErrno_ = 0;
    return MidiOk;
}

int AlsaPortDevice::close()
{
    if (ownPort_ < 0)
        return MidiOk;
    // Release what this device left held, so that nothing keeps sounding on
    // the instrument after we let go of it. A port that is already gone takes
    // no more messages; the close itself still succeeds.
    bool alive = true;
    for (int channel = 0; channel < 16 && alive; ++channel) {
        const uint8_t status = uint8_t(0xB0 | channel);
        if (pedals_[channel][0]) {
            const uint8_t up[3] = {status, 64, 0};
            alive = output(up, 3) == MidiOk;
        }
        if (alive && pedals_[channel][1]) {
            const uint8_t up[3] = {status, 66, 0};
            alive = output(up, 3) == MidiOk;
        }
        for (int note = 0; note < 128 && alive; ++note)
            if (sounding_[channel][note]) {
                const uint8_t off[3] = {uint8_t(0x80 | channel), uint8_t(note), 0};
                alive = output(off, 3) == MidiOk;
            }
    }
    if (snd_seq_t *seq = system_.sequencer()) {
        snd_seq_disconnect_to(seq, ownPort_, client_, port_);
        snd_seq_delete_simple_port(seq, ownPort_);
    }
    snd_midi_event_free(encoder_);
    encoder_ = nullptr;
    ownPort_ = -1;
    sounding_ = {};
    pedals_ = {};
    return MidiOk;
}

int AlsaPortDevice::send(uint32_t msg)
{
    if (ownPort_ < 0)
        return MidiErrNotOpen;
    if (!isWireSafe(msg))
        return MidiOk;
    const uint8_t status = msg & 0xFF;
    const uint8_t bytes[3] = {status, uint8_t(msg >> 8), uint8_t(msg >> 16)};
    const int rc = output(bytes, 1 + dataBytesOf(status));
    if (rc == MidiOk)
        track(msg);
    return rc;
}

int AlsaPortDevice::output(const uint8_t *bytes, int length)
{
    snd_seq_t *seq = system_.sequencer();
    if (!seq || !encoder_)
        return MidiErrNotOpen;
    snd_midi_event_reset_encode(encoder_);
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    const long used = snd_midi_event_encode(encoder_, bytes, length, &ev);
    if (used != length || ev.type == SND_SEQ_EVENT_NONE)
        return AlsaErrEncode;
    snd_seq_ev_set_source(&ev, ownPort_);
    // Addressed to the port itself rather than to our subscribers, so that a
    // port that went away is reported instead of swallowing the message.
    snd_seq_ev_set_dest(&ev, client_, port_);
    snd_seq_ev_set_direct(&ev);
    if (const int rc = snd_seq_event_output_direct(seq, &ev); rc < 0) {
        lastErrno_ = -rc;
        return MidiErrDeviceLost;
    }
    return MidiOk;
}

void AlsaPortDevice::track(uint32_t msg)
{
    const int channel = msg & 0x0F;
    const int data1 = (msg >> 8) & 0x7F;
    const int data2 = (msg >> 16) & 0x7F;
    switch (msg & 0xF0) {
    case 0x80:
        sounding_[channel][data1] = false;
        break;
    case 0x90:
        sounding_[channel][data1] = data2 != 0;
        break;
    case 0xB0:
        if (data1 == 64)
            pedals_[channel][0] = data2 >= 64;
        else if (data1 == 66)
            pedals_[channel][1] = data2 >= 64;
        break;
    }
}

QString AlsaPortDevice::errorText(int code) const
{
    const QString reason = lastErrno_ ? QString::fromLocal8Bit(snd_strerror(-lastErrno_)) : QString();
    const QString why = reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason);
    switch (code) {
    case AlsaErrNoSequencer:
        return QStringLiteral("无法打开ALSA音序器，MIDI端口“%1”不可用。").arg(name_);
    case AlsaErrNoPort:
        return QStringLiteral("无法为MIDI端口“%1”建立输出端口%2。").arg(name_, why);
    case AlsaErrConnect:
        return QStringLiteral("无法连接到MIDI端口“%1”%2。").arg(name_, why);
    case AlsaErrEncode:
        return QStringLiteral("消息无法发送到MIDI端口“%1”。").arg(name_);
    case MidiErrNoDevice:
        return QStringLiteral("MIDI端口“%1”已不存在。请在“音源”列表中重新选择设备。").arg(name_);
    case MidiErrDeviceLost:
        return QStringLiteral("MIDI端口“%1”已断开%2。请在“音源”列表中重新选择设备。").arg(name_, why);
    default:
        return midiResultText(code);
    }
}

// ---------------------------------------------------------------------------
// AlsaMidiSystem

AlsaMidiSystem::AlsaMidiSystem() { silenceAlsaLibraryErrors(); }

AlsaMidiSystem::~AlsaMidiSystem()
{
    listed_.clear();
    pool_.clear(); // closes an open port while the sequencer is still there
    if (seq_)
        snd_seq_close(seq_);
}

snd_seq_t *AlsaMidiSystem::sequencer()
{
    if (seq_)
        return seq_;
    snd_seq_t *seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0)
        return nullptr;
    snd_seq_set_client_name(seq, kClientName);
    seq_ = seq;
    return seq_;
}

int AlsaMidiSystem::refresh()
{
    listed_.clear();
    everListed_ = true;
    snd_seq_t *seq = sequencer();
    if (!seq)
        return 0;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t *clientInfo = nullptr;
    snd_seq_port_info_t *portInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    snd_seq_port_info_alloca(&portInfo);
    constexpr unsigned needed = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

    snd_seq_client_info_set_client(clientInfo, -1);
    while (snd_seq_query_next_client(seq, clientInfo) >= 0) {
        const int client = snd_seq_client_info_get_client(clientInfo);
        if (client == SND_SEQ_CLIENT_SYSTEM || client == self)
            continue;
        snd_seq_port_info_set_client(portInfo, client);
        snd_seq_port_info_set_port(portInfo, -1);
        while (snd_seq_query_next_port(seq, portInfo) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(portInfo);
            if ((caps & needed) != needed || (caps & SND_SEQ_PORT_CAP_NO_EXPORT))
                continue;
            const int port = snd_seq_port_info_get_port(portInfo);
            const QString name = QStringLiteral("%1 (%2:%3)")
                                     .arg(QString::fromUtf8(snd_seq_port_info_get_name(portInfo)))
                                     .arg(client)
                                     .arg(port);
            auto known = std::find_if(pool_.begin(), pool_.end(), [&](const auto &dev) {
                return dev->client() == client && dev->port() == port;
            });
            AlsaPortDevice *dev = nullptr;
            if (known != pool_.end()) {
                dev = known->get();
                dev->setName(name);
            } else {
                pool_.push_back(std::make_unique<AlsaPortDevice>(*this, client, port, name));
                dev = pool_.back().get();
            }
            listed_.push_back(dev);
        }
    }
    return count();
}

AlsaPortDevice *AlsaMidiSystem::device(int index)
{
    if (!everListed_)
        refresh();
    if (index < 0 || index >= count())
        return nullptr;
    return listed_[size_t(index)];
}

} // namespace dzq
