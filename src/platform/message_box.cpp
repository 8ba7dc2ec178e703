#include "platform/message_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

namespace platform {

namespace {
MessageBoxHandler g_handler;
QPointer<QWidget> g_mainWindow;
} // namespace

void setMessageBoxHandler(MessageBoxHandler handler) {
    g_handler = std::move(handler);
}

std::string applicationName() {
    if (QCoreApplication::instance() == nullptr)
        return "quillon";
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

void messageBox(WindowHandle owner, const std::string& text, const std::string& caption) {
    if (g_handler) {
        g_handler(owner, text, caption);
        return;
    }
    makeMessageBox(owner, text, caption)->exec();
}

std::unique_ptr<QMessageBox> makeMessageBox(WindowHandle owner, const std::string& text,
                                            const std::string& caption) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString::fromStdString(caption),
                                             QString::fromStdString(text), QMessageBox::Ok, owner);
    // Blocks its owner only: the ownerless trace window stays usable while a box is up.
    box->setWindowModality(Qt::WindowModal);
    return box;
}

void messageBox(WindowHandle owner, const std::string& text) {
    messageBox(owner, text, applicationName());
}

WindowHandle mainWindow() {
    return g_mainWindow.data();
}

void setMainWindow(WindowHandle window) {
    g_mainWindow = window;
}

} // namespace platform
