#include "PanelTestSupport.h"

#include "panels/PreviewWindow.h"

#include <QImage>
#include <QSignalSpy>
#include <sys/stat.h>

namespace {

using PreviewTest = PanelTest;

} // namespace

TEST_F(PreviewTest, PicturesTextsAndEverythingElse)
{
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    const FileUrl png = temp.file("bild.png");
    ASSERT_TRUE(picture.save(png.path(), "PNG"));
    const PreviewContent image = PreviewContent::load(png);
    ASSERT_EQ(image.kind, PreviewContent::Kind::image);
    EXPECT_EQ(image.image.pixelColor(3, 3), QColor(10, 200, 30));

    // A long text is cut before a character split by the limit.
    QByteArray text(PreviewContent::textBytes - 1, 'a');
    text += "ä and more";
    const PreviewContent start = PreviewContent::load(temp.write("lang.txt", text));
    ASSERT_EQ(start.kind, PreviewContent::Kind::text);
    EXPECT_EQ(start.text.size(), PreviewContent::textBytes - 1);
    EXPECT_EQ(PreviewContent::load(temp.write("kurz.txt", "Grüße\n")).text, QStringLiteral("Grüße\n"));

    const PreviewContent binary = PreviewContent::load(temp.write("daten.bin", QByteArray("\x01\x00\x02", 3)));
    EXPECT_EQ(binary.kind, PreviewContent::Kind::summary);
    EXPECT_EQ(binary.summary, QStringLiteral("daten.bin\n3 Byte"));
    const PreviewContent latin = PreviewContent::load(temp.write("alt.txt", "Gr\xfc\xdf"));
    EXPECT_EQ(latin.kind, PreviewContent::Kind::summary) << "not UTF-8";

    const FileUrl fifo = temp.file("rohr");
    ASSERT_EQ(mkfifo(fifo.nativePath().constData(), 0600), 0);
    EXPECT_EQ(PreviewContent::load(fifo).summary, QStringLiteral("rohr")) << "a FIFO is never read";
    EXPECT_EQ(PreviewContent::load(temp.makeFolder("Ordner")).summary, QStringLiteral("Ordner"));
}

TEST_F(PreviewTest, ThePanelPreviewsTheFirstSelectedEntry)
{
    temp.write("a.txt", "Inhalt von a");
    temp.write("b.txt", "Inhalt von b");
    auto panel = makePanel(temp.url());
    panel->showPreview();
    EXPECT_EQ(panel->previewWindow(), nullptr) << "nothing selected, nothing shown";

    selectRows(*panel, {1});
    panel->setMarked({temp.file("a.txt")});
    ASSERT_EQ(panel->previewItem(), temp.file("a.txt"));
    panel->showPreview();
    auto* window = qobject_cast<PreviewWindow*>(panel->previewWindow());
    ASSERT_NE(window, nullptr);
    QSignalSpy shown(window, &PreviewWindow::contentShown);
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->content()->text, QStringLiteral("Inhalt von a"));
}
