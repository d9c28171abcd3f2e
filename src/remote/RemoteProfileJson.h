#pragma once

#include "remote/RemoteProfile.h"

#include <QByteArray>
#include <QList>
#include <optional>

// The JSON form of a profile list, shared by the settings value and the
// export/import file: one array of objects. Secrets are never part of it.

enum class RemoteProfileJsonStyle { compact, pretty };

// Object keys are always written in alphabetical order.
QByteArray encodeRemoteProfiles(const QList<RemoteProfile>& profiles, RemoteProfileJsonStyle style);

// Nothing when the text is not such an array: a missing required key, a value of
// the wrong JSON type, a non-integral number, an id that is not a canonical UUID
// or an unknown kind text spoil the whole list. Unknown keys are ignored.
std::optional<QList<RemoteProfile>> decodeRemoteProfiles(const QByteArray& json);
