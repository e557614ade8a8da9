// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/ConversionReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// A count the child wrote: a whole number, not negative.
bool readCount(const QJsonValue &value, qint64 *count)
{
    const double number = value.toDouble(-1);
    *count = qint64(number);
    return value.isDouble() && number >= 0 && double(*count) == number;
}

} // namespace

QByteArray progressReport(qint64 done, qint64 total)
{
    return line({{QStringLiteral("done"), done}, {QStringLiteral("total"), total}});
}

QByteArray resultReport(const ConversionResult &result)
{
    if (!result.succeeded)
        return line({{QStringLiteral("failure"), result.failure}, {QStringLiteral("cancelled"), result.cancelled}});
    return line({{QStringLiteral("rows"), result.rows},
                 {QStringLiteral("declaredRows"), result.declaredRows},
                 {QStringLiteral("leftOut"), QJsonArray::fromStringList(result.leftOutColumns)}});
}

ChildReport readChildReport(const QByteArray &text)
{
    ChildReport report;
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    if (object.contains(QStringLiteral("done"))) {
        if (readCount(object.value(QStringLiteral("done")), &report.done)
            && readCount(object.value(QStringLiteral("total")), &report.total))
            report.kind = ChildReport::Kind::Progress;
        return report;
    }
    ConversionResult &result = report.result;
    if (const QJsonValue failure = object.value(QStringLiteral("failure")); failure.isString()) {
        result.failure = failure.toString();
        result.cancelled = object.value(QStringLiteral("cancelled")).toBool();
        report.kind = ChildReport::Kind::Result;
        return report;
    }
    const QJsonValue leftOut = object.value(QStringLiteral("leftOut"));
    if (!readCount(object.value(QStringLiteral("rows")), &result.rows)
        || !readCount(object.value(QStringLiteral("declaredRows")), &result.declaredRows) || !leftOut.isArray())
        return report;
    for (const QJsonValue &name : leftOut.toArray()) {
        if (!name.isString())
            return report;
        result.leftOutColumns << name.toString();
    }
    result.succeeded = true;
    report.kind = ChildReport::Kind::Result;
    return report;
}
