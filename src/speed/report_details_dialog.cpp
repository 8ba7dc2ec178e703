#include "speed/report_details_dialog.h"

#include "res/control_ids.h"
#include "res/templates.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

namespace ids = res::ids::report_details;

} // namespace

ReportDetailsDialog::ReportDetailsDialog(const InstallationDetails& details, QWidget* parent)
    : platform::DialogWindow(parent) {
    controls_ = res::buildDialog(res::kReportDetailsDialog, *this);
    control<QLineEdit>(ids::kSite)->setText(QString::fromStdString(details.site));
    control<QLineEdit>(ids::kCircuit)->setText(QString::fromStdString(details.circuit));
    control<QLineEdit>(ids::kInstaller)->setText(QString::fromStdString(details.installer));
    control<QCheckBox>(ids::kTrace)->setChecked(true);
}

ReportChoices ReportDetailsDialog::choices() const {
    return {{lineOf(ids::kSite), lineOf(ids::kCircuit), lineOf(ids::kInstaller)},
            control<QCheckBox>(ids::kTrace)->isChecked()};
}

std::string ReportDetailsDialog::lineOf(int id) const {
    return control<QLineEdit>(id)->text().trimmed().toStdString();
}
