// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ImportColumns.h"

#include "sheets/ImportPlan.h"

#include <QHash>

namespace {

// Without blanks, full-width forms folded, letters in lower case.
QString key(const QString &text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    folded.removeIf([](QChar c) { return c.isSpace(); });
    return folded;
}

QString withoutUnit(QString header)
{
    if (header.endsWith(QStringLiteral("(元)")))
        header.chop(3);
    return header;
}

const QHash<QString, int> &otherNames()
{
    static const QHash<QString, int> names = [] {
        const QList<QStringList> byColumn{
            {"名字", "租客", "租客姓名", "房客", "房客姓名", "承租人", "承租人姓名", "租户", "租户姓名", "住户", "住户姓名",
             "客户姓名", "联系人"},
            {"房间", "房间号", "房屋", "门牌号", "门牌", "房间编号", "房屋编号", "房号码", "室号", "单元号"},
            {"月租", "月租金", "房租", "每月租金", "月租金额", "租金金额", "每月房租"},
            {"保证金", "押金金额", "租房押金"},
            {"入住时间", "起租日期", "起租日", "开始日期", "租期开始", "入住日", "起租时间", "租期起", "开始时间"},
            {"到期时间", "结束日期", "截止日期", "租期结束", "退租日期", "到期日", "合同到期", "合同到期日", "租期止",
             "结束时间"},
            {"说明", "其他", "备注信息", "附注", "其它"},
        };
        QHash<QString, int> all;
        for (int column = 0; column < byColumn.size(); ++column) {
            for (const QString &name : byColumn[column])
                all.insert(key(name), column);
        }
        return all;
    }();
    return names;
}

} // namespace

int registerColumnNamed(const QString &header)
{
    const QString wanted = withoutUnit(key(header));
    for (std::size_t column = 0; column < importedColumns().size(); ++column) {
        if (importedColumns()[column] == wanted)
            return int(column);
    }
    return -1;
}

int registerColumnMeant(const QString &header)
{
    return otherNames().value(withoutUnit(key(header)), -1);
}

bool isNumberingHeader(const QString &header)
{
    static const QStringList numbering{"序号", "编号", "no.", "no", "#", "id", "编辑时间"};
    return numbering.contains(key(header));
}

bool isTotalsName(const QString &name)
{
    static const QStringList totals{"合计", "总计", "小计", "平均"};
    return totals.contains(key(name));
}
