#include "platform/message_box.h"

#include "platform/seams.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace platform {

void setMessageBoxHandler(MessageBoxHandler handler) {
    seams().messageBox = std::move(handler);
}

std::string applicationName() {
    if (QCoreApplication::instance() == nullptr)
        return "quillon";
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

void messageBox(WindowHandle owner, const std::string& text, const std::string& caption) {
    if (const MessageBoxHandler& handler = seams().messageBox) {
        handler(owner, text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void messageBox(WindowHandle owner, const std::string& text) {
    messageBox(owner, text, applicationName());
}

WindowHandle mainWindow() {
    return seams().mainWindow;
}

} // namespace platform
