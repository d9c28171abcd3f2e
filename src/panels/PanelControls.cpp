#include "panels/PanelControls.h"

#include "panels/FileTableView.h"
#include "platform/PlatformTexts.h"
#include "ui/FittingLabel.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont fixedFont(int pointSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(pointSize);
    return font;
}

QWidget* row(int height, int spacing, QHBoxLayout*& layout)
{
    auto* widget = new QWidget;
    widget->setFixedHeight(height);
    layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return widget;
}

QToolButton* toolButton(const QString& text, const QString& accessibleName)
{
    auto* button = new QToolButton;
    button->setText(text);
    button->setAccessibleName(accessibleName);
    button->setAutoRaise(true);
    return button;
}

QToolButton* iconButton(QStyle::StandardPixmap icon, const QString& accessibleName, const QWidget& panel)
{
    QToolButton* button = toolButton(accessibleName, accessibleName);
    button->setIcon(panel.style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

// A pop-up menu that stays narrow in the header however long its entries are;
// its list opens as wide as they need.
void compactMenu(QComboBox& menu, int characters)
{
    menu.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    menu.setMinimumContentsLength(characters);
    menu.view()->setMinimumWidth(240);
}

void buildTabRow(PanelControls& controls, QVBoxLayout& column)
{
    QHBoxLayout* layout = nullptr;
    column.addWidget(row(26, 3, layout));
    controls.tabBar = new QTabBar;
    controls.tabBar->setDrawBase(false);
    controls.tabBar->setExpanding(false);
    controls.tabBar->setUsesScrollButtons(true);
    controls.tabBar->setElideMode(Qt::ElideNone);
    controls.addTab = new QPushButton(QStringLiteral("+"));
    controls.addTab->setToolTip(PlatformTexts::localized(QStringLiteral("Tab öffnen (⌘T)")));
    controls.closeTab = new QPushButton(QStringLiteral("×"));
    controls.closeTab->setToolTip(PlatformTexts::localized(QStringLiteral("Tab schließen (⌘W)")));
    for (QPushButton* button : {controls.addTab, controls.closeTab}) {
        button->setFixedWidth(28);
        button->setFocusPolicy(Qt::NoFocus);
    }
    layout->addWidget(controls.tabBar, 1, Qt::AlignBottom);
    layout->addWidget(controls.addTab);
    layout->addWidget(controls.closeTab);
}

void buildHeaderRow(PanelControls& controls, QVBoxLayout& column, const QWidget& panel)
{
    QHBoxLayout* layout = nullptr;
    column.addWidget(row(28, 4, layout));
    controls.back = iconButton(QStyle::SP_ArrowBack, QStringLiteral("Zurück"), panel);
    controls.forward = iconButton(QStyle::SP_ArrowForward, QStringLiteral("Vorwärts"), panel);
    controls.up = toolButton(QStringLiteral("↑"), QStringLiteral("↑"));

    controls.volumes = new QComboBox;
    controls.volumes->setToolTip(QStringLiteral("Volume auswählen"));
    compactMenu(*controls.volumes, 3);

    controls.disconnect = toolButton(QStringLiteral("Trennen"), QStringLiteral("Remote-Verbindung trennen"));
    controls.disconnect->setToolTip(QStringLiteral("Remote-Verbindung in diesem Panel trennen"));
    controls.disconnect->setStyleSheet(QStringLiteral("color: #ff3b30"));
    controls.disconnect->setEnabled(false);
    controls.disconnect->hide();

    controls.favorites = new QComboBox;
    controls.favorites->setToolTip(QStringLiteral("Favoriten"));
    compactMenu(*controls.favorites, 1);
    controls.favorite = toolButton(QStringLiteral("☆"), QStringLiteral("Favorit umschalten"));
    controls.favorite->setToolTip(QStringLiteral("Aktuellen Ordner als Favorit merken oder entfernen"));

    controls.path = new QLineEdit;
    controls.path->setFont(fixedFont(12));
    controls.filter = new QLineEdit;
    controls.filter->setPlaceholderText(QStringLiteral("Filter"));
    controls.filter->setClearButtonEnabled(true);
    controls.filter->setMinimumWidth(40);
    controls.filter->setMaximumWidth(96);
    // The path takes whatever width is free; at the smallest window it still shows its end.
    controls.path->setMinimumWidth(60);
    controls.hidden = new QCheckBox(PlatformTexts::localized(QStringLiteral("⌘.")));
    controls.hidden->setToolTip(PlatformTexts::localized(QStringLiteral("Versteckte Dateien anzeigen (⌘.)")));

    for (QWidget* widget : {static_cast<QWidget*>(controls.back), static_cast<QWidget*>(controls.forward),
                            static_cast<QWidget*>(controls.up), static_cast<QWidget*>(controls.volumes),
                            static_cast<QWidget*>(controls.disconnect), static_cast<QWidget*>(controls.favorites),
                            static_cast<QWidget*>(controls.favorite)})
        layout->addWidget(widget);
    layout->addWidget(controls.path, 1);
    layout->addWidget(controls.filter);
    layout->addWidget(controls.hidden);
}

} // namespace

PanelControls PanelControls::build(QWidget& panel, FileTableModel& model)
{
    PanelControls controls;
    auto* column = new QVBoxLayout(&panel);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    buildTabRow(controls, *column);
    buildHeaderRow(controls, *column, panel);

    controls.table = new FileTableView(model);
    controls.table->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(controls.table, 1);

    controls.status = new FittingLabel;
    controls.status->setFixedHeight(20);
    controls.status->setFont(fixedFont(11));
    controls.status->setFocusPolicy(Qt::NoFocus);
    controls.status->setTextFormat(Qt::PlainText);
    controls.status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QPalette secondary = controls.status->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    controls.status->setPalette(secondary);
    column->addWidget(controls.status);
    controls.showFavoriteState(false);
    controls.nameWidgets();
    return controls;
}

void PanelControls::nameWidgets() const
{
    const std::pair<QWidget*, const char*> names[] = {
        {tabBar, "tabBar"},   {addTab, "addTab"},         {closeTab, "closeTab"},   {back, "back"},
        {forward, "forward"}, {up, "up"},                 {volumes, "volumes"},     {disconnect, "disconnect"},
        {favorites, "favorites"}, {favorite, "favorite"}, {path, "path"},           {filter, "filter"},
        {hidden, "hidden"},   {table, "table"},           {status, "status"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
}

void PanelControls::showFavoriteState(bool isFavorite) const
{
    favorite->setText(isFavorite ? QStringLiteral("★") : QStringLiteral("☆"));
    favorite->setAccessibleName(isFavorite ? QStringLiteral("Favorit entfernen") : QStringLiteral("Favorit hinzufügen"));
    QPalette palette = favorite->palette();
    palette.setColor(QPalette::ButtonText, isFavorite ? QColor(255, 204, 0)
                                                      : favorite->style()->standardPalette().color(QPalette::ButtonText));
    favorite->setPalette(palette);
}
