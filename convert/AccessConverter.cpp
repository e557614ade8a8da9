#include "convert/AccessConverter.h"

#include "convert/AccessTable.h"
#include "convert/FileSteps.h"
#include "convert/RegisterBuilder.h"
#include "db/ADOConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <csignal>

namespace {

const QString sourceTable = QStringLiteral("data");

// The register's columns after ID, in the order of TenantTexts.
const std::array<QString, 8> tenantColumns{
    QStringLiteral("姓名"),     QStringLiteral("房号"),     QStringLiteral("租金"), QStringLiteral("押金"),
    QStringLiteral("入住日期"), QStringLiteral("到期日期"), QStringLiteral("备注"), QStringLiteral("编辑时间"),
};

// How often the progress is told, in rows.
constexpr qint64 progressStep = 256;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// While it lives, a write past the process's file size limit fails with
// EFBIG and is reported, instead of SIGXFSZ ending the program.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &m_previous);
    }
    ~FileSizeSignalIgnored() { sigaction(SIGXFSZ, &m_previous, nullptr); }
    FileSizeSignalIgnored(const FileSizeSignalIgnored &) = delete;
    FileSizeSignalIgnored &operator=(const FileSizeSignalIgnored &) = delete;

private:
    struct sigaction m_previous {};
};

// Which source column gives what.
struct ColumnPlan {
    std::array<int, 8> sources;  // per tenant column: the source column, or -1
    int key = -1;                // the source column kept as ID, or -1
    QStringList leftOut;         // in the source's order
};

bool isKeyCandidate(const AccessColumn &column)
{
    return column.type == AccessColumnType::Integer;
}

ColumnPlan planFor(const QList<AccessColumn> &columns)
{
    ColumnPlan plan;
    plan.sources.fill(-1);
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].autoNumber && plan.key < 0)
            plan.key = i;
    }
    QList<bool> carried(columns.size(), false);
    for (int i = 0; i < columns.size(); ++i) {
        const auto named = std::find(tenantColumns.begin(), tenantColumns.end(), columns[i].name);
        if (named != tenantColumns.end() && columns[i].type != AccessColumnType::Other) {
            plan.sources[size_t(named - tenantColumns.begin())] = i;
            carried[i] = true;
        } else if (plan.key < 0 && named == tenantColumns.end() && isKeyCandidate(columns[i])) {
            plan.key = i;
        }
    }
    if (plan.key >= 0)
        carried[plan.key] = true;
    for (int i = 0; i < columns.size(); ++i) {
        if (!carried[i])
            plan.leftOut << columns[i].name;
    }
    return plan;
}

QString readFailureText(AccessReadFailure failure, const QString &path)
{
    switch (failure) {
    case AccessReadFailure::CannotOpen:
        return QStringLiteral("无法读取文件“%1”").arg(shown(path));
    case AccessReadFailure::NotAccess:
    case AccessReadFailure::None:
        return QStringLiteral("文件“%1”不是本程序能读取的 Access 数据库").arg(shown(path));
    case AccessReadFailure::UnsupportedVersion:
        return QStringLiteral("它是 Access 97 或更早版本的数据库，本程序只能转换 Access 2000 及以后版本的数据库"
                              "（可先在 Access 中把它转换为新版本）");
    case AccessReadFailure::NoSuchTable:
        return QStringLiteral("其中没有名为 data 的表");
    case AccessReadFailure::Damaged:
        break;
    }
    return damagedText();
}

enum class Copy { Done, Cancelled, Failed, KeyUnusable };

