#include "platform/file_dialog.h"

#include "platform/message_box.h"

#include <QDir>
#include <QFileDialog>

namespace platform {

void setSaveFileNameHandler(SaveFileNameHandler handler) {
    seams().saveFileName = std::move(handler);
}

std::optional<std::string> askSaveFileName(WindowHandle owner, const std::string& caption,
                                           const std::string& suggestedName,
                                           const std::string& filter) {
    if (const SaveFileNameHandler& handler = seams().saveFileName)
        return handler(owner, caption, suggestedName, filter);
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

} // namespace platform
