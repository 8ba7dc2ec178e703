#pragma once

#include "platform/dialog_host.h"

// The VDSL Status page of the main sheet (template 131): line readouts and state indicators of
// the local or the remote unit.
class CStatus : public platform::DialogPage {
public:
    CStatus();
};
