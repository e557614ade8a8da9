// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/AccessConverter.h"

#include "access/AccessTable.h"
#include "db/AccessDatabaseFile.h"
#include "db/AppError.h"
#include "platform/FileSteps.h"
#include "db/RegisterBuilder.h"
#include "db/ADOConnection.h"
#include "platform/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <vector>

namespace {

const QString sourceTable = QStringLiteral("data");

// How often the progress is told, in rows.
constexpr qint64 progressStep = 256;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Which source column gives what.
struct ColumnPlan {
    std::array<int, 8> sources;  // per tenant column: the source column, or -1
    int key = -1;                // the source column kept as ID, or -1
    QList<int> extras;           // source columns carried after the eight
    QStringList extraNames;      // their names in the register
    QStringList leftOut;         // in the source's order
};

bool isKeyCandidate(const AccessColumn &column)
{
    return column.type == AccessColumnType::Integer && !column.calculated;
}

// `name`, or when the register already has a column of that name (letter
// case ignored, as SQLite does), the first of name_2, name_3, ... that is free.
QString freeColumnName(const QString &name, const QStringList &taken)
{
    QString candidate = name;
    for (int number = 2; taken.contains(candidate, Qt::CaseInsensitive); ++number)
        candidate = name + QLatin1Char('_') + QString::number(number);
    return candidate;
}

// The plan for `columns`, with the key column `key` (-1: none) and the
// columns `unusable` left out.
ColumnPlan planFor(const QList<AccessColumn> &columns, int key, const QList<int> &unusable)
{
    ColumnPlan plan;
    plan.sources.fill(-1);
    plan.key = key;
    QStringList taken{QStringLiteral("ID")};
    for (const QString &column : tenantColumns)
        taken << column;
    for (int i = 0; i < columns.size(); ++i) {
        if (i == key)
            continue;
        if (columns[i].type == AccessColumnType::Other || unusable.contains(i)) {
            plan.leftOut << columns[i].name;
            continue;
        }
        const auto named = std::find(tenantColumns.begin(), tenantColumns.end(), columns[i].name);
        if (named != tenantColumns.end()) {
            plan.sources[size_t(named - tenantColumns.begin())] = i;
        } else {
            plan.extras << i;
            plan.extraNames << freeColumnName(columns[i].name, taken);
            taken << plan.extraNames.last();
        }
    }
    return plan;
}

// The AutoNumber column, else the first integer column that is not one of
// the eight; -1 when there is none.
int keyColumn(const QList<AccessColumn> &columns)
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].autoNumber && isKeyCandidate(columns[i]))
            return i;
    }
    for (int i = 0; i < columns.size(); ++i) {
        if (isKeyCandidate(columns[i])
            && std::find(tenantColumns.begin(), tenantColumns.end(), columns[i].name) == tenantColumns.end())
            return i;
    }
    return -1;
}

QString readFailureText(AccessReadFailure failure, const QString &path)
{
    switch (failure) {
    case AccessReadFailure::CannotOpen:
        return QStringLiteral("无法读取文件“%1”").arg(shown(path));
    case AccessReadFailure::NotAccess:
    case AccessReadFailure::None:
        return notAccessText(path);
    case AccessReadFailure::UnsupportedVersion:
        return QStringLiteral("它是 Access 97 或更早版本的数据库，本程序只能转换 Access 2000 及以后版本的数据库"
                              "（可先在 Access 中把它转换为新版本）");
    case AccessReadFailure::Encrypted:
        return QStringLiteral("文件已用数据库密码加密，本程序无法读取"
                              "（可先在 Access 中用密码打开它，撤消数据库密码后保存，再转换）");
    case AccessReadFailure::NoSuchTable:
        return QStringLiteral("其中没有名为 data 的表");
    case AccessReadFailure::Damaged:
        break;
    }
    return damagedText();
}

enum class Copy { Done, Cancelled, Failed, KeyUnusable, CalculatedUnusable };

