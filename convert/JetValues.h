#pragma once

#include <QString>

#include <optional>

struct RegionalFormats;

// The texts that the values of an Access table become in the register,
// which holds every value as text.

// A Jet 4 text or memo value: UTF-16 little-endian, or, when it starts with
// FF FE, "compressed": one byte per character, a zero byte switching between
// that and two bytes per character.
QString jetText(const unsigned char *bytes, qsizetype size);

// Numbers in plain form: no grouping, no exponent, no trailing zeros
// ("1600", "1600.5", "-3"); the shortest digits that give the stored value back.
QString plainNumberText(qint64 value);
QString plainNumberText(double value);
QString plainNumberText(float value);

// A Currency value, stored as a count of ten-thousandths, in the same form.
QString currencyText(qint64 tenThousandths);

// A Date/Time value, stored as days since 30 December 1899 (the fraction
// being the time of day): the short date, and when the time of day is not
// midnight a blank and the long time. Empty for a value that is no date.
std::optional<QString> dateTimeText(double days, const RegionalFormats &formats);

// A Yes/No value.
QString yesNoText(bool value);
