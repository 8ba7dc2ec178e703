#include "speed/configuration_page.h"

#include "res/templates.h"

CSet::CSet() {
    controls_ = res::buildDialog(res::kConfigurationPage, *this);
}
