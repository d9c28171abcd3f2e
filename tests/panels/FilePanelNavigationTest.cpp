#include "PanelTestSupport.h"

#include "preferences/SettingsFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
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

TEST_F(NavigationTest, HistoryAcrossNavigationBackForwardAndUp)
{
    const FileUrl a = temp.makeFolder("a"), b = temp.makeFolder("a/b"), c = temp.makeFolder("c");
    auto panel = makePanel(a);
    auto* back = control<QToolButton>(*panel, "back");
    auto* forward = control<QToolButton>(*panel, "forward");
    EXPECT_FALSE(back->isEnabled());

    // The folder already shown: no history entry and no reload.
    QSignalSpy listings(panel.get(), &FilePanelController::listingFinished);
    panel->navigate(FileUrl::fromNativePath(a.nativePath() + "/."));
    QCoreApplication::processEvents();
    EXPECT_NE(panel->statusText(), QStringLiteral("Wird geladen …"));
    EXPECT_EQ(listings.size(), 0);

    panel->navigate(b);
    waitForListing(*panel);
    panel->navigate(c);
    waitForListing(*panel);
    EXPECT_TRUE(back->isEnabled());

    QTest::mouseClick(back, Qt::LeftButton);
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), b);
    EXPECT_EQ(panel->pathField()->text(), b.path());
    EXPECT_TRUE(forward->isEnabled());

    panel->goUp();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), a);
    EXPECT_FALSE(forward->isEnabled()) << "a navigation with history empties Forward";
    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), b);
    panel->goForward();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), a);
}

TEST_F(NavigationTest, UpAtTheRootChangesNothing)
{
    auto panel = makePanel(FileUrl::fromNativePath("/"));
    panel->goUp();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->currentURL(), FileUrl::fromNativePath("/"));
    EXPECT_FALSE(control<QToolButton>(*panel, "back")->isEnabled());
    EXPECT_EQ(control<QTabBar>(*panel, "tabBar")->tabText(0), QStringLiteral("/"));
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
    EXPECT_EQ(interaction.beepCount(), 0);

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
    auto panel = makePanel(temp.url());
    panel->navigate(odd);
    waitForListing(*panel);
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
    auto* plus = control<QPushButton>(*panel, "addTab");
    auto* cross = control<QPushButton>(*panel, "closeTab");

    QTest::mouseClick(cross, Qt::LeftButton);
    EXPECT_EQ(interaction.beepCount(), 1) << "the only tab cannot be closed";
    EXPECT_EQ(panel->tabCount(), 1);

    QTest::mouseClick(plus, Qt::LeftButton);
    waitForListing(*panel);
    panel->navigate(b);
    waitForListing(*panel);
    EXPECT_EQ(bar->count(), 2);
    EXPECT_EQ(bar->tabText(0), QStringLiteral("eins"));
    EXPECT_EQ(bar->tabText(1), QStringLiteral("zwei"));
    EXPECT_EQ(bar->tabToolTip(1), b.path());
    EXPECT_EQ(bar->currentIndex(), 1);

    panel->show();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    waitForListing(*panel);
    EXPECT_EQ(panel->selectedTab(), 0);
    EXPECT_EQ(panel->currentURL(), a);

    panel->cycleTab(-1);
    waitForListing(*panel);
    EXPECT_EQ(panel->selectedTab(), 1);
    EXPECT_EQ(panel->currentURL(), b);
    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), a) << "the second tab's own history";

    QTest::mouseClick(cross, Qt::LeftButton);
    waitForListing(*panel);
    EXPECT_EQ(bar->count(), 1);
    EXPECT_EQ(panel->selectedTab(), 0);
}

TEST_F(NavigationTest, TabsAndTheHiddenSwitchSurviveARestartThroughTheSettingsFile)
{
    const FileUrl a = temp.makeFolder("a"), b = temp.makeFolder("b"), gone = temp.makeFolder("gone");
    temp.write("b/.versteckt");
    {
        auto panel = makePanel(a, QStringLiteral("Right"));
        panel->addTab();
        waitForListing(*panel);
        panel->navigate(gone);
        waitForListing(*panel);
        panel->addTab();
        waitForListing(*panel);
        panel->navigate(b);
        waitForListing(*panel);
        panel->setShowHidden(true);
        waitForListing(*panel);
    }
    brenvikSettings().sync();
    QSettings file(brenvikSettings().fileName(), QSettings::IniFormat);
    EXPECT_EQ(file.value("Brenvik.Right.Tabs").toStringList(), (QStringList{a.path(), gone.path(), b.path()}));
    EXPECT_EQ(file.value("Brenvik.Right.SelectedTab").toInt(), 2);
    EXPECT_EQ(file.value("Brenvik.Right.ShowHidden").toString(), QStringLiteral("true"));

    // A saved folder that is gone by the next start is dropped; the index is clamped.
    ASSERT_TRUE(QDir(gone.path()).removeRecursively());
    auto restored = makePanel(temp.url(), QStringLiteral("Right"));
    EXPECT_EQ(restored->tabCount(), 2);
    EXPECT_EQ(restored->selectedTab(), 1);
    EXPECT_EQ(restored->currentURL(), b);
    EXPECT_TRUE(restored->showHidden());
    EXPECT_EQ(names(*restored), QStringList{".versteckt"});

    auto other = makePanel(a, QStringLiteral("Left"));
    EXPECT_EQ(other->currentURL(), a) << "each panel has its own keys";
    EXPECT_FALSE(other->showHidden());
}

