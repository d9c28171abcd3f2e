#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// A large text for a read-only QPlainTextEdit, built in the background: setting
// megabytes of text on the GUI thread would stall it, a finished document is
// only handed over. The document is deleted on the thread it was handed to.
using SharedDocument = std::shared_ptr<QTextDocument>;

// The background of a line by its number; nothing for the view's own colour.
using LineBackground = std::function<std::optional<QColor>(qsizetype line)>;

// Runs on a worker thread: a plain-text document of `text` in `font`, the
// given lines with their backgrounds over the whole width, moved to `home`.
SharedDocument buildPlainDocument(QString text, const QFont& font, QThread* home,
                                  const LineBackground& background = {});

// The monospaced system font of the tool windows' text views.
QFont toolTextFont();
