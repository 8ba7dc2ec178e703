#pragma once

// The console link and the procedures name windows only through this opaque handle; they never
// include a window header. Windows are Qt widgets.
class QWidget;

namespace platform {
using WindowHandle = QWidget*;
} // namespace platform
