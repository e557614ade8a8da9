// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;
class RegisterWindow;
struct Payment;

// 收据: gives the payment its receipt (a number the first time, 补打 after)
// and shows it in the print preview, from which the landlord prints it or
// saves it as a PDF file.
void showReceipt(RegisterWindow &window, unsigned shownGeneration, const Payment &payment, QWidget *parent);
