// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramClock.h"

namespace {

QDateTime &setMoment()
{
    static QDateTime moment;
    return moment;
}

} // namespace

QDateTime currentLocalDateTime()
{
    return setMoment().isValid() ? setMoment() : QDateTime::currentDateTime();
}

void setCurrentLocalDateTime(const QDateTime &moment)
{
    setMoment() = moment;
}
