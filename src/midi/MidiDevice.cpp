#include "midi/MidiDevice.h"

namespace dzq {

int dataBytesOf(uint8_t status)
{
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

bool isWireSafe(uint32_t msg)
{
    const uint8_t status = msg & 0xFF;
    if (status < 0x80 || status >= 0xF0)
        return false;
    if (((msg >> 8) & 0xFF) > 0x7F)
        return false;
    if (dataBytesOf(status) == 2 && ((msg >> 16) & 0xFF) > 0x7F)
        return false;
    return true;
}

QString midiResultText(int code)
{
    switch (code) {
    case MidiOk:
        return QStringLiteral("没有错误。");
    case MidiErrNotOpen:
        return QStringLiteral("没有打开的MIDI输出设备，音符无法发出。请在“音源”列表中选择一个设备。");
    case MidiErrNoDevice:
        return QStringLiteral("所选的MIDI输出设备不存在。");
    case MidiErrNoSoundfont:
        return QStringLiteral("内置合成器没有找到音色库（SoundFont）文件，无法发声。"
                              "请安装 General MIDI 音色库（例如 fluid-soundfont-gm），"
                              "或用 --soundfont 指定音色库文件。");
    case MidiErrDeviceLost:
        return QStringLiteral("MIDI输出设备已断开。请在“音源”列表中重新选择设备。");
    case MidiErrOpenFailed:
        return QStringLiteral("无法打开所选的MIDI输出设备。");
    default:
        return QStringLiteral("MIDI输出设备出错（错误号 %1）。").arg(code);
    }
}

} // namespace dzq
