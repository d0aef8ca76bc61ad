#include "dialogs/VerdictMarks.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "dialogs/core/ResultPaths.h"

int MarkUnfulfilledLines(wl::Window& page, int id, const std::string& text) {
    auto* edit = qobject_cast<QPlainTextEdit*>(page.GetDlgItemWidget(id));
    if (!edit) return 0;
    QTextCharFormat format;
    format.setForeground(QColor(QRgb(kUnfulfilledColour)));
    format.setFontWeight(QFont::Bold);
    int marked = 0;
    for (int line : UnfulfilledLines(text)) {
        const QTextBlock block = edit->document()->findBlockByNumber(line);
        if (!block.isValid()) continue;
        QTextCursor c(block);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.mergeCharFormat(format);
        ++marked;
    }
    return marked;
}

void UseFixedPitch(wl::Window& page, int id) {
    QWidget* edit = page.GetDlgItemWidget(id);
    if (!edit) return;
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(edit->font().pointSizeF() > 0 ? edit->font().pointSizeF() : f.pointSizeF());
    edit->setFont(f);
    // A table's rows stay whole: a narrow box scrolls sideways instead of
    // breaking a row under the next one.
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit)) plain->setLineWrapMode(QPlainTextEdit::NoWrap);
}
