// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages of a new database file, numbered from 0 and written in any
// order: a page whose contents are known only later (a table's definition,
// the catalog) is allocated first and written at the end.
#include <QFile>
#include <QString>

namespace jet4::detail {

class PageFile {
public:
    explicit PageFile(const QString &path);
    // A file that was not finished is removed.
    ~PageFile();
    PageFile(const PageFile &) = delete;
    PageFile &operator=(const PageFile &) = delete;

    // Creates the file; fails if anything is at the path.
    bool create(QString *error);
    quint32 allocate() { return allocated++; }
    // A failed write is remembered and reported by finish().
    void write(quint32 page, const QByteArray &bytes);
    // Checks that every allocated page was written and closes the file.
    bool finish(QString *error);

private:
    QFile file;
    quint32 allocated = 0;
    quint32 written = 0;
    QString failure;
    bool finished = false;
};

} // namespace jet4::detail
