#include "speed/installation_details.h"

#include "platform/settings.h"

namespace {

constexpr char kSiteKey[] = "report/site";
constexpr char kCircuitKey[] = "report/circuit";
constexpr char kInstallerKey[] = "report/installer";

} // namespace

InstallationDetails rememberedInstallationDetails() {
    return {platform::rememberedText(kSiteKey), platform::rememberedText(kCircuitKey),
            platform::rememberedText(kInstallerKey)};
}

void rememberInstallationDetails(const InstallationDetails& details) {
    platform::rememberText(kSiteKey, details.site);
    platform::rememberText(kCircuitKey, details.circuit);
    platform::rememberText(kInstallerKey, details.installer);
}
