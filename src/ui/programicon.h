#pragma once

#include <QIcon>

namespace quorrel {

// The program's icon, which every window and box carries.
QIcon programIcon();

} // namespace quorrel
