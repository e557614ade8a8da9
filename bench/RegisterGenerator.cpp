// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegisterGenerator.h"

#include "db/RegisterFile.h"

#include <QRandomGenerator>
#include <QStringList>

#include <sqlite3.h>

#include <stdexcept>

namespace {

const QStringList surnames{"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙",
                           "马", "朱", "胡", "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋"};
const QStringList givenNames{"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇",
                             "艳", "杰", "娟", "涛", "明", "超", "秀兰", "霞", "平", "刚", "桂英", "建华"};

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

} // namespace

void generateRegister(const QString &path, int rows, const QDate &today, const RegionalFormats &formats)
{
    QString error;
    if (!createEmptyRegister(path, &error))
        throw std::runtime_error(error.toStdString());
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt *insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into data (姓名,租金,押金,房号,入住日期,到期日期,备注,编辑时间) "
                             "values (?1,?2,?3,?4,?5,?6,?7,?8)",
                             -1, &insert, nullptr),
          db);

    QRandomGenerator random(20171230);
    for (int i = 0; i < rows; ++i) {
        const QString surname = i % 100 == 0 ? searchedSurname : surnames.at(random.bounded(int(surnames.size())));
        const QString name = surname + givenNames.at(random.bounded(int(givenNames.size()))) + QString::number(i);
        const QString room = QStringLiteral("%1-%2%3")
                                 .arg(random.bounded(1, 21))
                                 .arg(random.bounded(1, 31))
                                 .arg(random.bounded(1, 5), 2, 10, QLatin1Char('0'));
        const int rent = 50 * random.bounded(10, 100);
        const QDate moveIn = today.addDays(-random.bounded(30, 1500));
        const QDate expiry = i % 3 == 0 ? today.addDays(-random.bounded(1, 700)) : today.addDays(random.bounded(0, 700));
        const QString remarks = QStringLiteral("联系电话：1%1\r\n身份证编号：%2\r\n其他备注：无")
                                    .arg(random.bounded(300000000, 999999999))
                                    .arg(random.bounded(100000000, 999999999));
        const QString edited = editTimeText(QDateTime(moveIn, QTime(9, 30, 0)), formats);
        const QStringList values{name,
                                 QString::number(rent),
                                 QString::number(rent * 2),
                                 room,
                                 fullYearDateText(moveIn, formats),
                                 fullYearDateText(expiry, formats),
                                 remarks,
                                 edited};
        for (int v = 0; v < values.size(); ++v) {
            const QByteArray text = values.at(v).toUtf8();
            sqlite3_bind_text(insert, v + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}
