// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSteps.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// A new file for writers that take a QIODevice (the PDF writer), written
// under partFilePath(target) with every write checked: the first failure
// is kept, and later writes are refused. The file takes its name only
// through publish(), once whole; one never published is removed.
class NewFileDevice : public QIODevice {
public:
    explicit NewFileDevice(QString target);
    ~NewFileDevice() override;
    NewFileDevice(const NewFileDevice &) = delete;
    NewFileDevice &operator=(const NewFileDevice &) = delete;

    // Creates the temporary file (removing one an earlier run left) and
    // opens the device for writing. 0 or the system's error number.
    int create();
    // The first system error a write met; 0 while there was none.
    int error() const { return m_error; }
    // Writes out what is buffered, syncs and closes the file and gives it
    // its name (see publishFile). 0 or the system's error number of the
    // first failure, the writes' included.
    int publish(ExistingFile existing);

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    void writeBuffered();
    void closeDescriptor();

    QString m_target;
    QString m_temporary;
    QByteArray m_buffer;
    int m_descriptor = -1;
    int m_error = 0;
    bool m_published = false;
};
