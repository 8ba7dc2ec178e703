#pragma once

#include <QString>

// The main window's title carries the state of the VDSL link; the pages report it through the
// main sheet.
inline constexpr char kTitleLinkUp[] = "Quillon Configurator  [link UP]";
inline constexpr char kTitleLinkDown[] = "Quillon Configurator  [link DOWN]";

inline QString linkStateTitle(bool linkUp) {
    return QString::fromLatin1(linkUp ? kTitleLinkUp : kTitleLinkDown);
}