// Copies every row of `table` into a new register at `temporary`.
Copy copyRows(AccessTable &table, const ColumnPlan &plan, const QString &temporary, const RegionalFormats &formats,
              const ConversionProgress &progress, ConversionResult &result)
{
    RegisterBuilder builder(temporary);
    auto failed = [&](const QString &text) {
        result.failure = text;
        return Copy::Failed;
    };
    if (!builder.create())
        return failed(builder.failure());
    const qint64 total = table.declaredRowCount();
    if (progress && !progress(0, total))
        return Copy::Cancelled;

    qint64 done = 0;
    for (;;) {
        const AccessTable::Fetch fetched = table.fetchRow();
        if (fetched == AccessTable::Fetch::End)
            break;
        if (fetched == AccessTable::Fetch::Damaged)
            return failed(damagedText());
        bool damaged = false;
        qint64 id = done + 1;
        if (plan.key >= 0) {
            const std::optional<qint64> key = table.integer(plan.key, &damaged);
            if (damaged)
                return failed(damagedText());
            if (!key)
                return Copy::KeyUnusable;
            id = *key;
        }
        TenantTexts texts;
        for (size_t i = 0; i < texts.size(); ++i) {
            if (plan.sources[i] >= 0)
                texts[i] = table.text(plan.sources[i], formats, &damaged);
        }
        if (damaged)
            return failed(damagedText());
        switch (builder.insert(id, texts)) {
        case RegisterBuilder::Insert::Done:
            break;
        case RegisterBuilder::Insert::KeyTaken:
            return Copy::KeyUnusable;
        case RegisterBuilder::Insert::Failed:
            return failed(builder.failure());
        }
        ++done;
        if (progress && done % progressStep == 0 && !progress(done, total))
            return Copy::Cancelled;
    }
    // Every row the file counts must have come across. A file that was not
    // closed properly may count none.
    if (done != total && total != 0)
        return failed(damagedText());
    if (progress && !progress(done, total))
        return Copy::Cancelled;
    if (!builder.finish(done))
        return failed(builder.failure());
    result.rows = done;
    return Copy::Done;
}

// Builds the register from `source` at `temporary`. Unless it succeeds,
// nothing is left at `temporary`.
bool buildRegister(const QString &source, const QString &temporary, const RegionalFormats &formats,
                   const ConversionProgress &progress, ConversionResult &result)
{
    AccessReadFailure why = AccessReadFailure::None;
    const std::unique_ptr<AccessTable> table = AccessTable::open(source, sourceTable, &why);
    if (!table) {
        result.failure = readFailureText(why, source);
        return false;
    }
    ColumnPlan plan = planFor(table->columns());
    for (;;) {
        QFile::remove(temporary);
        const Copy copied = copyRows(*table, plan, temporary, formats, progress, result);
        if (copied == Copy::Done) {
            result.leftOutColumns = plan.leftOut;
            return true;
        }
        QFile::remove(temporary);
        if (copied == Copy::KeyUnusable && plan.key >= 0) {
            // Values that repeat or are missing cannot be the key: the rows
            // are numbered instead and that column is named as left out.
            const QList<AccessColumn> &columns = table->columns();
            plan.leftOut.clear();
            const int unusable = plan.key;
            plan.key = -1;
            for (int i = 0; i < columns.size(); ++i) {
                if (i == unusable || !std::count(plan.sources.begin(), plan.sources.end(), i))
                    plan.leftOut << columns[i].name;
            }
            table->rewind();
            continue;
        }
        result.cancelled = copied == Copy::Cancelled;
        return false;
    }
}

bool isAccessFile(const QString &path)
{
    return !accessDatabaseRefusal(path).isEmpty();
}

// Files of an earlier run that was stopped before it could tidy up.
void removeLeftovers(const QString &target)
{
    QFile::remove(conversionTemporaryPath(target));
    const QFileInfo info(target);
    const QDir directory = info.absoluteDir();
    const QStringList copies = directory.entryList(
        {info.completeBaseName() + QStringLiteral("_access*.") + info.suffix() + QStringLiteral(".copying")},
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &copy : copies)
        QFile::remove(directory.filePath(copy));
}

ConversionResult failure(const QString &text)
{
    ConversionResult result;
    result.failure = text;
    return result;
}

} // namespace

QString damagedText()
{
    return QStringLiteral("文件已损坏，无法完整读出其中的记录（可先在 Access 中“压缩和修复”该数据库后再转换）");
}

QString conversionTemporaryPath(const QString &target)
{
    return target + QStringLiteral(".converting");
}

