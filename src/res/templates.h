#pragma once

#include "platform/dialog_builder.h"
#include "platform/dialog_template.h"

#include <vector>

class QWidget;

// The program's dialog templates and icon, as data.
namespace res {

constexpr int kAboutBox = 100;
constexpr int kConfigurationPage = 129;
constexpr int kVdslStatusPage = 131;
constexpr int kEthernetStatusPage = 132;
constexpr int kTraceWindow = 134;
constexpr int kModeDialog = 135;
constexpr int kPortDialog = 137;
constexpr int kReportDetailsDialog = 138;

// The template with that number; an unknown number is a programming error (std::out_of_range).
const platform::DialogTemplate& dialogTemplate(int id);
// The numbers of every template.
const std::vector<int>& dialogTemplateIds();

// Builds template id into host, icons included.
platform::DialogControls buildDialog(int id, QWidget& host);

} // namespace res
