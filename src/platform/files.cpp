#include "platform/files.h"

#include <QSaveFile>

namespace platform {

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
