#include "core/FileSystemCore.h"
#include "core/MaskList.h"

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const char* name;
    const char* masks;
    bool expected;
};

class MaskTable : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTable, Matches)
{
    const MaskCase& c = GetParam();
    EXPECT_EQ(FileSystemCore::matches(QString::fromUtf8(c.name), QString::fromUtf8(c.masks)), c.expected)
        << c.name << " vs " << c.masks;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MaskTable,
    ::testing::Values(MaskCase{"Foto.JPG", "*.jpg;*.png", true}, MaskCase{"Foto.gif", "*.jpg;*.png", false},
                      MaskCase{"a.txt", " *.TXT , *.md", true}, MaskCase{"a.txt", ";;", false},
                      MaskCase{"a.txt", "", false}, MaskCase{"a.txt", " ; \n ,", false},
                      MaskCase{"a.txt", "?.txt", true}, MaskCase{"ab.txt", "?.txt", false},
                      MaskCase{"file[1].txt", "file[1].txt", true}, MaskCase{"file1.txt", "file[1].txt", false},
                      MaskCase{"a(b)+c.txt", "a(b)+c.*", true}, MaskCase{"axtxt", "a.txt", false},
                      MaskCase{"Bericht Kopie.pdf", "* Kopie.*", true}, MaskCase{"BerichtKopie.pdf", "* Kopie.*", false},
                      MaskCase{"ÄPFEL.txt", "äpfel*", true}, MaskCase{"😀.txt", "?.txt", true},
                      MaskCase{"x", "*", true}, MaskCase{"", "*", true}, MaskCase{"", "?", false},
                      MaskCase{"abc", "a*b*c*", true}, MaskCase{"abcabd", "*abd", true},
                      MaskCase{"Zeile\nUmbruch", "Zeile*", true}, MaskCase{"ordner/datei", "datei", false}));

TEST(MaskList, PathologicalPatternsStayFast)
{
    // A backtracking matcher that recursed on every star would never finish this.
    const MaskList masks(QString(40, u'*') + QStringLiteral("b"));
    EXPECT_FALSE(masks.matches(QString(5000, u'a')));
    EXPECT_TRUE(masks.matches(QString(5000, u'a') + u'b'));
}

} // namespace
