#include "platform/KeyRepeat.h"

#include <QGuiApplication>

// The header names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace dzq {

bool useDetectableKeyRepeat()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    // The server takes keyboard-extension requests only from a client that
    // announced it uses the extension (the toolkit has; saying it again is harmless).
    xcb_generic_error_t *error = nullptr;
    auto *use = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), &error);
    const bool supported = use && use->supported;
    std::free(use);
    std::free(error);
    if (!supported)
        return false;
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    error = nullptr;
    auto *flags = xcb_xkb_per_client_flags_reply(
        connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), &error);
    const bool on = flags && (flags->value & flag);
    std::free(flags);
    std::free(error);
    return on;
}

} // namespace dzq
