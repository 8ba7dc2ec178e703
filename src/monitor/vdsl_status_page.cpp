#include "monitor/vdsl_status_page.h"

#include "res/templates.h"

CStatus::CStatus() {
    controls_ = res::buildDialog(res::kVdslStatusPage, *this);
}
