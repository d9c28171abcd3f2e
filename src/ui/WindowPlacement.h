#pragma once

class QWidget;

// Puts a window in the middle of another window (its top-level window), so
// that it opens where the user is looking rather than in a corner of the
// screen. Without `over` nothing moves.
void centerOnWindow(QWidget& window, const QWidget* over);
