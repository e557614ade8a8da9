// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/MappedBytes.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct ReadControl;

// Reading entries of a zip file (an .xlsx or .ods package) with minizip,
// the zip library that libxlsxwriter itself uses. Entries are inflated piece
// by piece, and each one's checksum is checked once it is read whole.
class ZipArchive {
public:
    explicit ZipArchive(const QString &path);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool isOpen() const { return m_zip != nullptr; }

    enum class Result { Done, Missing, Encrypted, Damaged, TooLarge };
    // Hands the entry `name` (found ignoring case) to `take`, piece by piece.
    // An entry that declares more than sheetLimits::partBytes, or that
    // would inflate at an absurd ratio, is TooLarge and nothing is read.
    Result read(const QString &name, const std::function<void(const char *, qsizetype)> &take);
    bool contains(const QString &name);

private:
    void *m_zip = nullptr;
};

// An entry whole, for the small parts of a package, and one inflated into
// a mapped temporary file, for the large ones. A missing, encrypted,
// damaged or too large entry throws AppError with the reason.
QByteArray readEntry(ZipArchive &zip, const QString &name);
MappedBytes readMappedEntry(ZipArchive &zip, const QString &name, ReadControl &control);
