#include "PanelTestSupport.h"

#include "preferences/SettingsFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

namespace {

using NavigationTest = PanelTest;

template<typename Widget>
Widget* control(FilePanelController& panel, const char* name)
{
    auto* widget = panel.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        throw std::logic_error(name);
    return widget;
}

void typePath(FilePanelController& panel, const QString& text)
{
    QLineEdit* field = panel.pathField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

TEST_F(NavigationTest, BackForwardAndUpButtons)
{
    const FileUrl a = temp.makeFolder("a"), b = temp.makeFolder("a/b");
    auto panel = makePanel(a);
    // The folder already shown: no history entry and no reload.
    QSignalSpy listings(panel.get(), &FilePanelController::listingFinished);
    panel->navigate(FileUrl::fromNativePath(a.nativePath() + "/."));
    QCoreApplication::processEvents();
    EXPECT_EQ(listings.size(), 0);
    EXPECT_FALSE(control<QToolButton>(*panel, "back")->isEnabled());

    panel->navigate(b);
    waitForListing(*panel);
    for (const auto& [button, expected] : {std::pair{"back", a}, std::pair{"forward", b}, std::pair{"up", a}}) {
        QTest::mouseClick(control<QToolButton>(*panel, button), Qt::LeftButton);
        waitForListing(*panel);
        EXPECT_EQ(panel->currentURL(), expected) << button;
        EXPECT_EQ(panel->pathField()->text(), expected.path());
    }
    panel->navigate(FileUrl::fromNativePath("/"));
    waitForListing(*panel);
    panel->goUp();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->currentURL(), FileUrl::fromNativePath("/")) << "up at the root stays";
}

TEST_F(NavigationTest, TypedPathsNavigateToFoldersAndBeepOtherwise)
{
    const FileUrl a = temp.makeFolder("a"), target = temp.makeFolder("ziel");
    const FileUrl file = temp.write("datei.txt", "x");
    auto panel = makePanel(a);

    typePath(*panel, target.path() + QStringLiteral("/../ziel/"));
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), target);
    EXPECT_EQ(panel->pathField()->text(), target.path());

    for (const QString& wrong : {file.path(), temp.url().path() + QStringLiteral("/fehlt"), QStringLiteral("ziel")}) {
        typePath(*panel, wrong);
        EXPECT_EQ(panel->currentURL(), target) << wrong.toStdString();
        EXPECT_EQ(panel->pathField()->text(), target.path());
    }
    EXPECT_EQ(interaction.beepCount(), 3);
    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), a) << "refused paths leave no history";
}

TEST_F(NavigationTest, AFolderNamedWithoutTextIsNeverMistakenForItsLookalike)
{
    // The path field shows U+FFFD for the byte 0xFF; a sibling is really named so.
    const FileUrl odd = temp.makeFolder("d\xff");
    temp.makeFolder("d\xef\xbf\xbd");
    temp.write("d\xff/echt.txt");
    auto panel = makePanel(odd);
    EXPECT_EQ(names(*panel), QStringList{"echt.txt"});

    // Ending an edit without typing leaves the folder as it is.
    panel->pathField()->setFocus();
    QTest::keyClick(panel->pathField(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->currentURL(), odd);
    EXPECT_EQ(interaction.beepCount(), 0);
}

TEST_F(NavigationTest, TabButtonsAndTheTabBar)
{
    const FileUrl a = temp.makeFolder("eins"), b = temp.makeFolder("zwei");
    auto panel = makePanel(a);
    auto* bar = control<QTabBar>(*panel, "tabBar");
    auto* cross = control<QPushButton>(*panel, "closeTab");
    QTest::mouseClick(cross, Qt::LeftButton);
    EXPECT_EQ(interaction.beepCount(), 1) << "the only tab cannot be closed";

    QTest::mouseClick(control<QPushButton>(*panel, "addTab"), Qt::LeftButton);
    waitForListing(*panel);
    panel->navigate(b);
    waitForListing(*panel);
    EXPECT_EQ(bar->tabText(1), QStringLiteral("zwei"));
    panel->show();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), a);
    QTest::mouseClick(cross, Qt::LeftButton);
    waitForListing(*panel);
    EXPECT_EQ(bar->count(), 1);
    EXPECT_EQ(panel->currentURL(), b);
}

TEST_F(NavigationTest, TabsAndTheHiddenSwitchComeBackAfterARestart)
{
    const FileUrl a = temp.makeFolder("a"), b = temp.makeFolder("b"), gone = temp.makeFolder("gone");
    temp.write("b/.versteckt");
    {
        auto panel = makePanel(a);
        for (const FileUrl& folder : {gone, b}) {
            panel->addTab();
            waitForListing(*panel);
            panel->navigate(folder);
            waitForListing(*panel);
        }
        panel->setShowHidden(true);
        waitForListing(*panel);
    }
    // A saved folder that is gone by the next start is dropped; the index follows.
    ASSERT_TRUE(QDir(gone.path()).removeRecursively());
    auto restored = makePanel(temp.url());
    EXPECT_EQ(restored->tabCount(), 2);
    EXPECT_EQ(restored->selectedTab(), 1);
    EXPECT_EQ(restored->currentURL(), b);
    EXPECT_EQ(names(*restored), QStringList{".versteckt"});

    // The check box makes the panel active and lists again.
    delegate.left = restored.get();
    restored->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(restored.get()));
    QTest::mouseClick(control<QCheckBox>(*restored, "hidden"), Qt::LeftButton);
    waitForListing(*restored);
    EXPECT_TRUE(names(*restored).isEmpty());
    EXPECT_EQ(delegate.active, restored.get());
}

TEST_F(NavigationTest, FavouriteStarAndPlacesMenus)
{
    const FileUrl projects = temp.makeFolder("Projekte");
    auto panel = makePanel(projects);
    auto* favourites = control<QComboBox>(*panel, "favorites");
    auto* star = control<QToolButton>(*panel, "favorite");
    const int before = favourites->count();

    QTest::mouseClick(star, Qt::LeftButton);
    EXPECT_EQ(brenvikSettings().value("Brenvik.Favorites").toStringList(), QStringList{projects.path()});
    ASSERT_EQ(favourites->count(), before + 1);
    EXPECT_EQ(favourites->itemText(before), QStringLiteral("Projekte"));
    EXPECT_EQ(star->accessibleName(), QStringLiteral("Favorit entfernen"));

    // Choosing an entry navigates and shows the menu's title again.
    Q_EMIT favourites->activated(1);
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), FileUrl::fromLocalPath(QDir::homePath()));
    EXPECT_EQ(favourites->currentIndex(), 0);
    EXPECT_EQ(star->accessibleName(), QStringLiteral("Favorit hinzufügen"));

    auto* volumes = control<QComboBox>(*panel, "volumes");
    const int root = volumes->findData(QStringLiteral("/"), Qt::ToolTipRole);
    ASSERT_GE(root, 0);
    Q_EMIT volumes->activated(root);
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), FileUrl::fromNativePath("/"));
    EXPECT_EQ(volumes->currentIndex(), root);
}
