#pragma once

#include <QByteArray>
#include <QString>

// A process's name from /proc, where pid is its directory in the /proc open as procFd.

// /proc/PID/comm without its line end; empty when it cannot be read.
QByteArray readProcessComm(int procFd, const char* pid);

// The name of the process whose comm that is: comm itself, or where the kernel cut it at 15
// bytes, the executable's or argv[0]'s file name that begins with it.
QString completeProcessName(int procFd, const char* pid, const QByteArray& comm);
