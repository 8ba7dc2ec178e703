#include "monitor/ethernet_status_page.h"

#include "res/templates.h"

CEnetStatus::CEnetStatus() {
    controls_ = res::buildDialog(res::kEthernetStatusPage, *this);
}
