#pragma once

#include <string>

// Where the installation is and who made it, as the installer typed it: three optional lines
// shown at the top of the report.
struct InstallationDetails {
    std::string site;
    std::string circuit;
    std::string installer;
};

// The details last given to Report..., remembered between runs under the keys "report/site",
// "report/circuit" and "report/installer" of the user's settings.
InstallationDetails rememberedInstallationDetails();
void rememberInstallationDetails(const InstallationDetails& details);
