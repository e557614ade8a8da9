// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_TenantSummary.h"

#include <QGroupBox>

struct TenantTotals;

// The group "房客统计": the figures of the last full listing of the
// register, with buttons that list the tenants behind some of them.
class TenantSummary : public QGroupBox, public Ui::TenantSummary {
    Q_OBJECT
public:
    explicit TenantSummary(QWidget *parent = nullptr);

    void showTotals(const TenantTotals &totals);
};