TEST_F(NavigationTest, TheSharedHiddenSwitchOverridesThePanelsOwn)
{
    temp.write(".versteckt");
    temp.write("sichtbar");
    brenvikSettings().setValue("Brenvik.Left.ShowHidden", true);
    brenvikSettings().setValue("Brenvik.ShowHiddenFiles", false);
    auto overridden = makePanel(temp.url());
    EXPECT_FALSE(overridden->showHidden());
    EXPECT_EQ(names(*overridden), QStringList{"sichtbar"});
    overridden.reset();

    brenvikSettings().remove("Brenvik.ShowHiddenFiles");
    brenvikSettings().setValue("Brenvik.Left.ShowHidden", true);
    auto own = makePanel(temp.url());
    EXPECT_TRUE(own->showHidden());
    EXPECT_TRUE(control<QCheckBox>(*own, "hidden")->isChecked());
    EXPECT_EQ(names(*own), (QStringList{".versteckt", "sichtbar"}));

    // The check box makes the panel active and lists again.
    delegate.left = own.get();
    own->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(own.get()));
    QTest::mouseClick(control<QCheckBox>(*own, "hidden"), Qt::LeftButton);
    waitForListing(*own);
    EXPECT_FALSE(own->showHidden());
    EXPECT_EQ(names(*own), QStringList{"sichtbar"});
    ASSERT_FALSE(delegate.activations.isEmpty());
    EXPECT_EQ(delegate.activations.last().panel, own.get());
}

TEST_F(NavigationTest, FavouritesMenuAndSwitch)
{
    const FileUrl home = FileUrl::fromLocalPath(QDir::homePath());
    QDir().mkpath(QDir::homePath() + QStringLiteral("/Downloads"));
    const FileUrl projects = temp.makeFolder("Projekte");
    brenvikSettings().setValue("Brenvik.Favorites", QStringList{QDir::homePath() + QStringLiteral("/Downloads")});
    auto panel = makePanel(projects);
    auto* menu = control<QComboBox>(*panel, "favorites");
    auto* star = control<QToolButton>(*panel, "favorite");
    EXPECT_EQ(star->accessibleName(), QStringLiteral("Favorit hinzufügen"));

    QStringList titles;
    for (int index = 0; index < menu->count(); ++index)
        titles.append(menu->itemText(index));
    EXPECT_EQ(titles, (QStringList{"★ Favoriten", "Persönlicher Ordner", "Downloads"}));

    QTest::mouseClick(star, Qt::LeftButton);
    EXPECT_EQ(brenvikSettings().value("Brenvik.Favorites").toStringList(),
              (QStringList{QDir::homePath() + QStringLiteral("/Downloads"), projects.path()}));
    EXPECT_EQ(star->accessibleName(), QStringLiteral("Favorit entfernen"));
    ASSERT_EQ(menu->count(), 4);
    EXPECT_EQ(menu->itemText(3), QStringLiteral("Projekte"));
    EXPECT_EQ(menu->itemData(3, Qt::ToolTipRole).toString(), projects.path());

    // Choosing an entry navigates with history and shows the title again.
    Q_EMIT menu->activated(1);
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), home);
    EXPECT_EQ(menu->currentIndex(), 0);
    EXPECT_EQ(star->accessibleName(), QStringLiteral("Favorit hinzufügen"));
    panel->goBack();
    waitForListing(*panel);
    panel->toggleFavorite();
    EXPECT_EQ(brenvikSettings().value("Brenvik.Favorites").toStringList(),
              QStringList{QDir::homePath() + QStringLiteral("/Downloads")});
    EXPECT_EQ(menu->count(), 3);
}

TEST_F(NavigationTest, VolumesMenuSelectsTheVolumeOfTheFolder)
{
    auto panel = makePanel(temp.url());
    auto* menu = control<QComboBox>(*panel, "volumes");
    ASSERT_GT(menu->count(), 0);
    const QString shown = menu->itemData(menu->currentIndex(), Qt::ToolTipRole).toString();
    EXPECT_TRUE(temp.url().isInside(FileUrl::fromLocalPath(shown))) << shown.toStdString();

    int root = -1;
    for (int index = 0; index < menu->count(); ++index)
        if (menu->itemData(index, Qt::ToolTipRole).toString() == QStringLiteral("/"))
            root = index;
    ASSERT_GE(root, 0);
    Q_EMIT menu->activated(root);
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), FileUrl::fromNativePath("/"));
    EXPECT_EQ(menu->currentIndex(), root);
}
