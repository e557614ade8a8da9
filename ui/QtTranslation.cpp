// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const QString translatorName = QStringLiteral("qtTranslation");

} // namespace

bool loadQtTranslation()
{
    auto *application = QCoreApplication::instance();
    if (!application)
        return false;
    delete application->findChild<QTranslator *>(translatorName, Qt::FindDirectChildrenOnly);
    auto *translator = new QTranslator(application);
    translator->setObjectName(translatorName);
    if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
