#include "support/TestEnvironment.h"
#include "tools/FileDetails.h"

#include <QHash>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The lines of the details by their label, the label's padding removed.
QHash<QString, QString> fields(const QString& details)
{
    QHash<QString, QString> result;
    for (const QString& line : details.split(u'\n'))
        result.insert(line.section(u':', 0, 0), line.section(u':', 1).trimmed());
    return result;
}

} // namespace

TEST(FileDetails, FileFolderLinkAndAttributes)
{
    TempFolder folder;
    const FileUrl file = folder.write("ziel.txt", "0123456789");
    ASSERT_EQ(chmod(file.nativePath().constData(), 0644), 0);
    ASSERT_EQ(setxattr(file.nativePath().constData(), "user.brvk.tag", "rot", 3, 0), 0);
    ASSERT_EQ(setxattr(file.nativePath().constData(), "user.brvk.note", "", 0, 0), 0);
    // An owner and group without a name show their numbers.
    ASSERT_EQ(lchown(file.nativePath().constData(), 54321, 54322), 0);
    const FileUrl sub = folder.makeFolder("ordner");
    ASSERT_EQ(chmod(sub.nativePath().constData(), 0755), 0);
    const FileUrl link = folder.file("verweis");
    ASSERT_EQ(symlink("ziel.txt", link.nativePath().constData()), 0);

    const QHash<QString, QString> ofFile = fields(FileDetails::details(file, QLocale(QLocale::German)));
    EXPECT_EQ(ofFile.value(QStringLiteral("Pfad")), file.path());
    EXPECT_EQ(ofFile.value(QStringLiteral("Typ")), QStringLiteral("NSFileTypeRegular"));
    EXPECT_TRUE(ofFile.value(QStringLiteral("Größe")).endsWith(QStringLiteral(" (10 Bytes)")));
    EXPECT_EQ(ofFile.value(QStringLiteral("Rechte")), QStringLiteral("0644"));
    EXPECT_EQ(ofFile.value(QStringLiteral("Besitzer")), QStringLiteral("54321"));
    EXPECT_EQ(ofFile.value(QStringLiteral("Gruppe")), QStringLiteral("54322"));
    EXPECT_NE(ofFile.value(QStringLiteral("Geändert")), QStringLiteral("—"));
    EXPECT_FALSE(ofFile.contains(QStringLiteral("Link-Ziel")));
    QStringList names = ofFile.value(QStringLiteral("xattrs")).split(QStringLiteral(", "));
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("user.brvk.note"), QStringLiteral("user.brvk.tag")}));

    const QHash<QString, QString> ofFolder = fields(FileDetails::details(sub));
    EXPECT_EQ(ofFolder.value(QStringLiteral("Typ")), QStringLiteral("NSFileTypeDirectory"));
    EXPECT_EQ(ofFolder.value(QStringLiteral("Rechte")), QStringLiteral("0755"));
    EXPECT_EQ(ofFolder.value(QStringLiteral("Besitzer")), QStringLiteral("root"));
    EXPECT_EQ(ofFolder.value(QStringLiteral("xattrs")), QStringLiteral("—"));

    // The link itself: its own type and size (the stored text), its stored
    // relative target, and none of the target's attributes.
    const QString ofLink = FileDetails::details(link);
    const QHash<QString, QString> linkFields = fields(ofLink);
    EXPECT_EQ(linkFields.value(QStringLiteral("Typ")), QStringLiteral("NSFileTypeSymbolicLink"));
    EXPECT_TRUE(linkFields.value(QStringLiteral("Größe")).endsWith(QStringLiteral(" (8 Bytes)")));
    EXPECT_EQ(linkFields.value(QStringLiteral("Link-Ziel")), QStringLiteral("ziel.txt"));
    EXPECT_EQ(linkFields.value(QStringLiteral("xattrs")), QStringLiteral("—"));
    EXPECT_TRUE(ofLink.contains(QStringLiteral("\nLink-Ziel:   ziel.txt\nxattrs:      —")));

    // A vanished entry: nothing to read, nothing thrown.
    const QHash<QString, QString> gone = fields(FileDetails::details(folder.file("fehlt")));
    EXPECT_EQ(gone.value(QStringLiteral("Typ")), QStringLiteral("—"));
    EXPECT_EQ(gone.value(QStringLiteral("Rechte")), QStringLiteral("—"));
}
