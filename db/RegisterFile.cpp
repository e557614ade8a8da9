#include "db/RegisterFile.h"

#include "db/SqlStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

QString registerSchema()
{
    QFile file(QStringLiteral(":/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool isRegisterFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    // Immutable: no lock is taken, no journal rolled back and no log or
    // shared-memory file made beside a copy that another program's log left
    // in write-ahead-log mode.
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
    sqlite3 *db = nullptr;
    bool found = false;
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
        SqlStatement statement;
        found = statement.tryPrepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'data' COLLATE NOCASE")
            && statement.step() == SQLITE_ROW;
    }
    sqlite3_close(db);
    return found;
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
        rc = executeSql(db, schema.toUtf8().constData());
    const QString message = db ? engineErrorText(db) : engineErrorText(rc);
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
