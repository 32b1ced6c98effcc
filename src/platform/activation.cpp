#include "platform/activation.h"

#include "xdg-activation-v1-client.h"

#include <QGuiApplication>

#include <cstring>
#include <wayland-client.h>

namespace quorrel {

bool onWayland()
{
    return QGuiApplication::platformName() == u"wayland";
}

namespace {

struct Request {
    xdg_activation_v1 *activation = nullptr;
    QString token;
};

void announced(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version)
{
    auto *request = static_cast<Request *>(data);
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0 && !request->activation)
        request->activation = static_cast<xdg_activation_v1 *>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, qMin(version, 1u)));
}

void withdrawn(void *, wl_registry *, uint32_t)
{
}

void given(void *data, xdg_activation_token_v1 *, const char *token)
{
    static_cast<Request *>(data)->token = QString::fromUtf8(token);
}

// On a connection of its own: Qt's plugin offers no call for it, and a token
// asked for without a window of this program is all the compositor can give.
QString askCompositor()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return {};
    Request request;
    static const wl_registry_listener registryListener = {announced, withdrawn};
    static const xdg_activation_token_v1_listener tokenListener = {given};
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &request);
    if (wl_display_roundtrip(display) >= 0 && request.activation) {
        xdg_activation_token_v1 *token = xdg_activation_v1_get_activation_token(request.activation);
        xdg_activation_token_v1_add_listener(token, &tokenListener, &request);
        xdg_activation_token_v1_set_app_id(token,
                                           qUtf8Printable(QGuiApplication::desktopFileName()));
        xdg_activation_token_v1_commit(token);
        // Compositors answer the commit at once; none makes the start wait.
        wl_display_roundtrip(display);
        xdg_activation_token_v1_destroy(token);
        xdg_activation_v1_destroy(request.activation);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return request.token;
}

} // namespace

QString activationToken()
{
    if (!onWayland())
        return {};
    const QString given = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return given.isEmpty() ? askCompositor() : given;
}

void useActivationToken(const QString &token)
{
    // Qt's plugin takes the token from the environment at the next
    // activation, and removes it there.
    if (!token.isEmpty() && onWayland())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

} // namespace quorrel
