#include "platform/DefaultApplication.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"
#include "ui/RevealInFileManager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Stands in for the desktop's xdg-mime: prints what a desktop without (or with)
// a default application prints.
QByteArray fakeXdgMime(TempFolder& folder, const QByteArray& answer)
{
    const FileUrl script = folder.write("xdg-mime", "#!/bin/sh\nprintf '" + answer + "'\n");
    QFile::setPermissions(script.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script.nativePath();
}

TEST(DesktopHandOver, AFileWithoutDefaultApplicationIsRecognised)
{
    TempFolder folder;
    const QByteArray file = folder.write("bild.xyz-unbekannt", "x").nativePath();
    EXPECT_FALSE(DefaultApplication::existsFor(file, fakeXdgMime(folder, "")));
    EXPECT_TRUE(DefaultApplication::existsFor(file, fakeXdgMime(folder, "viewer.desktop\\n")));
    // Where the desktop cannot be asked, the opening itself must tell.
    EXPECT_TRUE(DefaultApplication::existsFor(file, "/nonexistent/xdg-mime"));
}

// The desktop's file manager as the freedesktop interface describes it.
class FileManagerStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public Q_SLOTS:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

TEST(DesktopHandOver, RevealSelectsTheEntryThroughTheFileManagerInterface)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "keine D-Bus-Sitzung (scripts/with-test-services.sh startet eine)";
    FileManagerStandIn manager;
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                   QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    TempFolder folder;
    const FileUrl entry = folder.write("Bericht, Entwurf.txt");
    ScriptedInteraction interaction;
    QObject context;
    revealInFileManager(entry, interaction, &context);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !manager.shown.isEmpty(); }, 5000));
    ASSERT_EQ(manager.shown.size(), 1);
    EXPECT_EQ(QUrl(manager.shown.constFirst()).toLocalFile(), entry.path());

    bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
}

} // namespace

#include "DesktopHandOverTest.moc"
