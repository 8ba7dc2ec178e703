#pragma once

#include <QString>
#include <QWidget>

// The main window's title carries the state of the VDSL link. The Configuration page's link wait
// and the status pages' link check write it.
inline constexpr char kTitleLinkUp[] = "Quillon Configurator  [link UP]";
inline constexpr char kTitleLinkDown[] = "Quillon Configurator  [link DOWN]";

inline void showLinkStateInTitle(QWidget& mainWindow, bool linkUp) {
    mainWindow.setWindowTitle(QString::fromLatin1(linkUp ? kTitleLinkUp : kTitleLinkDown));
}
