// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

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

    enum class Result { Done, Missing, Encrypted, Damaged };
    // Hands the entry `name` (found ignoring case) to `take`, piece by piece.
    Result read(const QString &name, const std::function<void(const char *, qsizetype)> &take);
    bool contains(const QString &name);

private:
    void *m_zip = nullptr;
};
