#include "core/FileItem.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

// Equality and hash see every field; an absent date equals only an absent date.
TEST(FileItem, EqualityAndHashCoverEveryField)
{
    FileItem base;
    base.url = FileUrl::fromNativePath(QByteArray("/x/a"));
    base.modeBits = 0644;
    base.size = 10;
    base.modified = FileTime(std::chrono::seconds(1000));
    QList<FileItem> variants(7, base);
    variants[0].url = FileUrl::fromNativePath(QByteArray("/x/b"));
    variants[1].isDirectory = true;
    variants[2].isSymbolicLink = true;
    variants[3].size = 11;
    variants[4].modified.reset();
    variants[5].modeBits = 0600;
    variants[6].modified = FileTime{};
    QSet<FileItem> set{base, FileItem(base)};
    for (const FileItem& variant : variants) {
        EXPECT_NE(variant, base);
        set.insert(variant);
    }
    EXPECT_EQ(set.size(), 8);
    EXPECT_EQ(qHash(FileItem(base)), qHash(base));
}

} // namespace
