#pragma once

#include <QString>

#include <array>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// The texts of one tenant record, in the order 姓名 房号 租金 押金 入住日期
// 到期日期 备注 编辑时间; nullopt is NULL.
using TenantTexts = std::array<std::optional<QString>, 8>;

// Writes a new register file (the program's schema) at a path where nothing
// is yet, and fills it with rows in one transaction. Nothing else uses the
// file while it is built, so it is written without a journal; finish()
// checks it and flushes it to disk.
class RegisterBuilder {
public:
    explicit RegisterBuilder(QString path);
    ~RegisterBuilder();
    RegisterBuilder(const RegisterBuilder &) = delete;
    RegisterBuilder &operator=(const RegisterBuilder &) = delete;

    // Creates the file (never over an existing one) with the empty table.
    bool create();

    enum class Insert { Done, KeyTaken, Failed };
    Insert insert(qint64 id, const TenantTexts &texts);

    // Commits, checks that the table holds `expectedRows` rows and that the
    // file passes SQLite's integrity check, closes it and syncs it to disk.
    bool finish(qint64 expectedRows);

    // Closes the file without keeping anything of what was written.
    void abandon();

    // After a failure: what went wrong, in the user's words.
    QString failure() const { return m_failure; }

private:
    bool fail(const QString &text);
    bool failFromEngine();
    bool exec(const char *sql);

    QString m_path;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert = nullptr;
    QString m_failure;
};

// The user's words for a failed write of a file, from the system's error number.
QString writeFailureText(int systemError, const QString &directory);
