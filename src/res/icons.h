#pragma once

#include <QIcon>

namespace res {

constexpr int kAppIcon = 128;

// The icon with that resource number; a null icon for an unknown number.
QIcon icon(int resourceId);

} // namespace res
