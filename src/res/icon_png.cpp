// Renders icon 128 as PNG files for the desktop's icon theme, one per size, each scaled from the
// 32 x 32 original pixel for pixel so its edges stay sharp.
// Usage: quillon_icon_png FOLDER SIZE... (writes FOLDER/SIZE/quillon.png)
#include "res/icon_128.xpm"

#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: quillon_icon_png FOLDER SIZE...\n", stderr);
        return 2;
    }
    const QImage icon = QImage(icon_128_xpm).convertToFormat(QImage::Format_ARGB32);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder = QString::fromLocal8Bit(argv[1]) + '/' + QString::number(size);
        const QImage scaled =
            icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (size <= 0 || !QDir().mkpath(folder) || !scaled.save(folder + "/quillon.png", "PNG")) {
            std::fprintf(stderr, "quillon_icon_png: cannot write %s/quillon.png\n",
                         qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
