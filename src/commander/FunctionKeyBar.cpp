#include "commander/FunctionKeyBar.h"

#include "commander/CommandTable.h"
#include "commander/CommanderWindowController.h"

#include <QHBoxLayout>
#include <QPushButton>

FunctionKeyBar::FunctionKeyBar(CommanderWindowController& window)
{
    setFixedHeight(38);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(1);
    m_font = font();
    if (m_font.pointSizeF() > 0)
        m_font.setPointSizeF(m_font.pointSizeF() * 0.85);
    for (const CommandTable::Row& command : CommandTable::rows()) {
        if (!command.functionKeyTitle)
            continue;
        auto* button = new QPushButton(QString::fromUtf8(command.functionKeyTitle));
        button->setFont(m_font);
        button->setAttribute(Qt::WA_MacSmallSize);
        button->setFocusPolicy(Qt::NoFocus);
        // Equal widths whatever the titles: the row shares its width out evenly.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        connect(button, &QPushButton::clicked, &window, [&window, &command] { window.run(command); });
        row->addWidget(button, 1);
        m_buttons.append(button);
        m_titles.append(button->text());
    }
}

void FunctionKeyBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitLabels();
}

void FunctionKeyBar::fitLabels()
{
    if (m_buttons.isEmpty())
        return;
    const int room = m_buttons.constFirst()->width() - 10;
    const QFontMetricsF metrics(m_font);
    double oneLine = 0;
    double twoLines = 0;
    for (const QString& title : std::as_const(m_titles)) {
        oneLine = qMax(oneLine, metrics.horizontalAdvance(title));
        for (const QString& part : title.split(QStringLiteral("  ")))
            twoLines = qMax(twoLines, metrics.horizontalAdvance(part));
    }
    const bool split = oneLine > room;
    QFont font = m_font;
    if (split && twoLines > room && twoLines > 0 && font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * room / twoLines);
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setFont(font);
        m_buttons[i]->setText(split ? QString(m_titles[i]).replace(QStringLiteral("  "), QStringLiteral("\n"))
                                    : m_titles[i]);
    }
}
