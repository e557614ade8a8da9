#include "db/RegisterFile.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

QString registerSchema()
{
    QFile file(QStringLiteral(":/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool createEmptyRegister(const QString &path, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 already exists").arg(path));
    const QString schema = registerSchema();
    if (schema.isEmpty())
        return fail(QStringLiteral("the schema is missing from the resources"));

    // Built under a temporary name and renamed, so that an interrupted build
    // never leaves a half-made data.mdb behind.
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, schema.toUtf8().constData(), nullptr, nullptr, nullptr);
    const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(temporary);
        return fail(message);
    }
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot create %1").arg(path));
    }
    return true;
}
