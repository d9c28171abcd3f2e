#include "core/FileSystemCore.h"
#include "core/MaskList.h"

#include <gtest/gtest.h>

namespace {

TEST(MaskList, MatchesTheTable)
{
    const struct {
        const char* name;
        const char* masks;
        bool expected;
    } cases[] = {{"Foto.JPG", "*.jpg;*.png", true}, {"Foto.gif", "*.jpg;*.png", false}, {"a.txt", " *.TXT , *.md", true},
                 {"a.txt", ";;", false}, {"a.txt", "", false}, {"a.txt", " ; \n ,", false}, {"a.txt", "?.txt", true},
                 {"ab.txt", "?.txt", false}, {"file[1].txt", "file[1].txt", true}, {"file1.txt", "file[1].txt", false},
                 {"a(b)+c.txt", "a(b)+c.*", true}, {"axtxt", "a.txt", false}, {"Bericht Kopie.pdf", "* Kopie.*", true},
                 {"BerichtKopie.pdf", "* Kopie.*", false}, {"ÄPFEL.txt", "äpfel*", true}, {"😀.txt", "?.txt", true},
                 {"", "*", true}, {"", "?", false}, {"abcabd", "*abd", true}, {"Zeile\nUmbruch", "Zeile*", true},
                 {"ordner/datei", "datei", false}};
    for (const auto& c : cases)
        EXPECT_EQ(FileSystemCore::matches(QString::fromUtf8(c.name), QString::fromUtf8(c.masks)), c.expected)
            << c.name << " vs " << c.masks;
}

TEST(MaskList, PathologicalPatternsStayFast)
{
    // A backtracking matcher that recursed on every star would never finish this.
    const MaskList masks(QString(40, u'*') + QStringLiteral("b"));
    EXPECT_FALSE(masks.matches(QString(5000, u'a')));
    EXPECT_TRUE(masks.matches(QString(5000, u'a') + u'b'));
}

} // namespace
