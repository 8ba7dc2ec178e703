#include "platform/settings.h"

#include "platform/seams.h"

#include <QSettings>
#include <memory>

namespace platform {

namespace {

std::unique_ptr<QSettings> openSettings() {
    const std::string& file = seams().settingsFile;
    if (!file.empty())
        return std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Quillon"),
                                       QStringLiteral("Quillon Configurator"));
}

} // namespace

std::string rememberedText(const std::string& key) {
    return openSettings()->value(QString::fromStdString(key)).toString().toStdString();
}

void rememberText(const std::string& key, const std::string& text) {
    const std::unique_ptr<QSettings> settings = openSettings();
    settings->setValue(QString::fromStdString(key), QString::fromStdString(text));
}

} // namespace platform