QString keptAccessPath(const QString &databasePath)
{
    const QFileInfo info(databasePath);
    const QString stem = info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("_access"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const FileIdentity database = identityOf(databasePath);
    for (int number = 1;; ++number) {
        const QString candidate = number == 1 ? stem + suffix : stem + QLatin1Char('_') + QString::number(number) + suffix;
        const QFileInfo there(candidate);
        if (!there.exists() && !there.isSymLink())
            return candidate;
        if (identityOf(candidate).sameFileAs(database))
            return candidate;
    }
}

ConversionResult convertAccessDatabaseInPlace(const QString &databasePath, const RegionalFormats &formats,
                                              const ConversionProgress &progress)
{
    const FileSizeSignalIgnored fileSizeSignal;
    const QString directory = QFileInfo(databasePath).absolutePath();
    if (!QFileInfo(databasePath).isFile())
        return failure(QStringLiteral("找不到文件“%1”").arg(shown(databasePath)));
    if (!isAccessFile(databasePath))
        return failure(readFailureText(AccessReadFailure::NotAccess, databasePath));
    if (markedReadOnly(databasePath))
        return failure(QStringLiteral("数据库文件被设为只读"));
    if (markedReadOnly(directory))
        return failure(writeFailureText(EACCES, directory));

    const FileIdentity before = identityOf(databasePath);
    const QString temporary = conversionTemporaryPath(databasePath);
    removeLeftovers(databasePath);
    ConversionResult result;
    if (!buildRegister(databasePath, temporary, formats, progress, result))
        return result;
    auto giveUp = [&](const QString &text) {
        QFile::remove(temporary);
        result.succeeded = false;
        result.failure = text;
        return result;
    };
    if (!(identityOf(databasePath) == before))
        return giveUp(QStringLiteral("转换期间数据库文件被其他程序改动了"));

    // The Access file takes its kept name before the register takes its place.
    QString kept;
    bool keptNow = false;
    for (int attempt = 0; attempt < 3 && kept.isEmpty(); ++attempt) {
        const QString candidate = keptAccessPath(databasePath);
        if (identityOf(candidate).sameFileAs(before)) {
            kept = candidate;
        } else if (const int error = keepUnderName(databasePath, candidate); error == 0) {
            kept = candidate;
            keptNow = true;
        } else if (error != EEXIST) {
            return giveUp(writeFailureText(error, directory));
        }
    }
    if (kept.isEmpty())
        return giveUp(writeFailureText(EEXIST, directory));
    auto undoKeep = [&] {
        if (keptNow)
            QFile::remove(kept);
    };
    if (const int error = syncDirectory(directory); error != 0) {
        undoKeep();
        return giveUp(writeFailureText(error, directory));
    }
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(databasePath).constData()) != 0) {
        const int error = errno;
        undoKeep();
        return giveUp(writeFailureText(error, directory));
    }
    // The register is in place; a failed sync of the directory entry cannot
    // be undone any more, and the rename stands on most file systems anyway.
    syncDirectory(directory);
    result.succeeded = true;
    result.keptPath = kept;
    return result;
}

ConversionResult convertAccessFile(const QString &source, const QString &target, const RegionalFormats &formats,
                                   const ConversionProgress &progress)
{
    const FileSizeSignalIgnored fileSizeSignal;
    const QFileInfo targetInfo(target);
    const QString directory = targetInfo.absolutePath();
    if (targetInfo.exists() || targetInfo.isSymLink())
        return failure(QStringLiteral("目标文件“%1”已存在").arg(shown(target)));
    if (!QFileInfo(source).isFile())
        return failure(QStringLiteral("找不到文件“%1”").arg(shown(source)));
    if (!isAccessFile(source))
        return failure(readFailureText(AccessReadFailure::NotAccess, source));
    if (!QFileInfo(directory).isDir())
        return failure(QStringLiteral("文件夹“%1”不存在").arg(shown(directory)));
    if (markedReadOnly(directory))
        return failure(writeFailureText(EACCES, directory));

    const QString temporary = conversionTemporaryPath(target);
    QFile::remove(temporary);
    ConversionResult result;
    if (!buildRegister(source, temporary, formats, progress, result))
        return result;
    if (const int error = moveWithoutReplacing(temporary, target); error != 0) {
        QFile::remove(temporary);
        result.failure = error == EEXIST ? QStringLiteral("目标文件“%1”已存在").arg(shown(target))
                                         : writeFailureText(error, directory);
        return result;
    }
    syncDirectory(directory);
    result.succeeded = true;
    return result;
}
