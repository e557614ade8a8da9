// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon at the sizes a desktop asks for, laid out as
// the hicolor icon theme wants them: OUTPUT/<n>x<n>/apps/NAME.png. The build
// runs it, so that every size follows the one icon the program shows.
#include <QDir>
#include <QImage>
#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    const char *usage = "usage: scale_icon SOURCE.png OUTPUT NAME SIZE...\n";
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc < 5 || argv[1][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "scale_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        const QImage image = source.size() == QSize(size, size)
            ? source
            : source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (size <= 0 || !QDir().mkpath(folder) || !image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "scale_icon: cannot write the %s pixel icon in %s\n", argv[i], qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
