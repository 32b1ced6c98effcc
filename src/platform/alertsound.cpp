#include "platform/alertsound.h"

#include <alsa/asoundlib.h>
#include <canberra.h>

namespace quorrel {

namespace {

// ALSA reports a missing sound card on stderr; a machine without one is no
// fault of the user's.
extern "C" void ignoreAlsaError(const char *, int, const char *, int, const char *, ...)
{
}

} // namespace

CanberraAlertSound::~CanberraAlertSound()
{
    if (m_context)
        ca_context_destroy(m_context);
}

void CanberraAlertSound::play()
{
    if (!m_context) {
        snd_lib_error_set_handler(ignoreAlsaError);
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            return;
        }
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Quorrel",
                                CA_PROP_APPLICATION_ID, QUORREL_APP_ID, nullptr);
    }
    // Played in the background; a failure (no device, no theme) stays silent.
    ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "alarm-clock-elapsed",
                    CA_PROP_EVENT_DESCRIPTION, "予定の時刻", nullptr);
}

} // namespace quorrel
