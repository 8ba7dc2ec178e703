#include "pages/page_host.h"

#include <QWidget>

PageHost* pageHostOf(QWidget& page) {
    return dynamic_cast<PageHost*>(page.window());
}
