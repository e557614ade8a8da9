// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/RegisterFile.h"

#include "db/SqlStatement.h"
#include "platform/FileSteps.h"

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

namespace {

// A file opened only to be read, immutable: no lock is taken, no journal
// rolled back and no log or shared-memory file made beside a copy that
// another program's log left in write-ahead-log mode.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path)
    {
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
        if (QFileInfo(path).isFile()
            && sqlite3_open_v2(uri.constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~ReadOnlyFile() { sqlite3_close(m_db); }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // The first value of `sql` as text; none when the statement fails.
    std::optional<QString> firstText(const char *sql, int *resultCode = nullptr) const
    {
        SqlStatement statement;
        std::optional<QString> text;
        int rc = SQLITE_CANTOPEN;
        if (m_db && !statement.tryPrepare(m_db, sql))
            rc = sqlite3_errcode(m_db);
        else if (m_db && (rc = statement.step()) == SQLITE_ROW)
            text = statement.columnString(0);
        if (resultCode)
            *resultCode = rc;
        return text;
    }

    bool holdsDataTable() const
    {
        return firstText("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'data' COLLATE NOCASE")
            .has_value();
    }

private:
    sqlite3 *m_db = nullptr;
};

} // namespace

bool isRegisterFile(const QString &path)
{
    return ReadOnlyFile(path).holdsDataTable();
}

std::optional<long long> registerRecordCount(const QString &path)
{
    const ReadOnlyFile file(path);
    if (!file.holdsDataTable())
        return std::nullopt;
    const std::optional<QString> count = file.firstText("SELECT count(*) FROM data");
    return count ? std::optional<long long>(count->toLongLong()) : std::nullopt;
}

std::optional<long long> checkedRegisterRecords(const QString &path, QString *failure)
{
    const ReadOnlyFile file(path);
    int rc = SQLITE_OK;
    const bool isDatabase = file.firstText("PRAGMA schema_version", &rc).has_value();
    if ((!isDatabase && (rc & 0xff) != SQLITE_CORRUPT) || (isDatabase && !file.holdsDataTable())) {
        *failure = QStringLiteral("它不是登记表");
        return std::nullopt;
    }
    const std::optional<QString> check = file.firstText("PRAGMA integrity_check(1)");
    const std::optional<QString> count = file.firstText("SELECT count(*) FROM data");
    if (!isDatabase || check != QStringLiteral("ok") || !count) {
        *failure = QStringLiteral("文件已损坏");
        return std::nullopt;
    }
    return count->toLongLong();
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
    if (publishFile(temporary, path, ExistingFile::Keep) != 0) {
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot create %1").arg(path));
    }
    return true;
}
