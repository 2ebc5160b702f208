#pragma once

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>

#include <memory>

class QTextDocument;

// The text control's layout on screen.
//
// Qt's own document layout moves every paragraph after a change, line by line, so that a
// keystroke near the start of a long plan cost time in proportion to all the text after
// it. This layout keeps the height of each top-level paragraph and table in a tree of
// sums: a change lays out again only the paragraphs it touched, and a position is found
// from the tree, however long the plan. Paragraphs are laid out as Qt lays them out (the
// same line breaks and line heights), so what the user sees does not change.
//
// Layout is lazy, as with Qt's: after a whole new text or a new width only what is shown is
// laid out at once, and the rest in the background, in slices short enough not to be
// felt; anything that asks for a position (the caret's rectangle, a paragraph's place) has
// the text laid out up to there first. Until then the remaining paragraphs count with an
// estimated height.
//
// Every paragraph's QTextLayout is kept at position (0, 0): its place on the page comes
// from blockBoundingRect(), which is how Qt's text widgets and cursor read it.
class ScreenLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT

public:
    explicit ScreenLayout(QTextDocument* doc);
    ~ScreenLayout() override;

    // Gives the document this layout unless it has it already.
    static void install(QTextDocument* doc);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // The whole text laid out now, not in the background.
    void layoutAll();
    // Whether any of the text still counts with an estimated height.
    bool isComplete() const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void resizeInlineObject(QTextInlineObject item, int posInDocument,
                            const QTextFormat& format) override;
    void drawInlineObject(QPainter* painter, const QRectF& rect, QTextInlineObject object,
                          int posInDocument, const QTextFormat& format) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    friend struct Impl;
};
