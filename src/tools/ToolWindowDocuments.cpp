#include "tools/ToolWindowDocuments.h"

#include <QFontDatabase>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>

namespace {

struct DeleteLater {
    void operator()(QTextDocument* document) const { document->deleteLater(); }
};

// Two private-use characters end a block inside a text document; a file may
// contain them, and every line of the file must stay one line of the view.
void neutraliseFrameMarks(QString& text)
{
    text.replace(QChar(0xfdd0), QChar::ReplacementCharacter);
    text.replace(QChar(0xfdd1), QChar::ReplacementCharacter);
}

} // namespace

SharedDocument buildPlainDocument(QString text, const QFont& font, QThread* home, const LineBackground& background)
{
    auto* document = new QTextDocument;
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    neutraliseFrameMarks(text);
    document->setPlainText(text);
    // Every line gets its layout object here: the view creates the missing
    // ones when it takes the document, a hundred thousand allocations on the
    // GUI thread.
    qsizetype line = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++line) {
        block.layout();
        if (!background)
            continue;
        if (const std::optional<QColor> colour = background(line)) {
            QTextBlockFormat format;
            format.setBackground(*colour);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    // Last: the layout then starts from the finished text in one piece.
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    document->moveToThread(home);
    return SharedDocument(document, DeleteLater());
}

QFont toolTextFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(12);
    return font;
}
