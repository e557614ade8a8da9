// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/VisualStyle.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleFactory>

namespace {

QString styleResourcePath(const QString &name)
{
    QString file = name;
    file.remove(QLatin1Char(' '));
    return QStringLiteral(":/styles/") + file + QStringLiteral(".qss");
}

} // namespace

bool applyVisualStyle(const QString &name)
{
    QFile sheet(styleResourcePath(name));
    if (!sheet.open(QIODevice::ReadOnly)) {
        QMessageBox box(QMessageBox::Critical, QString(), QStringLiteral("Style '%1' not found").arg(name),
                        QMessageBox::Close);
        box.button(QMessageBox::Close)->setText(QStringLiteral("Close"));  // in every language
        box.exec();
        return false;
    }
    // Fusion draws the same on every desktop; the sheet gives it its light look.
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    return true;
}

void applyProgramFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    QApplication::setFont(font);
}

QStringList bannerFontFamilies()
{
    return {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC")};
}
