#pragma once

#include "platform/dialog_host.h"

// The Ethernet Status page of the main sheet (template 132): summed Ethernet counters of the
// local or the remote unit.
class CEnetStatus : public platform::DialogPage {
public:
    CEnetStatus();
};