// Copies every row of `table` into a new register at `path`. On
// CalculatedUnusable, `unusable` names the column. `created` tells whether
// a file was made at `path`: only that one may be removed afterwards.
Copy copyRows(AccessTable &table, const ColumnPlan &plan, const QString &path, const RegionalFormats &formats,
              const ConversionProgress &progress, ConversionResult &result, int *unusable, bool *created)
{
    RegisterBuilder builder(path);
    auto failed = [&](const QString &text) {
        result.failure = text;
        return Copy::Failed;
    };
    // Told before anything is written, so that a conversion that is no
    // longer wanted leaves no file.
    const qint64 total = table.declaredRowCount();
    if (progress && !progress(0, total))
        return Copy::Cancelled;
    try {
        builder.create(plan.extraNames);
        *created = true;
    } catch (const AppError &error) {
        *created = builder.madeFile();
        return failed(error.text());
    }

    // The source column of each of the row's texts, in the register's order.
    std::vector<int> sources(plan.sources.begin(), plan.sources.end());
    sources.insert(sources.end(), plan.extras.begin(), plan.extras.end());
    std::vector<RowText> texts(sources.size());
    qint64 done = 0;
    for (;;) {
        const AccessTable::Fetch fetched = table.fetchRow();
        if (fetched == AccessTable::Fetch::End)
            break;
        if (fetched == AccessTable::Fetch::Damaged)
            return failed(damagedText());
        qint64 id = done + 1;
        if (plan.key >= 0) {
            bool damaged = false;
            const std::optional<qint64> key = table.integer(plan.key, &damaged);
            if (damaged)
                return failed(damagedText());
            if (!key)
                return Copy::KeyUnusable;
            id = *key;
        }
        for (size_t i = 0; i < sources.size(); ++i) {
            ValueProblem problem = ValueProblem::None;
            texts[i] = sources[i] >= 0 ? table.text(sources[i], formats, &problem) : std::nullopt;
            if (problem == ValueProblem::Damaged)
                return failed(damagedText());
            if (problem == ValueProblem::CalculatedValueUnusable) {
                *unusable = sources[i];
                return Copy::CalculatedUnusable;
            }
        }
        try {
            if (builder.insert(id, texts) == RegisterBuilder::Insert::KeyTaken)
                return Copy::KeyUnusable;
        } catch (const AppError &error) {
            return failed(error.text());
        }
        ++done;
        if (progress && done % progressStep == 0 && !progress(done, total))
            return Copy::Cancelled;
    }
    if (done != total && !table.everyRowListed())
        return failed(damagedText());
    if (progress && !progress(done, total))
        return Copy::Cancelled;
    try {
        builder.finish(done);
    } catch (const AppError &error) {
        return failed(error.text());
    }
    result.rows = done;
    result.declaredRows = total;
    return Copy::Done;
}

bool isAccessFile(const QString &path)
{
    return !accessDatabaseRefusal(path).isEmpty();
}

ConversionResult failure(const QString &text)
{
    ConversionResult result;
    result.failure = text;
    return result;
}

} // namespace

ConversionResult buildRegisterFromAccess(const QString &source, const QString &path, const RegionalFormats &formats,
                                         const ConversionProgress &progress)
{
    const FileSizeSignalIgnored fileSizeSignal;
    ConversionResult result;
    AccessReadFailure why = AccessReadFailure::None;
    const std::unique_ptr<AccessTable> table = AccessTable::open(source, sourceTable, &why);
    if (!table) {
        result.failure = readFailureText(why, source);
        return result;
    }
    const QList<AccessColumn> &columns = table->columns();
    int key = keyColumn(columns);
    QList<int> unusable;
    for (;;) {
        const ColumnPlan plan = planFor(columns, key, unusable);
        int unusableColumn = -1;
        bool created = false;
        const Copy copied = copyRows(*table, plan, path, formats, progress, result, &unusableColumn, &created);
        if (copied == Copy::Done) {
            result.succeeded = true;
            result.leftOutColumns = plan.leftOut;
            return result;
        }
        // A file that was there before this run, at a path given by whoever
        // started it, is not this run's to remove.
        if (created)
            QFile::remove(path);
        table->rewind();
        if (copied == Copy::KeyUnusable && key >= 0) {
            // Values that repeat or are missing cannot be the key: the rows
            // are numbered instead and that column comes across as text.
            key = -1;
        } else if (copied == Copy::CalculatedUnusable) {
            // A calculated column is left out rather than carried as garbage.
            unusable << unusableColumn;
        } else {
            result.cancelled = copied == Copy::Cancelled;
            return result;
        }
    }
}

ConversionResult convertAccessFile(const QString &source, const QString &target, const RegionalFormats &formats,
                                   const ConversionProgress &progress)
{
    const QFileInfo targetInfo(target);
    const QString directory = targetInfo.absolutePath();
    if (targetInfo.exists() || targetInfo.isSymLink())
        return failure(QStringLiteral("目标文件“%1”已存在").arg(shown(target)));
    if (!QFileInfo(source).isFile())
        return failure(QStringLiteral("找不到文件“%1”").arg(shown(source)));
    if (!isAccessFile(source))
        return failure(notAccessText(source));
    if (!QFileInfo(directory).isDir())
        return failure(QStringLiteral("文件夹“%1”不存在").arg(shown(directory)));
    if (fileIdentityOf(directory).markedReadOnly())
        return failure(writeFailureText(EACCES, directory));

    const QString temporary = conversionTemporaryPath(target);
    QFile::remove(temporary);
    ConversionResult result = buildRegisterFromAccess(source, temporary, formats, progress);
    if (!result.succeeded)
        return result;
    if (const int error = publishFile(temporary, target, ExistingFile::Keep); error != 0) {
        QFile::remove(temporary);
        result.succeeded = false;
        result.failure = error == EEXIST ? QStringLiteral("目标文件“%1”已存在").arg(shown(target))
                                         : writeFailureText(error, directory);
    }
    return result;
}
