#include "platform/windowhints.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace quorrel {

namespace {

// Null off X11.
xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

std::optional<uint32_t> cardinal(xcb_connection_t *connection, xcb_window_t window,
                                 xcb_atom_t property)
{
    const auto cookie = xcb_get_property(connection, 0, window, property, XCB_ATOM_CARDINAL, 0, 1);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::optional<uint32_t> value;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        value = *static_cast<const uint32_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

} // namespace

void excludeFromTaskbar(QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;
    // On a window not yet mapped the property is the request; Qt merges its
    // own states into what it finds there when it maps the window.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND,
                        static_cast<xcb_window_t>(window->winId()), state, XCB_ATOM_ATOM, 32, 1,
                        &skipTaskbar);
    xcb_flush(connection);
}

void moveToCurrentWorkspace(QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window->parentWidget())
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (!geometry)
        return;
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    const xcb_atom_t desktop = internAtom(connection, "_NET_WM_DESKTOP");
    const std::optional<uint32_t> user =
        cardinal(connection, root, internAtom(connection, "_NET_CURRENT_DESKTOP"));
    const std::optional<uint32_t> parent = cardinal(
        connection, static_cast<xcb_window_t>(window->parentWidget()->window()->winId()), desktop);
    // A parent on all workspaces (0xFFFFFFFF) has its dialogs there too; a
    // request for one would pin the parent to it where the window manager
    // moves a modal dialog's parent along.
    if (!user || !parent || *parent == *user || *parent == 0xFFFFFFFF)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = desktop;
    event.data.data32[0] = *user;
    event.data.data32[1] = 1; // asked by an application
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(connection);
}

} // namespace quorrel
