#include "core/SystemError.h"
#include "support/TestEnvironment.h"
#include "tools/DirectoryCompareEngine.h"

#include <gtest/gtest.h>

namespace {

QStringList namesOf(const QSet<FileUrl>& marks)
{
    QStringList names;
    for (const FileUrl& url : marks)
        names.append(url.fileName());
    names.sort();
    return names;
}

} // namespace

TEST(DirectoryCompare, NamesSizesAndFolderFlagsDecide)
{
    TempFolder left;
    TempFolder right;
    left.write("a.txt", "0123456789");  // same size, other contents: equal
    right.write("a.txt", "abcdefghij");
    left.write("b.txt", "kurz");        // other size
    right.write("b.txt", "etwas länger");
    left.makeFolder("docs");            // folder against file
    right.write("docs", "x");
    left.write("sub/inhalt", "1");      // folders are equal whatever they hold
    right.makeFolder("sub");
    left.write(".versteckt", "1");      // hidden entries take part
    left.write("Readme", "1");          // case counts
    right.write("README", "1");
    right.write("nur-rechts", "");

    DirectoryCompareEngine engine;
    const DirectoryComparison result = engine.compare(left.url(), right.url()).result();
    EXPECT_EQ(namesOf(result.leftMarks),
              (QStringList{QStringLiteral(".versteckt"), QStringLiteral("Readme"), QStringLiteral("b.txt"),
                           QStringLiteral("docs")}));
    EXPECT_EQ(namesOf(result.rightMarks), (QStringList{QStringLiteral("README"), QStringLiteral("b.txt"),
                                                       QStringLiteral("docs"), QStringLiteral("nur-rechts")}));
    EXPECT_EQ(result.identicalCount, 2);
    EXPECT_TRUE(result.leftMarks.contains(left.file("docs")));

    const DirectoryComparison itself = engine.compare(left.url(), left.url()).result();
    EXPECT_TRUE(itself.leftMarks.isEmpty() && itself.rightMarks.isEmpty());
    EXPECT_EQ(itself.identicalCount, 6);

    EXPECT_THROW(engine.compare(left.url(), right.file("fehlt")).waitForFinished(), SystemError);
}
