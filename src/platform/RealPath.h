#pragma once

#include <QByteArray>

// The path with every link and "." / ".." resolved (realpath); throws SystemError.
QByteArray realPath(const QByteArray& path);
