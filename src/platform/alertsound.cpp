#include "platform/alertsound.h"

#include <QLibrary>

#include <alsa/asoundlib.h>
#include <canberra.h>

namespace quorrel {

namespace {

// ALSA reports a missing sound card on stderr; a machine without one is no
// fault of the user's.
extern "C" void ignoreAlsaError(const char *, int, const char *, int, const char *, ...)
{
}

// libcanberra, loaded at the first alert rather than linked: loading it and
// what it needs (Vorbis, ALSA) would cost every start for a sound most starts
// never play. Null members when it is not installed.
struct Canberra {
    decltype(ca_context_create) *create = nullptr;
    decltype(ca_context_destroy) *destroy = nullptr;
    decltype(ca_context_change_props) *changeProps = nullptr;
    decltype(ca_context_play) *play = nullptr;
};

const Canberra &canberra()
{
    static const Canberra functions = [] {
        // ALSA first, so that the handler is set in the library libcanberra's
        // output will use; neither is ever unloaded.
        QLibrary alsa(QStringLiteral("asound"), 2);
        if (const auto setHandler = reinterpret_cast<decltype(snd_lib_error_set_handler) *>(
                alsa.resolve("snd_lib_error_set_handler")))
            setHandler(ignoreAlsaError);
        QLibrary library(QStringLiteral("canberra"), 0);
        const Canberra loaded{
            reinterpret_cast<decltype(ca_context_create) *>(library.resolve("ca_context_create")),
            reinterpret_cast<decltype(ca_context_destroy) *>(library.resolve("ca_context_destroy")),
            reinterpret_cast<decltype(ca_context_change_props) *>(
                library.resolve("ca_context_change_props")),
            reinterpret_cast<decltype(ca_context_play) *>(library.resolve("ca_context_play"))};
        return loaded.create && loaded.destroy && loaded.changeProps && loaded.play ? loaded
                                                                                    : Canberra();
    }();
    return functions;
}

} // namespace

CanberraAlertSound::~CanberraAlertSound()
{
    if (m_context)
        canberra().destroy(m_context);
}

void CanberraAlertSound::play()
{
    const Canberra &ca = canberra();
    if (!ca.create)
        return;
    if (!m_context) {
        if (ca.create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            return;
        }
        ca.changeProps(m_context, CA_PROP_APPLICATION_NAME, "Quorrel", CA_PROP_APPLICATION_ID,
                       QUORREL_APP_ID, nullptr);
    }
    // Played in the background; a failure (no device, no theme) stays silent.
    ca.play(m_context, 0, CA_PROP_EVENT_ID, "alarm-clock-elapsed", CA_PROP_EVENT_DESCRIPTION,
            "予定の時刻", nullptr);
}

} // namespace quorrel
