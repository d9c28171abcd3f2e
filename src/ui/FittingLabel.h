#pragma once

#include <QLabel>

// A one-line label that never cuts its text off at the edge: when the text is
// wider than the label, it is drawn smaller (down to `minimumScale` of the
// font), and only beyond that elided in the middle, so both ends stay readable.
class FittingLabel : public QLabel {
    Q_OBJECT

public:
    explicit FittingLabel(double minimumScale = 0.7, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_minimumScale;
};
