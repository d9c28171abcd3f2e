#include "tools/BatchRenameEngine.h"

#include "core/SystemError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

// Designated initializers name only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// The folder's files as "name=contents", by name.
static QStringList state(const TempFolder& folder)
{
    QStringList result;
    for (const QFileInfo& entry : QDir(folder.url().path()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile file(entry.filePath());
        result.append(entry.fileName() + u'=' + (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "?"));
    }
    return result;
}


TEST(BatchRenameEngineTest, NewNamesKeepTheLastExtensionAndTheFirstFailingRuleDecidesTheStatus)
{
    const struct {
        const char* name;
        RenameFields fields;
        const char* expected;
    } cases[] = {
        {"photo.txt", {.find = "TXT", .replace = "x"}, "photo.txt"},
        {"report-txt.txt", {.find = "TXT", .replace = "doc"}, "report-doc.txt"},
        {"archive.tar.gz", {.suffix = "_alt"}, "archive.tar_alt.gz"},
        {"Makefile", {.prefix = "neu-", .suffix = "_1"}, "neu-Makefile_1"},
        {".env", {.find = "env", .replace = "cfg"}, ".cfg"},
        {"b\xFF.txt", {.find = "b", .replace = "c", .prefix = "x"}, "b\xFF.txt"}, // no text: left as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenamePlan::transformedName(FileUrl::fromNativePath("/ordner").appending(QByteArray(c.name)), c.fields), c.expected) << c.name;

    TempFolder folder;
    const QList<FileUrl> sources = {folder.write("1.txt"), folder.write("11.txt"), folder.write("b.txt")};
    folder.write("x-b.txt");
    const auto check = [&](const RenameFields& fields) { return RenamePlan::check(RenamePlan::build(sources, fields)); };
    EXPECT_EQ(check({.find = "1", .replace = "a/"}).status, "Ungültiger Zielname");
    EXPECT_EQ(check({.find = "11", .replace = "b"}).status, "Doppelte Zielnamen");
    EXPECT_EQ(check({.find = "b", .replace = "x-b"}).status, "Ein Zielname existiert bereits");
    const RenamePlan::Check unchanged = check({.find = "nirgends"}), shifted = check({.prefix = "1"});
    EXPECT_TRUE(unchanged.valid && unchanged.changes == 0);
    EXPECT_TRUE(shifted.valid && shifted.changes == 3); // 11.txt is taken, but by a source that moves on
    EXPECT_EQ(RenamePlan::sortedSources({folder.file("b10"), folder.file("B9"), folder.file("a")}),
              QList<FileUrl>({folder.file("a"), folder.file("B9"), folder.file("b10")}));
}

TEST(BatchRenameEngineTest, NamesCanBeExchangedAndShiftedThroughTemporaryNames)
{
    TempFolder folder;
    const FileUrl a = folder.write("a", "A"), b = folder.write("b", "B");
    BatchRenameEngine engine;
    engine.apply({{a, b}, {b, a}}).waitForFinished();
    EXPECT_EQ(state(folder), QStringList({"a=B", "b=A"}));

    const FileUrl one = folder.write("1.txt", "eins"), eleven = folder.write("11.txt", "elf");
    BatchRenameEngine::applyNow(RenamePlan::build({one, eleven}, {.prefix = "1"}));
    EXPECT_EQ(state(folder), QStringList({"11.txt=eins", "111.txt=elf", "a=B", "b=A"}));
}

TEST(BatchRenameEngineTest, ANameTakenAfterTheCheckFailsTheSecondPhaseAndRollsBack)
{
    TempFolder folder;
    const QList<RenamePlanItem> plan = {{folder.write("a", "A"), folder.file("x")}, {folder.write("b", "B"), folder.file("y")}};
    ASSERT_TRUE(RenamePlan::check(plan).valid);
    folder.write("y", "fremd");
    try {
        BatchRenameEngine::applyNow(plan);
        FAIL() << "the taken name was replaced";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.code(), EEXIST);
    }
    // The entry that reached its name keeps it; the other is back, nothing is lost.
    EXPECT_EQ(state(folder), QStringList({"b=B", "x=A", "y=fremd"}));
}

TEST(BatchRenameEngineTest, AFirstPhaseThatCannotMoveAnEntryGivesEveryNameBack)
{
    // In a sticky folder the unprivileged user may move its own entry but not root's.
    TempFolder folder;
    const FileUrl own = folder.write("eigen", "E"), foreign = folder.write("fremd", "F");
    ASSERT_EQ(chown(own.nativePath().constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(folder.path().constData(), 01777), 0);
    EXPECT_EQ(runUnprivileged([&] {
        try {
            BatchRenameEngine::applyNow({{own, folder.file("x")}, {foreign, folder.file("y")}});
        } catch (const SystemError& error) {
            // The first entry moved; the second one stopped the run.
            return (error.code() == EPERM || error.code() == EACCES) && error.nativePath().endsWith("fremd") ? 0 : 2;
        }
        return 1;
    }), 0);
    EXPECT_EQ(state(folder), QStringList({"eigen=E", "fremd=F"}));
}
