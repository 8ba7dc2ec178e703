#pragma once

#include "platform/dialog_host.h"

// The Configuration page of the main sheet (template 129): actual line rates, the Min and Max
// profile lists per direction, the search direction and Apply.
class CSet : public platform::DialogPage {
public:
    CSet();
};
