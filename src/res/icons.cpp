#include "res/icons.h"

#include "res/icon_128.xpm"

#include <QPixmap>

namespace res {

QIcon icon(int resourceId) {
    if (resourceId == kAppIcon)
        return QIcon(QPixmap(icon_128_xpm));
    return {};
}

} // namespace res
