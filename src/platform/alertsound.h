#pragma once

#include "platform/platform.h"

struct ca_context;

namespace quorrel {

// The desktop's "alarm-clock-elapsed" sound through libcanberra, from the
// user's sound theme. The library is loaded and the sound system opened at the
// first alert, not at start-up; without either, or without a sound device,
// nothing is played and nothing is printed.
class CanberraAlertSound final : public AlertSound {
public:
    CanberraAlertSound() = default;
    ~CanberraAlertSound() override;
    CanberraAlertSound(const CanberraAlertSound &) = delete;
    CanberraAlertSound &operator=(const CanberraAlertSound &) = delete;

    void play() override;

private:
    ca_context *m_context = nullptr;
};

} // namespace quorrel
