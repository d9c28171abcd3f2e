#pragma once

#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

// Pictures for a person to look at, when asked for: BRENVIK_RENDER_DIR names the folder.
inline void renderForReview(QWidget& widget, const QString& name)
{
    const QByteArray folder = qgetenv("BRENVIK_RENDER_DIR");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(widget.grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name));
    }
}
