#include "core/FileItem.h"

#include <gtest/gtest.h>

namespace {

// A panel refreshes a row only when its item compares unequal: every field counts,
// and an absent date equals only an absent date.
TEST(FileItem, EqualityCoversEveryField)
{
    FileItem base;
    base.url = FileUrl::fromNativePath(QByteArray("/x/a"));
    base.modified = FileTime(std::chrono::seconds(1000));
    const std::function<void(FileItem&)> changes[] = {
        [](FileItem& i) { i.url = FileUrl::fromNativePath(QByteArray("/x/b")); }, [](FileItem& i) { i.isDirectory = true; },
        [](FileItem& i) { i.isSymbolicLink = true; }, [](FileItem& i) { i.size = 11; },
        [](FileItem& i) { i.modified.reset(); }, [](FileItem& i) { i.modified = FileTime{}; },
        [](FileItem& i) { i.modeBits = 0600; }};
    for (const auto& change : changes) {
        FileItem variant = base;
        change(variant);
        EXPECT_NE(variant, base);
    }
    EXPECT_EQ(FileItem(base), base);
    EXPECT_EQ(qHash(FileItem(base)), qHash(base));
}

} // namespace
