#pragma once

#include "platform/dialog_host.h"
#include "speed/installation_report.h"

// Asked by Report... before the save question (template 138): the site, circuit and installer the
// report names at its top, starting as given, and whether the trace of the run goes in as its
// appendix, ticked. OK takes the choices, Cancel, Escape and the close box give up the report.
class ReportDetailsDialog : public platform::DialogWindow {
public:
    explicit ReportDetailsDialog(const InstallationDetails& details, QWidget* parent = nullptr);

    // What the dialog holds now; each line without the blanks around it.
    ReportChoices choices() const;

private:
    std::string lineOf(int id) const;
};
