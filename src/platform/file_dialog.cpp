#include "platform/file_dialog.h"

#include "platform/message_box.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

namespace platform {

namespace {
SaveFileNameHandler g_handler;
}

void setSaveFileNameHandler(SaveFileNameHandler handler) {
    g_handler = std::move(handler);
}

std::optional<std::string> askSaveFileName(WindowHandle owner, const std::string& caption,
                                           const std::string& suggestedName,
                                           const std::string& filter) {
    if (g_handler)
        return g_handler(owner, caption, suggestedName, filter);
    const QString start = QDir::home().filePath(QString::fromStdString(suggestedName));
    const QString chosen = QFileDialog::getSaveFileName(owner, QString::fromStdString(caption),
                                                        start, QString::fromStdString(filter));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

void saveToChosenFile(WindowHandle owner, const std::string& caption,
                      const std::string& suggestedName, const std::string& filter,
                      const std::string& what, const std::function<std::string()>& contents) {
    const std::optional<std::string> path = askSaveFileName(owner, caption, suggestedName, filter);
    if (path && !writeWholeFile(*path, contents()))
        messageBox(owner, "The " + what + " could not be saved to\n" + *path);
}

bool writeWholeFile(const std::string& path, std::string_view bytes) {
    // Written beside the target and renamed over it at the end, so a full disk or a pulled USB
    // stick never leaves half a file in place of a good one.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace platform
