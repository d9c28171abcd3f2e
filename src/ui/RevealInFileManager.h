#pragma once

#include "core/FileUrl.h"

class Interaction;
class QObject;

// Shows a local entry selected in the desktop's file manager (the freedesktop
// FileManager1 interface); where no file manager answers, its folder opens
// instead. `context` going away drops the late answer.
void revealInFileManager(const FileUrl& entry, Interaction& interaction, QObject* context);
