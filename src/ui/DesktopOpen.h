#pragma once

#include "core/FileUrl.h"

class Interaction;
class QObject;

// Hands a local file to the desktop's default application. When the desktop
// has none for it, an alert says so instead of nothing happening. The check
// runs in the background; `context` going away drops the answer.
void openWithDefaultApplication(const FileUrl& file, Interaction& interaction, QObject* context);
