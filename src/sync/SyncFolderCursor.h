#pragma once

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QList>

// Opens folders below one root by relative path, one component at a time and
// never through a link, so a link placed inside the tree after planning cannot
// redirect a write elsewhere. Keeps the folders of the last path open: plan
// items come in path order and mostly share their parent.
class SyncFolderCursor {
public:
    // Throws SystemError when the root cannot be opened; the root itself may be a link.
    explicit SyncFolderCursor(QByteArray root);

    // The descriptor of the folder `relative` ("" for the root), valid until the
    // next call. Missing folders are made when `create` is set. Throws SystemError.
    int open(const QByteArray& relative, bool create);

    // Root path plus relative path, for messages.
    QByteArray pathOf(const QByteArray& relative) const;

private:
    struct Level {
        QByteArray name;
        UniqueFd fd;
    };

    QByteArray m_root;
    UniqueFd m_rootFd;
    std::vector<Level> m_chain;
};
