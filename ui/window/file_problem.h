// The cause of a file failure, in words a user can act on.
#pragma once

#include <QFileDevice>
#include <QString>

// Why the file cannot be opened for reading: it does not exist, is a folder,
// may not be read, or the system's own reason.
QString ReadProblem(const QString& path);

// Why the file could not be written: its folder is missing or may not be
// written to, the file may not be overwritten, the disk is full, or the
// system's own reason (`systemText`).
QString WriteProblem(const QString& path, QFileDevice::FileError error, const QString& systemText);

// A failure message: what failed, then the file and the cause on lines of
// their own.
QString FailureMessage(const QString& what, const QString& path, const QString& cause);
