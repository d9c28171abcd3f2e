#include "PanelTestSupport.h"

#include "panels/FileTableModel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

using ViewTest = PanelTest;

// Where the offscreen picture of a panel goes, for a person to look at.
void saveForInspection(QWidget& widget, const char* name)
{
    const QByteArray folder = qgetenv("BRENVIK_RENDER_DIR");
    if (!folder.isEmpty())
        widget.grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

} // namespace

TEST_F(ViewTest, HeaderControlsAndTableLook)
{
    temp.write("Bericht.pdf", QByteArray(2048, 'x'));
    temp.write("Notizen.txt", "Hallo");
    temp.write("Tabelle 2024.ods", QByteArray(123456, 't'));
    temp.makeFolder("Fotos");
    temp.makeFolder("Projekte");
    auto panel = makePanel(temp.url());
    panel->setMarked({temp.file("Notizen.txt")});
    panel->setActive(true);
    panel->resize(900, 500);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));

    EXPECT_EQ(panel->findChild<QLineEdit*>("filter")->placeholderText(), QStringLiteral("Filter"));
    EXPECT_EQ(panel->findChild<QToolButton*>("up")->text(), QStringLiteral("↑"));
    EXPECT_EQ(panel->findChild<QToolButton*>("back")->accessibleName(), QStringLiteral("Zurück"));
    EXPECT_EQ(panel->findChild<QToolButton*>("forward")->accessibleName(), QStringLiteral("Vorwärts"));
    EXPECT_EQ(panel->findChild<QToolButton*>("favorite")->toolTip(),
              QStringLiteral("Aktuellen Ordner als Favorit merken oder entfernen"));
    EXPECT_FALSE(panel->findChild<QToolButton*>("disconnect")->isVisible()) << "a local panel";
    EXPECT_EQ(panel->pathField()->text(), temp.url().path());
    EXPECT_TRUE(panel->pathField()->font().fixedPitch() || panel->pathField()->font().pointSize() == 12);

    auto* status = panel->findChild<QLabel*>("status");
    EXPECT_EQ(status->height(), 20);
    EXPECT_EQ(status->focusPolicy(), Qt::NoFocus);

    QTableView* table = panel->table();
    EXPECT_EQ(table->rowHeight(0), 21);
    EXPECT_TRUE(table->alternatingRowColors());
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::ExtendedSelection);
    const QList<int> widths{250, 55, 90, 145, 80, 55};
    for (int column = 0; column < widths.size(); ++column)
        EXPECT_EQ(table->horizontalHeader()->sectionSize(column), widths[column]) << column;
    EXPECT_EQ(table->horizontalHeader()->minimumSectionSize(), 44);
    saveForInspection(*panel, "panel.png");
}

TEST_F(ViewTest, TheActiveFrameAndActivationByClick)
{
    temp.write("a.txt");
    auto panel = makePanel(temp.url());
    delegate.left = panel.get();
    panel->resize(700, 400);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    const QColor accent = panel->palette().color(QPalette::Highlight);
    const auto edge = [&] { return panel->grab().toImage().pixelColor(0, panel->height() / 2); };
    EXPECT_NE(edge(), accent);

    // A click on the panel outside its controls makes it active; a click into a field does not.
    QTest::mouseClick(panel->findChild<QLineEdit*>("filter"), Qt::LeftButton);
    EXPECT_TRUE(delegate.activations.isEmpty());
    QTest::mouseClick(panel.get(), Qt::LeftButton, {}, QPoint(1, panel->height() / 2));
    ASSERT_EQ(delegate.activations.size(), 1);
    EXPECT_FALSE(delegate.activations[0].focusTable);
    EXPECT_TRUE(panel->isActive());
    EXPECT_EQ(edge(), accent);

    // The table activates through its selection; the panel's own selection changes do not.
    panel->refreshKeepingSelection();
    EXPECT_EQ(delegate.activations.size(), 1);
    const QRect row = panel->table()->visualRect(panel->tableModel().index(0, 0));
    QTest::mouseClick(panel->table()->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(delegate.activations.size(), 2);
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{temp.file("a.txt")});

    panel->setActive(false);
    EXPECT_NE(edge(), accent);
}
