#pragma once

#include <QString>

namespace quorrel {

// True when the program runs on Wayland itself, not through XWayland.
bool onWayland();

// On Wayland a program may bring its window forward only with an activation
// token (xdg-activation), which the compositor gives to the start the user
// asked for. Neither call does anything off Wayland.

// The token this start came with, else one asked of the compositor (which may
// then only flag the window); empty when there is none.
QString activationToken();

// Hands the token to the next activation of one of this program's windows.
void useActivationToken(const QString &token);

} // namespace quorrel
