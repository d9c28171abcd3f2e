#include "tools/BatchRenameEngine.h"

#include "core/SystemError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QStringList entries(const TempFolder& folder)
{
    return QDir(QString::fromUtf8(folder.path()))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

QByteArray contents(const FileUrl& url)
{
    QFile file(url.path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

RenameFields fields(QString find, QString replace, QString prefix = {}, QString suffix = {})
{
    return {std::move(find), std::move(replace), std::move(prefix), std::move(suffix)};
}

} // namespace

TEST(BatchRenameEngineTest, NewNamesKeepTheLastExtension)
{
    const FileUrl folder = FileUrl::fromNativePath("/ordner");
    struct Case {
        const char* name;
        RenameFields fields;
        const char* expected;
    };
    const Case cases[] = {
        {"photo.txt", fields("TXT", "x"), "photo.txt"},
        {"report-txt.txt", fields("TXT", "doc"), "report-doc.txt"},
        {"archive.tar.gz", fields({}, {}, {}, "_alt"), "archive.tar_alt.gz"},
        {"Makefile", fields({}, {}, "neu-", "_1"), "neu-Makefile_1"},
        {".env", fields("env", "cfg"), ".cfg"},
        {"b\xFF.txt", fields("b", "c", "x"), "b\xFF.txt"}, // no text: left as it is
    };
    for (const Case& c : cases)
        EXPECT_EQ(RenamePlan::transformedName(folder.appending(QByteArray(c.name)), c.fields), c.expected) << c.name;
}

TEST(BatchRenameEngineTest, TheFirstFailingRuleDecidesTheStatus)
{
    TempFolder folder;
    const QList<FileUrl> sources = {folder.write("1.txt"), folder.write("11.txt"), folder.write("b.txt")};
    folder.write("x-b.txt");
    const auto status = [&](const RenameFields& f) { return RenamePlan::check(RenamePlan::build(sources, f)).status; };
    EXPECT_EQ(status(fields("1", "a/")), "Ungültiger Zielname");
    EXPECT_EQ(status(fields("11", "b")), "Doppelte Zielnamen");
    EXPECT_EQ(status(fields("b", "x-b")), "Ein Zielname existiert bereits");
    EXPECT_EQ(status(fields("nirgends", "")), "0 Änderung(en)");
    EXPECT_EQ(status(fields({}, {}, "1")), "3 Änderung(en)"); // 11.txt is taken, but by a source
    EXPECT_TRUE(RenamePlan::check(RenamePlan::build(sources, fields({}, {}, "1"))).valid);
    EXPECT_EQ(RenamePlan::sortedSources({folder.file("b10"), folder.file("B9"), folder.file("a")}),
              QList<FileUrl>({folder.file("a"), folder.file("B9"), folder.file("b10")}));
}

TEST(BatchRenameEngineTest, NamesCanBeExchangedAndShiftedThroughTemporaryNames)
{
    TempFolder folder;
    const FileUrl a = folder.write("a", "A"), b = folder.write("b", "B");
    BatchRenameEngine engine;
    engine.apply({{a, b}, {b, a}}).waitForFinished();
    EXPECT_EQ(contents(a), "B");
    EXPECT_EQ(contents(b), "A");

    const FileUrl one = folder.write("1.txt", "eins"), eleven = folder.write("11.txt", "elf");
    BatchRenameEngine::applyNow(RenamePlan::build({one, eleven}, fields({}, {}, "1")));
    EXPECT_EQ(entries(folder), QStringList({"11.txt", "111.txt", "a", "b"}));
    EXPECT_EQ(contents(folder.file("11.txt")), "eins");
}

TEST(BatchRenameEngineTest, ANameTakenAfterTheCheckFailsTheSecondPhaseAndRollsBack)
{
    TempFolder folder;
    const FileUrl a = folder.write("a", "A"), b = folder.write("b", "B");
    const QList<RenamePlanItem> plan = {{a, folder.file("x")}, {b, folder.file("y")}};
    ASSERT_TRUE(RenamePlan::check(plan).valid);
    folder.write("y", "fremd");
    try {
        BatchRenameEngine::applyNow(plan);
        FAIL() << "the taken name was replaced";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.code(), EEXIST);
    }
    // The entry that reached its name keeps it; the other is back, nothing is lost.
    EXPECT_EQ(entries(folder), QStringList({"b", "x", "y"}));
    EXPECT_EQ(contents(folder.file("y")), "fremd");
    EXPECT_EQ(contents(folder.file("b")), "B");
}

TEST(BatchRenameEngineTest, AFirstPhaseThatCannotMoveAnEntryGivesEveryNameBack)
{
    // In a sticky folder the unprivileged user may move its own entry but not root's.
    TempFolder folder;
    const FileUrl own = folder.write("eigen", "E"), foreign = folder.write("fremd", "F");
    ASSERT_EQ(chown(own.nativePath().constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(folder.path().constData(), 01777), 0);
    const QList<RenamePlanItem> plan = {{own, folder.file("x")}, {foreign, folder.file("y")}};
    EXPECT_EQ(runUnprivileged([&] {
        try {
            BatchRenameEngine::applyNow(plan);
        } catch (const SystemError& error) {
            // The first entry moved; the second one stopped the run.
            return (error.code() == EPERM || error.code() == EACCES) && error.nativePath().endsWith("fremd") ? 0 : 2;
        }
        return 1;
    }), 0);
    EXPECT_EQ(entries(folder), QStringList({"eigen", "fremd"}));
}
