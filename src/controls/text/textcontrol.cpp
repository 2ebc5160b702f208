#include "controls/text/textcontrol.h"

#include "controls/text/pictures.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/tablemodel.h"

#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/screenlayout.h"
#include "controls/text/tagindex.h"
#include "controls/text/textformat.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSaveFile>
#include "platform/safefile.h"
#include <QPointer>
#include <QRubberBand>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextTable>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

const char* const TextControl::NativeMimeType = "application/x-tandel-rtf";

namespace {

const char* const kRtfMimeTypes[] = {"text/rtf", "application/rtf", "text/richtext"};

int roundToInt(double v) {
    return int(std::lround(v));
}

// Lays hidden runs out so that they take no room and draw nothing. It only gives the
// paragraphs' layouts display formats: the document's own formats, which the files, the
// clipboard and every attribute read see, stay as they are, and nothing reaches the undo
// history. (A QSyntaxHighlighter would do the same, but switching it on over a long plan
// lays the text out again once per paragraph.)
class HiddenRunPainter {
public:
    HiddenRunPainter() {
        look_.setFontPointSize(0.75);
        // A tiny font whose glyphs keep a hundredth of their advance (a spacing of 0 would
        // mean "unchanged").
        look_.setFontLetterSpacingType(QFont::PercentageSpacing);
        look_.setFontLetterSpacing(1);
        look_.setFontUnderline(false);
        look_.setFontStrikeOut(false);
        look_.setFontOverline(false);
        look_.setForeground(Qt::transparent);
        look_.setBackground(Qt::transparent);
    }

    // The paragraphs holding positions from..to, from within QTextDocument::contentsChange,
    // where the layout takes the marked paragraphs in with the change itself.
    void paintChanged(QTextDocument* doc, int from, int to) const {
        const int last = doc->characterCount() - 1;
        for (QTextBlock b = doc->findBlock(std::clamp(from, 0, last));
             b.isValid() && b.position() <= to; b = b.next()) {
            if (paintBlock(b)) doc->markContentsDirty(b.position(), b.length());
        }
    }

    // Every paragraph, then one layout of the whole text.
    void paintAll(QTextDocument* doc) const {
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            paintBlock(b);
        doc->markContentsDirty(0, doc->characterCount());
    }

    // Takes every display format away and shows every paragraph again.
    static void clearAll(QTextDocument* doc) {
        bool changed = false;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            QTextLayout* layout = b.layout();
            if (layout && !layout->formats().isEmpty()) {
                layout->clearFormats();
                changed = true;
            }
            if (!b.isVisible()) {
                b.setVisible(true);
                changed = true;
            }
        }
        if (changed) doc->markContentsDirty(0, doc->characterCount());
    }

private:
    // Returns whether anything changed.
    bool paintBlock(QTextBlock block) const {
        const int base = block.position();
        QList<QTextLayout::FormatRange> ranges;
        bool allHidden = block.length() > 1;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            if (f.charFormat().boolProperty(TextFormat::HiddenProperty))
                ranges.append(QTextLayout::FormatRange{f.position() - base, f.length(), look_});
            else
                allHidden = false;
        }
        bool changed = false;
        QTextLayout* layout = block.layout();
        if (layout && !(ranges.isEmpty() && layout->formats().isEmpty())) {
            layout->setFormats(ranges);
            changed = true;
        }
        // A paragraph of nothing but hidden text would still take a thin line of its own;
        // out of sight it takes none.
        if (block.isVisible() == allHidden) {
            block.setVisible(!allHidden);
            changed = true;
        }
        return changed;
    }

    QTextCharFormat look_;
};

// Line breaks as the program hands them over ("\r\n", "\r" or "\n") become paragraph
// breaks, one character each.
QString normalizeBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The document's text as the program reads it: a paragraph break is "\n".
QString readableText(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

bool isHiddenFormat(const QTextCharFormat& f) {
    return f.boolProperty(TextFormat::HiddenProperty);
}

// The text of a document without its hidden runs, paragraphs ending in "\n".
QString visibleText(const QTextDocument& doc) {
    QString out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block != doc.begin()) out += QLatin1Char('\n');
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid() && !isHiddenFormat(f.charFormat())) out += f.text();
        }
    }
    return readableText(out);
}

// Takes the hidden runs out of a document; a paragraph of nothing but hidden text goes
// with its paragraph break, so that it leaves no empty line behind.
void removeHiddenRuns(QTextDocument* doc) {
    std::vector<std::pair<int, int>> ranges;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        bool allHidden = block.length() > 1;
        const size_t first = ranges.size();
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            if (isHiddenFormat(f.charFormat()))
                ranges.emplace_back(f.position(), f.position() + f.length());
            else
                allHidden = false;
        }
        const int breakAt = block.position() + block.length() - 1;
        const QTextBlock next = block.next();
        // Only a plain paragraph break goes, never the edge of a table cell.
        if (allHidden && next.isValid() && next.position() == breakAt + 1 &&
            doc->characterAt(breakAt) == QChar::ParagraphSeparator &&
            QTextCursor(block).currentFrame() == QTextCursor(next).currentFrame()) {
            ranges.resize(first);
            ranges.emplace_back(block.position(), breakAt + 1);
        }
    }
    QTextCursor c(doc);
    c.beginEditBlock();
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        c.setPosition(it->first);
        c.setPosition(it->second, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    c.endEditBlock();
}

// Plans are written left to right. Saying so spares the layout a scan of every paragraph's
// text for its direction after each keystroke, which on a long plan costs more than the
// keystroke itself.
void useLeftToRight(QTextDocument* doc) {
    QTextOption option = doc->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    doc->setDefaultTextOption(option);
}

} // namespace

struct TextControl::Private {
    TagIndex index;
    HiddenRunPainter painter; // at work while hidden text is not shown
    int tagReadSelect = 0;
    int showHidden = 0;
    int docWidth = -1; // twips; -1 while the text wraps at the window's width
    int pageHeight = 15840;
    int printerDC = 0;
    int borderStyle = 1;
    int backColor = 0xffffff;
    int f2on = 1;
    int f3on = 1;
    int dataType = NativeRtf;
    int writeProtect = 0;
    QString fileName;
    bool lastFileOk = true;
    bool lastFileComplete = true;
    QStringList lastFileNotes;
    // A picture being resized by one of its handles: its position, the corner that stays,
    // its proportions, and the frame that shows the new size until the button is released.
    int resizing = -1;
    QPointF resizeAnchor;
    double resizeAspect = 1;
    QRubberBand* resizeBand = nullptr;
    QString lastFileFailure;
    QString lastFileError;
    bool undoCleared = true; // UnDoAction reads 0 until the next edit
    int editDepth = 0;       // EditSteps open
    // Undo groups, as the document's count of undo commands before and after each (the
    // commands of every edit block are counted one by one).
    int groupDepth = 0;
    int groupStart = 0;
    QList<QPair<int, int>> groups;
    bool afterDoubleClick = false;
    QString lastPhrase;
    bool lastPhraseCase = false;
    QPointer<QTextTable> fillerTable; // a table whose filler cells changed, to restyle
};

TextControl::TextControl(QWidget* parent) : QTextEdit(parent), d(std::make_unique<Private>()) {
    setAcceptRichText(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setTabChangesFocus(false);

    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    useLeftToRight(doc);
    ScreenLayout::install(doc);
    setDocument(doc);
    connectDocument();
    d->index.setDocument(doc);

    setBorderStyle(1);
    setBackColor(0xffffff);

    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { emit OnATXVScrollClick(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { emit OnATXHScrollClick(); });
}

TextControl::~TextControl() = default;

void TextControl::connectDocument() {
    QTextDocument* doc = document();
    connect(doc, &QTextDocument::contentsChange, this, [this](int pos, int removed, int added) {
        d->index.contentsChange(pos, removed, added);
        if (!d->showHidden) d->painter.paintChanged(document(), pos, pos + added);
        restyleFillerLater(pos);
    });
    connect(doc, &QTextDocument::contentsChanged, this, [this] { emit OnATXChange(); });
    connect(doc, &QTextDocument::undoCommandAdded, this, [this] {
        d->undoCleared = false;
        // A new edit drops the steps that could have been done again, and their groups.
        const int now = document()->availableUndoSteps();
        while (!d->groups.isEmpty() && d->groups.last().second >= now)
            d->groups.removeLast();
    });
    connect(doc, &QTextDocument::undoAvailable, this, [this](bool available) {
        if (!available && !document()->isRedoAvailable()) d->groups.clear();
    });
}

// Text typed or pasted into the space at the end of a short row makes a cell there, which
// takes the table's borders; the document may not be changed from within its own change
// signal, so that follows right after.
void TextControl::restyleFillerLater(int pos) {
    if (d->fillerTable) return;
    QTextCursor at(document());
    at.setPosition(clampPosition(pos));
    QTextTable* table = at.currentTable();
    if (!fillerInTable(table, pos)) return;
    d->fillerTable = table;
    QTimer::singleShot(0, this, [this] {
        const QPointer<QTextTable> table = d->fillerTable;
        d->fillerTable.clear();
        if (table && table->document() == document()) restyleTypedFillers(table);
    });
}

QTextDocument* TextControl::newDocument() const {
    auto* doc = new QTextDocument(const_cast<TextControl*>(this));
    doc->setDefaultFont(document()->defaultFont());
    doc->setDocumentMargin(document()->documentMargin());
    doc->setDefaultTextOption(document()->defaultTextOption());
    // No layout yet: a file read into it is laid out once, when the control takes it.
    return doc;
}

void TextControl::adoptDocument(QTextDocument* doc) {
    QTextDocument* old = document();
    if (old == doc || !doc) return;
    if (doc->parent() != this) doc->setParent(this);
    doc->setUndoRedoEnabled(true);
    doc->clearUndoRedoStacks();
    useLeftToRight(doc);
    ScreenLayout::install(doc);
    disconnect(old, nullptr, this, nullptr);
    const bool readOnly = isReadOnly();
    const Qt::TextInteractionFlags flags = textInteractionFlags();
    setDocument(doc);
    setReadOnly(readOnly);
    setTextInteractionFlags(flags);
    connectDocument();
    d->index.setDocument(doc);
    if (d->showHidden)
        HiddenRunPainter::clearAll(doc);
    else
        d->painter.paintAll(doc);
    d->undoCleared = true;
    // Later, not now: the caller may be inside one of the old document's own signals.
    if (old && old->parent() == this) old->deleteLater();
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

// ---------------------------------------------------------------------------------------
// Positions and selection

int TextControl::TextLength() const {
    return document()->characterCount() - 1;
}

int TextControl::clampPosition(int pos) const {
    return std::clamp(pos, 0, TextLength());
}

void TextControl::selectRange(int anchor, int position) {
    QTextCursor c(document());
    c.setPosition(clampPosition(anchor));
    c.setPosition(clampPosition(position), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

int TextControl::SelStart() const {
    return textCursor().selectionStart();
}

void TextControl::setSelStart(int pos) {
    pos = clampPosition(pos);
    selectRange(pos, pos);
}

int TextControl::SelLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TextControl::setSelLength(int length) {
    const int start = SelStart();
    selectRange(start, start + std::max(0, length));
}

QString TextControl::SelText() const {
    return readableText(textCursor().selectedText());
}

void TextControl::setSelText(const QString& text) {
    QTextCursor c = textCursor();
    c.insertText(normalizeBreaks(text));
    setTextCursor(c);
}

QString TextControl::SelFText() const {
    return QString::fromLatin1(RtfWriter::write(textCursor(), RtfWriter::Native));
}

void TextControl::setSelFText(const QString& text) {
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    const QByteArray bytes = text.toUtf8();
    // Formatted text in place of the whole text brings its own paragraph format, as into
    // an empty document; pasted into a paragraph it takes that paragraph's.
    const bool wholeText = start == 0 && c.selectionEnd() == TextLength();
    c.beginEditBlock();
    bool inserted = false;
    if (RtfReader::isRtf(bytes)) inserted = RtfReader::insert(bytes, &c, nullptr, wholeText);
    if (!inserted) c.insertText(normalizeBreaks(text));
    c.endEditBlock();
    // The inserted text stays selected, so that attributes and tags written next apply to it.
    selectRange(start, c.position());
}

int TextControl::Select() const {
    return textCursor().hasSelection() ? -1 : 0;
}

int TextControl::CurPar() const {
    return textCursor().blockNumber();
}

void TextControl::setCurPar(int paragraph) {
    const QTextBlock block =
        document()->findBlockByNumber(std::clamp(paragraph, 0, document()->blockCount() - 1));
    selectRange(block.position(), block.position());
}

int TextControl::CurChar() const {
    return textCursor().positionInBlock();
}

int TextControl::positionInParagraph(const QTextBlock& block, int character) const {
    return block.position() + std::clamp(character, 0, block.length() - 1);
}

void TextControl::setCurChar(int character) {
    const int pos = positionInParagraph(textCursor().block(), character);
    selectRange(pos, pos);
}

int TextControl::SelToPar() const {
    return textCursor().blockNumber();
}

void TextControl::setSelToPar(int paragraph) {
    const QTextCursor c = textCursor();
    const QTextBlock block =
        document()->findBlockByNumber(std::clamp(paragraph, 0, document()->blockCount() - 1));
    selectRange(c.anchor(), positionInParagraph(block, c.positionInBlock()));
}

int TextControl::SelToChar() const {
    return textCursor().positionInBlock();
}

void TextControl::setSelToChar(int character) {
    const QTextCursor c = textCursor();
    selectRange(c.anchor(), positionInParagraph(c.block(), character));
}

int TextControl::LineNumber() const {
    const QTextCursor c = textCursor();
    const QTextBlock caretBlock = c.block();
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    layout->blockBoundingRect(caretBlock); // lays the text out up to the caret
    int line = 0;
    for (QTextBlock b = document()->begin(); b.isValid() && b != caretBlock; b = b.next())
        line += b.layout() ? b.layout()->lineCount() : 0;
    if (QTextLayout* l = caretBlock.layout(); l && l->lineCount() > 0)
        line += std::max(0, l->lineForTextPosition(c.positionInBlock()).lineNumber());
    return line;
}

void TextControl::setLineNumber(int line) {
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    int remaining = std::max(0, line);
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        layout->blockBoundingRect(b);
        const int count = b.layout() ? b.layout()->lineCount() : 0;
        if (remaining < count) {
            const int pos = b.position() + b.layout()->lineAt(remaining).textStart();
            selectRange(pos, pos);
            return;
        }
        remaining -= count;
    }
    setSelStart(TextLength());
}

// ---------------------------------------------------------------------------------------
// Character attributes

QTextCharFormat TextControl::readFormat() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return c.charFormat();
    QTextCursor first(document());
    first.setPosition(c.selectionStart() + 1);
    return first.charFormat();
}

QTextCharFormat TextControl::readTagFormat() const {
    if (d->tagReadSelect) return readFormat();
    return textCursor().charFormat();
}

void TextControl::writeFormat(const QTextCharFormat& f) {
    // A selection from one table cell into another is a rectangle of cells to Qt; the
    // program means the text between the two ends, as in any other paragraph.
    // A selection with an end inside a table is widened by Qt to the whole table when the
    // other end is outside it; the program means the characters between the two ends.
    const QTextCursor c = textCursor();
    const int from = std::min(c.anchor(), c.position());
    const int to = std::max(c.anchor(), c.position());
    if (c.hasComplexSelection() || (c.hasSelection() && (c.selectionStart() != from ||
                                                         c.selectionEnd() != to))) {
        mergeCharFormatInOrder(document(), from, to, f);
    } else {
        mergeCurrentCharFormat(f);
    }
}

int TextControl::FontBold() const {
    return readFormat().fontWeight() > QFont::Medium ? -1 : 0;
}

void TextControl::setFontBold(int value) {
    QTextCharFormat f;
    f.setFontWeight(value ? QFont::Bold : QFont::Normal);
    writeFormat(f);
}

int TextControl::FontItalic() const {
    return readFormat().fontItalic() ? -1 : 0;
}

void TextControl::setFontItalic(int value) {
    QTextCharFormat f;
    f.setFontItalic(value != 0);
    writeFormat(f);
}

int TextControl::FontStrike() const {
    return readFormat().fontStrikeOut() ? -1 : 0;
}

void TextControl::setFontStrike(int value) {
    QTextCharFormat f;
    f.setFontStrikeOut(value != 0);
    writeFormat(f);
}

int TextControl::FontUnder() const {
    return readFormat().fontUnderline() ? 1024 : 0;
}

void TextControl::setFontUnder(int value) {
    QTextCharFormat f;
    f.setFontUnderline(value != 0);
    writeFormat(f);
}

QString TextControl::FontName() const {
    const QTextCharFormat f = readFormat();
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty()) return families.first();
    return document()->defaultFont().family();
}

void TextControl::setFontName(const QString& name) {
    if (name.trimmed().isEmpty()) return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    writeFormat(f);
}

double TextControl::FontSize() const {
    const double size = readFormat().fontPointSize();
    return size > 0 ? size : document()->defaultFont().pointSizeF();
}

void TextControl::setFontSize(double points) {
    if (!(points > 0) || points > 1638) return;
    QTextCharFormat f;
    f.setFontPointSize(points);
    writeFormat(f);
}

int TextControl::FontColor() const {
    const QTextCharFormat f = readFormat();
    if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.foreground().style() == Qt::NoBrush)
        return 0;
    return TextFormat::toWinColor(f.foreground().color());
}

void TextControl::setFontColor(int color) {
    QTextCharFormat f;
    f.setForeground(TextFormat::fromWinColor(color));
    writeFormat(f);
}

int TextControl::FontHidden() const {
    return isHiddenFormat(readFormat()) ? -1 : 0;
}

void TextControl::setFontHidden(int value) {
    QTextCharFormat f;
    f.setProperty(TextFormat::HiddenProperty, value != 0);
    writeFormat(f);
}

// ---------------------------------------------------------------------------------------
// Paragraph attributes

QTextBlockFormat TextControl::readBlockFormat() const {
    const QTextCursor c = textCursor();
    return document()->findBlock(c.selectionStart()).blockFormat();
}

void TextControl::writeBlockFormat(const QTextBlockFormat& f) {
    QTextCursor c = textCursor();
    if (c.hasComplexSelection())
        mergeBlockFormatInOrder(c, f);
    else
        c.mergeBlockFormat(f);
}

int TextControl::Alignment() const {
    switch (readBlockFormat().alignment() & Qt::AlignHorizontal_Mask) {
    case Qt::AlignRight:
        return 1;
    case Qt::AlignHCenter:
        return 2;
    case Qt::AlignJustify:
        return 3;
    default:
        return 0;
    }
}

void TextControl::setAlignment(int alignment) {
    static const Qt::Alignment kinds[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                          Qt::AlignJustify};
    if (alignment < 0 || alignment > 3) return;
    QTextBlockFormat f;
    f.setAlignment(kinds[alignment]);
    writeBlockFormat(f);
}

int TextControl::FirstLineIndent() const {
    return TextFormat::indentToTwips(readBlockFormat().textIndent());
}

void TextControl::setFirstLineIndent(int twips) {
    QTextBlockFormat f;
    f.setTextIndent(TextFormat::twipsToIndent(twips));
    writeBlockFormat(f);
}

int TextControl::LeftIndent() const {
    return TextFormat::indentToTwips(readBlockFormat().leftMargin());
}

void TextControl::setLeftIndent(int twips) {
    QTextBlockFormat f;
    f.setLeftMargin(TextFormat::twipsToIndent(twips));
    writeBlockFormat(f);
}

int TextControl::RightIndent() const {
    return TextFormat::indentToTwips(readBlockFormat().rightMargin());
}

void TextControl::setRightIndent(int twips) {
    QTextBlockFormat f;
    f.setRightMargin(TextFormat::twipsToIndent(twips));
    writeBlockFormat(f);
}

// ---------------------------------------------------------------------------------------
// Tags

int TextControl::HTag() const {
    return readTagFormat().intProperty(TextFormat::HTagProperty);
}

void TextControl::setHTag(int tag) {
    QTextCharFormat f;
    f.setProperty(TextFormat::HTagProperty, tag);
    writeFormat(f);
}

int TextControl::NTag() const {
    return readTagFormat().intProperty(TextFormat::NTagProperty);
}

void TextControl::setNTag(int tag) {
    QTextCharFormat f;
    f.setProperty(TextFormat::NTagProperty, tag);
    writeFormat(f);
}

int TextControl::PTag() const {
    const QTextCursor c = textCursor();
    const int pos = d->tagReadSelect ? c.selectionStart() : c.position();
    return document()->findBlock(pos).blockFormat().intProperty(TextFormat::PTagProperty);
}

void TextControl::setPTag(int tag) {
    QTextBlockFormat f;
    f.setProperty(TextFormat::PTagProperty, tag);
    writeBlockFormat(f);
}

int TextControl::TagReadSelect() const {
    return d->tagReadSelect;
}

void TextControl::setTagReadSelect(int value) {
    d->tagReadSelect = value ? 1 : 0;
}

int TextControl::findTag(int kind, int value, int direction) {
    const auto k = TagIndex::Kind(kind);
    const QTextCursor c = textCursor();
    std::optional<TagIndex::Run> run;
    if (direction > 0) {
        // From a selection (a run found before) the search goes past its start; from a
        // bare caret a run beginning right there counts.
        run = d->index.findForward(k, value, c.selectionStart(), !c.hasSelection());
    } else if (direction < 0) {
        run = d->index.findBackward(k, value, c.selectionStart());
    } else {
        const int pos = c.selectionStart();
        run = d->index.runAt(k, pos);
        if ((!run || run->value != value) && pos > 0 && k != TagIndex::PTag)
            run = d->index.runAt(k, pos - 1);
        if (run && run->value != value) run.reset();
    }
    if (!run) return -1;
    selectRange(run->start, run->end);
    showPosition(run->start);
    return run->start;
}

void TextControl::showPosition(int pos) {
    QTextCursor at(document());
    at.setPosition(clampPosition(pos));
    const QRect r = cursorRect(at);
    if (r.top() < 0 || r.bottom() > viewport()->height())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + r.top());
}

int TextControl::FIND_HTAG(int value, int direction) {
    const int start = findTag(TagIndex::HTag, value, direction);
    return start < 0 ? 0 : start + 1;
}

int TextControl::FIND_NTAG(int value, int direction) {
    const int start = findTag(TagIndex::NTag, value, direction);
    return start < 0 ? 0 : start + 1;
}

int TextControl::FIND_PTAG(int value, int direction) {
    const int start = findTag(TagIndex::PTag, value, direction);
    return start < 0 ? -1 : document()->findBlock(start).blockNumber();
}

std::vector<std::array<int, 3>> TextControl::tagRuns(int kind, bool fromIndex) {
    std::vector<std::array<int, 3>> out;
    const auto k = TagIndex::Kind(kind);
    const std::vector<TagIndex::Run> runs =
        fromIndex ? d->index.runs(k) : TagIndex::scan(*document(), k);
    out.reserve(runs.size());
    for (const TagIndex::Run& r : runs)
        out.push_back({r.start, r.end, r.value});
    return out;
}

TagIndex& TextControl::tagIndex() {
    return d->index;
}

// ---------------------------------------------------------------------------------------
// Searching and geometry

int TextControl::find_phrase(const QString& text, int direction, int matchCase) {
    if (text.isEmpty()) return NotFound;
    d->lastPhrase = text;
    d->lastPhraseCase = matchCase != 0;
    QTextDocument::FindFlags flags;
    if (matchCase) flags |= QTextDocument::FindCaseSensitively;
    const int from = SelStart();
    QTextCursor found;
    if (direction != 0) {
        found = document()->find(text, from, flags);
    } else {
        flags |= QTextDocument::FindBackward;
        found = document()->find(text, from, flags);
    }
    if (found.isNull()) return NotFound;
    return found.selectionStart();
}

int TextControl::ATX_CURTOXY(int paragraph, int character, int& x, int& y) {
    const QTextBlock block = document()->findBlockByNumber(paragraph);
    if (paragraph < 0 || !block.isValid()) return 1;
    const int inBlock = std::clamp(character, 0, block.length() - 1);
    const QRectF rect = document()->documentLayout()->blockBoundingRect(block);
    double px = rect.x();
    double py = rect.y();
    if (QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(inBlock);
        // Asked in the middle of an edit (a scroll the edit causes), the paragraph may not
        // have been laid out again yet: a line that reaches past its text is left from
        // before, and justifying it crashed inside Qt. Its paragraph's top is all there is.
        if (line.isValid() && line.textStart() + line.textLength() <= block.length() - 1) {
            px += line.cursorToX(inBlock);
            py += line.y();
        }
    }
    x = roundToInt(px * 1440.0 / logicalDpiX());
    y = roundToInt(py * 1440.0 / logicalDpiY());
    return 0;
}

// ---------------------------------------------------------------------------------------
// View

int TextControl::ShowHidden() const {
    return d->showHidden;
}

void TextControl::setShowHidden(int value) {
    const int show = value ? 1 : 0;
    if (show == d->showHidden) return;
    d->showHidden = show;
    if (show)
        HiddenRunPainter::clearAll(document());
    else
        d->painter.paintAll(document());
    viewport()->update();
}

int TextControl::pixelsToTwipsY(double px) const {
    return roundToInt(px * 1440.0 / logicalDpiY());
}

int TextControl::twipsToPixelsY(int twips) const {
    return roundToInt(twips * logicalDpiY() / 1440.0);
}

int TextControl::ScrollVert() const {
    return pixelsToTwipsY(verticalScrollBar()->value());
}

void TextControl::setScrollVert(int twips) {
    const int px = twipsToPixelsY(std::max(0, twips));
    if (px > verticalScrollBar()->maximum()) finishLayout();
    verticalScrollBar()->setValue(px);
}

int TextControl::ScrollHorz() const {
    return roundToInt(horizontalScrollBar()->value() * 1440.0 / logicalDpiX());
}

void TextControl::setScrollHorz(int twips) {
    horizontalScrollBar()->setValue(roundToInt(std::max(0, twips) * logicalDpiX() / 1440.0));
}

void TextControl::finishLayout() const {
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    layout->blockBoundingRect(document()->lastBlock());
    layout->documentSize();
}

int TextControl::EndScrollPos() const {
    finishLayout();
    const double docHeight = document()->documentLayout()->documentSize().height();
    return pixelsToTwipsY(std::max(0.0, docHeight - viewport()->height()));
}

int TextControl::DocWidth() const {
    if (d->docWidth >= 0) return d->docWidth;
    return roundToInt(viewport()->width() * 1440.0 / logicalDpiX());
}

void TextControl::setDocWidth(int twips) {
    if (twips <= 0) return;
    d->docWidth = twips;
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(std::max(1, roundToInt(twips * logicalDpiX() / 1440.0)));
}

int TextControl::PageHeight() const {
    return d->pageHeight;
}

void TextControl::setPageHeight(int twips) {
    if (twips > 0) d->pageHeight = twips;
}

int TextControl::PrinterDC() const {
    return d->printerDC;
}

void TextControl::setPrinterDC(int value) {
    d->printerDC = value ? 1 : 0;
}

int TextControl::BorderStyle() const {
    return d->borderStyle;
}

void TextControl::setBorderStyle(int style) {
    d->borderStyle = style ? 1 : 0;
    setFrameShape(style ? QFrame::StyledPanel : QFrame::NoFrame);
    setFrameShadow(QFrame::Sunken);
}

int TextControl::BackColor() const {
    return d->backColor;
}

void TextControl::setBackColor(int color) {
    d->backColor = color & 0xffffff;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, TextFormat::fromWinColor(d->backColor));
    setPalette(pal);
}

int TextControl::F2ON() const {
    return d->f2on;
}

void TextControl::setF2ON(int value) {
    d->f2on = value ? 1 : 0;
}

int TextControl::F3ON() const {
    return d->f3on;
}

void TextControl::setF3ON(int value) {
    d->f3on = value ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// Files

QString TextControl::FileName() const {
    return d->fileName;
}

void TextControl::setFileName(const QString& name) {
    d->fileName = name;
}

int TextControl::DataType() const {
    return d->dataType;
}

void TextControl::setDataType(int type) {
    d->dataType = type;
}

int TextControl::FileLoad() const {
    return 0;
}

void TextControl::setFileLoad(int value) {
    if (value == 1) loadFile(d->fileName, d->dataType);
}

int TextControl::FileSave() const {
    return 0;
}

void TextControl::setFileSave(int value) {
    if (value == 1) saveFile(d->fileName, d->dataType);
}

bool TextControl::lastFileOk() const {
    return d->lastFileOk;
}

QString TextControl::lastFileError() const {
    return d->lastFileError;
}

bool TextControl::loadFile(const QString& fileName, int dataType) {
    const QString shown = QDir::toNativeSeparators(fileName);
    auto fail = [&](const QString& why) {
        adoptDocument(newDocument());
        d->lastFileOk = false;
        d->lastFileComplete = false;
        d->lastFileNotes.clear();
        d->lastFileError = why;
        return false;
    };
    if (dataType != PlainText && dataType != NativeRtf && dataType != StandardRtf)
        return fail(tr("Unable to read %1: unknown file type %2").arg(shown).arg(dataType));
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fail(tr("Unable to read %1").arg(shown));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) return fail(tr("Unable to read %1").arg(shown));

    QTextDocument* doc = newDocument();
    bool complete = true;
    QStringList notes;
    if (dataType == PlainText) {
        QTextCursor c(doc);
        c.insertText(normalizeBreaks(QString::fromUtf8(data)));
    } else {
        QString error;
        if (!RtfReader::isRtf(data)) {
            delete doc;
            return fail(tr("%1 is not a rich text file").arg(shown));
        }
        if (!RtfReader::read(data, doc, &error, &complete, &notes)) {
            delete doc;
            return fail(tr("Unable to read %1: %2").arg(shown, error));
        }
    }
    doc->clearUndoRedoStacks();
    doc->setModified(false);
    adoptDocument(doc);
    d->lastFileOk = true;
    d->lastFileComplete = complete;
    d->lastFileNotes = notes;
    d->lastFileError.clear();
    return true;
}

QString TextControl::lastFileFailure() const {
    return d->lastFileFailure;
}

QString TextControl::lastFileNotes() const {
    if (d->lastFileNotes.isEmpty()) return {};
    return tr("Some pictures in this file are not shown: %1 They are kept as they are, and each "
              "shows as a grey box.")
        .arg(d->lastFileNotes.join(QLatin1Char(' ')));
}

bool TextControl::lastFileComplete() const {
    return d->lastFileComplete;
}

bool TextControl::saveFile(const QString& fileName, int dataType) {
    if (!exportFile(fileName, dataType)) return false;
    d->undoCleared = true;
    document()->setModified(false);
    return true;
}

bool TextControl::exportFile(const QString& fileName, int dataType) {
    const QString shown = QDir::toNativeSeparators(fileName);
    auto fail = [&](const QString& why) {
        d->lastFileOk = false;
        d->lastFileError = why;
        return false;
    };
    QByteArray data;
    switch (dataType) {
    case PlainText:
        data = readableText(plainTextWithTables(*document(), [](const QTextCharFormat& f) {
                   return !isHiddenFormat(f);
               })).toUtf8();
        break;
    case NativeRtf:
        data = RtfWriter::write(*document(), RtfWriter::Native);
        break;
    case StandardRtf:
        data = RtfWriter::write(*document(), RtfWriter::Standard);
        break;
    default:
        return fail(tr("Unable to write to %1: unknown file type %2").arg(shown).arg(dataType));
    }
    SafeFile file(fileName);
    if (fileName.isEmpty() || !file.open() || !file.write(data) || !file.commit()) {
        fail(tr("Unable to write to %1").arg(shown));
        d->lastFileFailure = file.failure();
        return false;
    }
    d->lastFileOk = true;
    d->lastFileError.clear();
    d->lastFileFailure.clear();
    return true;
}

std::unique_ptr<QTextDocument> TextControl::logicalDocument(bool selectionOnly) const {
    std::unique_ptr<QTextDocument> doc;
    if (!selectionOnly) {
        doc.reset(document()->clone());
    } else {
        doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(document()->defaultFont());
        QTextCursor(doc.get()).insertFragment(textCursor().selection());
    }
    return doc;
}

std::unique_ptr<QTextDocument> TextControl::visibleDocument(bool selectionOnly) const {
    std::unique_ptr<QTextDocument> doc = logicalDocument(selectionOnly);
    if (!d->showHidden) removeHiddenRuns(doc.get());
    return doc;
}

std::unique_ptr<QTextDocument> TextControl::paperDocument(int first, int last) const {
    std::unique_ptr<QTextDocument> doc;
    const int length = TextLength();
    first = std::clamp(first, 0, length);
    last = last < 0 ? length : std::clamp(last, first, length);
    if (first == 0 && last == length) {
        doc.reset(document()->clone());
    } else {
        doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(document()->defaultFont());
        doc->setDefaultTextOption(document()->defaultTextOption());
        QTextCursor range(document());
        range.setPosition(first);
        range.setPosition(last, QTextCursor::KeepAnchor);
        QTextCursor(doc.get()).insertFragment(range.selection());
        // The fragment's first paragraph merges into the new document's empty one, which
        // keeps its own (default) format: a stretch that begins a paragraph takes that
        // paragraph's format and tags with it.
        const QTextBlock source = document()->findBlock(first);
        QTextCursor at(document());
        at.setPosition(first);
        if (source.position() == first && !at.currentTable()) {
            QTextCursor head(doc.get());
            if (!head.currentTable()) {
                head.setBlockFormat(source.blockFormat());
                head.setBlockCharFormat(source.charFormat());
            }
        }
    }
    doc->setUndoRedoEnabled(false);
    removeHiddenRuns(doc.get());
    return doc;
}

// ---------------------------------------------------------------------------------------
// Editing

int TextControl::UnDoAction() const {
    return (!d->undoCleared && document()->isUndoAvailable()) ? 3 : 0;
}

void TextControl::setUnDoAction(int value) {
    if (value == 0) {
        document()->clearUndoRedoStacks(QTextDocument::UndoAndRedoStacks);
        d->groups.clear();
        d->undoCleared = true;
    } else if (value == 1 && document()->isUndoAvailable()) {
        QTextDocument* doc = document();
        int down = doc->availableUndoSteps() - 1;
        for (const auto& [start, end] : std::as_const(d->groups)) {
            if (end == doc->availableUndoSteps()) down = start;
        }
        // Through the editor, so that the caret goes where the text changed.
        const ViewPlace view = viewPlace();
        while (doc->availableUndoSteps() > down && doc->isUndoAvailable()) {
            const int before = doc->availableUndoSteps();
            undo();
            if (doc->availableUndoSteps() == before) break;
        }
        keepView(view);
    }
}

int TextControl::ReDoAction() const {
    return document()->isRedoAvailable() ? 3 : 0;
}

void TextControl::setReDoAction(int value) {
    if (value == 1 && document()->isRedoAvailable()) {
        QTextDocument* doc = document();
        int up = doc->availableUndoSteps() + 1;
        for (const auto& [start, end] : std::as_const(d->groups)) {
            if (start == doc->availableUndoSteps()) up = end;
        }
        const ViewPlace view = viewPlace();
        while (doc->availableUndoSteps() < up && doc->isRedoAvailable()) {
            const int before = doc->availableUndoSteps();
            redo();
            if (doc->availableUndoSteps() == before) break;
        }
        keepView(view);
    }
}

void TextControl::beginUndoGroup() {
    if (d->groupDepth++ == 0) d->groupStart = document()->availableUndoSteps();
}

void TextControl::endUndoGroup() {
    if (d->groupDepth == 0 || --d->groupDepth > 0) return;
    const int end = document()->availableUndoSteps();
    if (end - d->groupStart > 1) d->groups.append({d->groupStart, end});
}

// While an edit block is open the layout has not yet taken the changes in: a caret placed
// then is shown by where the old layout had it, often the top of the text. So the view is
// settled once, when the outermost step ends.
TextControl::EditStep::EditStep(TextControl* text) : m_text(text) {
    if (!m_text) return;
    if (m_text->d->editDepth++ == 0) m_view = m_text->viewPlace();
    // Begun with the caret, which is where an undo of the step puts the caret back.
    m_text->textCursor().beginEditBlock();
}

TextControl::EditStep::~EditStep() {
    if (!m_text) return;
    QTextCursor(m_text->document()).endEditBlock();
    if (--m_text->d->editDepth == 0) m_text->keepView(m_view);
}

TextControl::ViewPlace TextControl::viewPlace() const {
    const QTextCursor top = cursorForPosition(QPoint(0, 0));
    return {top.position(), -cursorRect(top).top(), horizontalScrollBar()->value()};
}

void TextControl::setViewPlace(const ViewPlace& place) {
    QTextCursor at(document());
    at.setPosition(clampPosition(place.position));
    const int lineTop = cursorRect(at).top();
    if (lineTop + place.offset != 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + lineTop + place.offset);
    horizontalScrollBar()->setValue(place.scrollX);
}

void TextControl::keepView(const ViewPlace& place) {
    setViewPlace(place);
    ensureCursorVisible();
}

void TextControl::undo() {
    undoRedo(true);
}

void TextControl::redo() {
    undoRedo(false);
}

void TextControl::undoRedo(bool back) {
    QTextDocument* doc = document();
    if (back ? !doc->isUndoAvailable() : !doc->isRedoAvailable()) return;
    int changed = -1;
    const QMetaObject::Connection watch =
        connect(doc, &QTextDocument::contentsChange, this,
                [&changed](int pos, int, int added) { changed = pos + added; });
    if (back)
        doc->undo();
    else
        doc->redo();
    disconnect(watch);
    if (changed < 0) return;
    QTextCursor c(doc);
    c.setPosition(clampPosition(changed));
    setTextCursor(c);
}

int TextControl::ClipboardAction() const {
    return 0;
}

void TextControl::setClipboardAction(int action) {
    switch (action) {
    case 1:
        if (!d->writeProtect) cut();
        break;
    case 2:
        copy();
        break;
    case 3:
        if (!d->writeProtect) paste();
        break;
    default:
        break;
    }
}

int TextControl::WriteProtect() const {
    return d->writeProtect;
}

void TextControl::setWriteProtect(int value) {
    d->writeProtect = std::clamp(value, 0, 2);
    setReadOnly(d->writeProtect != 0);
    if (d->writeProtect)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    else
        setTextInteractionFlags(Qt::TextEditorInteraction);
}

int TextControl::PrepareLoad() {
    adoptDocument(newDocument());
    return 0;
}

// ---------------------------------------------------------------------------------------
// Pictures

namespace {

// A picture's natural size: its pixels at the resolution it was made for (96 dpi when it
// names none, or a resolution no picture has).
QSizeF naturalSize(const QImage& image) {
    const double dpmX = image.dotsPerMeterX(), dpmY = image.dotsPerMeterY();
    const auto dpi = [](double dpm) {
        // Stored as dots per metre, whole numbers: 3780 is 96 dpi.
        const double v = std::round(dpm * 0.0254);
        return v >= 30 && v <= 2400 ? v : 96.0;
    };
    return QSizeF(image.width() * 96.0 / dpi(dpmX), image.height() * 96.0 / dpi(dpmY));
}

} // namespace

bool TextControl::insertPicture(const QImage& image, const QSizeF& sizePoints, QString* error) {
    if (image.isNull()) {
        if (error) *error = tr("There is no picture to insert.");
        return false;
    }
    if (qint64(image.width()) * image.height() > Pictures::kMaxPixels) {
        if (error) *error = tr("The picture is larger than 50 megapixels.");
        return false;
    }
    if (d->writeProtect) {
        if (error) *error = tr("The text cannot be changed now.");
        return false;
    }
    return insertStoredPicture(Pictures::store(image), naturalSize(image), sizePoints, error);
}

bool TextControl::insertPictureData(const QByteArray& data, const QSizeF& sizePoints, QString* error) {
    if (d->writeProtect) {
        if (error) *error = tr("The text cannot be changed now.");
        return false;
    }
    Pictures::Kind kind = Pictures::Kind::Png;
    const QImage image = Pictures::decode(data, &kind, error);
    if (image.isNull()) return false;
    // A JPEG turned by its camera note is kept as decoded, upright.
    const bool upright = kind == Pictures::Kind::Png || !data.contains("Exif");
    return insertStoredPicture(Pictures::store(image, upright ? data : QByteArray(), kind),
                               naturalSize(image), sizePoints, error);
}

bool TextControl::insertStoredPicture(const QString& name, QSizeF natural, const QSizeF& sizePoints,
                                      QString* error) {
    QSizeF size;
    if (sizePoints.isEmpty()) {
        const QSizeF room(TextFormat::twipsToIndent(DocWidth()), TextFormat::twipsToIndent(PageHeight()));
        size = Pictures::fitted(natural, room);
    } else {
        size = QSizeF(Pictures::pointsToLength(sizePoints.width()),
                      Pictures::pointsToLength(sizePoints.height()));
    }
    if (size.width() < 1 || size.height() < 1) size = size.expandedTo(QSizeF(1, 1));
    if (error) error->clear();
    {
        EditStep step(this);
        QTextCursor c = textCursor();
        Pictures::insert(c, name, size);
        setTextCursor(c);
    }
    return true;
}

int TextControl::selectedPicture() const {
    const QTextCursor c = textCursor();
    if (c.selectionEnd() - c.selectionStart() != 1) return -1;
    QTextCursor at(document());
    at.setPosition(c.selectionEnd());
    return Pictures::isPicture(at.charFormat()) ? c.selectionStart() : -1;
}

QSizeF TextControl::pictureSize(int position) const {
    if (position < 0 || position >= TextLength()) return {};
    QTextCursor at(document());
    at.setPosition(position + 1);
    const QTextCharFormat f = at.charFormat();
    if (!Pictures::isPicture(f) || document()->characterAt(position) != QChar::ObjectReplacementCharacter)
        return {};
    const QSizeF s = Pictures::shownSize(f);
    return QSizeF(Pictures::lengthToPoints(s.width()), Pictures::lengthToPoints(s.height()));
}

QRectF TextControl::pictureRect(int position) const {
    if (pictureSize(position).isEmpty()) return {};
    const QTextBlock b = document()->findBlock(position);
    const QRectF box = document()->documentLayout()->blockBoundingRect(b);
    const QTextLayout* tl = b.layout();
    if (!tl || box.isNull()) return {};
    const int rel = position - b.position();
    const QTextLine line = tl->lineForTextPosition(rel);
    if (!line.isValid()) return {};
    const double x1 = line.cursorToX(rel), x2 = line.cursorToX(rel + 1);
    const QSizeF natural = pictureSize(position);
    const double width = std::abs(x2 - x1);
    const double height = width * natural.height() / natural.width();
    const QPointF origin = box.topLeft() -
                           QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    return QRectF(origin.x() + std::min(x1, x2), origin.y() + line.y() + line.ascent() - height,
                  width, height);
}

bool TextControl::setPictureSize(int position, const QSizeF& sizePoints) {
    if (d->writeProtect || pictureSize(position).isEmpty() || sizePoints.isEmpty()) return false;
    QTextCursor c(document());
    c.setPosition(position);
    c.setPosition(position + 1, QTextCursor::KeepAnchor);
    QTextImageFormat f = c.charFormat().toImageFormat();
    f.setWidth(Pictures::pointsToLength(sizePoints.width()));
    f.setHeight(Pictures::pointsToLength(sizePoints.height()));
    EditStep step(this);
    c.setCharFormat(f);
    return true;
}

// ---------------------------------------------------------------------------------------
// Clipboard

QMimeData* TextControl::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return mime;
    mime->setData(QString::fromLatin1(NativeMimeType), RtfWriter::write(c, RtfWriter::Native));
    const QByteArray standard = RtfWriter::write(c, RtfWriter::Standard);
    for (const char* type : kRtfMimeTypes)
        mime->setData(QString::fromLatin1(type), standard);
    const std::unique_ptr<QTextDocument> visible = logicalDocument(true);
    removeHiddenRuns(visible.get());
    mime->setHtml(visible->toHtml());
    mime->setText(visibleText(*visible));
    return mime;
}

bool TextControl::canInsertFromMimeData(const QMimeData* source) const {
    if (d->writeProtect) return false;
    if (source->hasFormat(QString::fromLatin1(NativeMimeType))) return true;
    for (const char* type : kRtfMimeTypes)
        if (source->hasFormat(QString::fromLatin1(type))) return true;
    return source->hasImage() || source->hasText();
}

void TextControl::insertFromMimeData(const QMimeData* source) {
    if (d->writeProtect || !source) return;
    QTextCursor c = textCursor();
    QStringList types{QString::fromLatin1(NativeMimeType)};
    for (const char* type : kRtfMimeTypes)
        types << QString::fromLatin1(type);
    for (const QString& type : types) {
        if (!source->hasFormat(type)) continue;
        const int from = c.selectionStart();
        c.beginEditBlock();
        const bool inserted = RtfReader::insert(source->data(type), &c, nullptr, false, true);
        if (inserted) dropRepeatedSectionTags(from, c.position());
        c.endEditBlock();
        if (inserted) {
            setTextCursor(c);
            ensureCursorVisible();
            return;
        }
    }
    // A picture: its file's bytes where the clipboard has them (checked before they are
    // decoded, a JPEG kept as it is), else the image the clipboard made of it.
    if (source->hasImage()) {
        QString error;
        bool inserted = false;
        bool tried = false;
        for (const char* type : {"image/png", "image/jpeg"}) {
            if (!source->hasFormat(QLatin1String(type))) continue;
            tried = true;
            inserted = insertPictureData(source->data(QLatin1String(type)), QSizeF(), &error);
            break;
        }
        if (!tried) inserted = insertPicture(qvariant_cast<QImage>(source->imageData()), QSizeF(), &error);
        if (!inserted && !error.isEmpty()) emit pictureRefused(error);
        ensureCursorVisible();
        return;
    }
    if (source->hasText()) {
        c.insertText(normalizeBreaks(source->text()));
        setTextCursor(c);
        ensureCursorVisible();
    }
}

// A pasted heading brings its section tag only where the text holds none: a heading cut
// and pasted keeps its section, one copied leaves the section where it is.
void TextControl::dropRepeatedSectionTags(int from, int to) {
    QTextDocument* doc = document();
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        const int tag = b.blockFormat().intProperty(TextFormat::PTagProperty);
        if (!tag) continue;
        bool elsewhere = false;
        for (QTextBlock o = doc->begin(); o.isValid() && !elsewhere; o = o.next())
            elsewhere = o != b && o.blockFormat().intProperty(TextFormat::PTagProperty) == tag;
        if (!elsewhere) continue;
        QTextBlockFormat f = b.blockFormat();
        f.clearProperty(TextFormat::PTagProperty);
        QTextCursor(b).setBlockFormat(f);
    }
}

void TextControl::dragEnterEvent(QDragEnterEvent* event) {
    if (d->writeProtect) {
        event->ignore();
        return;
    }
    QTextEdit::dragEnterEvent(event);
}

void TextControl::dropEvent(QDropEvent* event) {
    if (d->writeProtect) {
        event->ignore();
        return;
    }
    QTextEdit::dropEvent(event);
}

// ---------------------------------------------------------------------------------------
// Keyboard and mouse

void TextControl::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    emit OnKeyDown(key, mods);
    if (key == 0) {
        event->accept();
        return;
    }
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
    if (key == Qt::Key_F2 && d->f2on && plain) {
        setShowHidden(d->showHidden ? 0 : 1);
        event->accept();
        return;
    }
    if (key == Qt::Key_F3 && d->f3on && plain) {
        findNextPhrase();
        event->accept();
        return;
    }

    // Backspace or Delete over a selection, with Ctrl or without, takes the selection out
    // here. Qt's own key handling lays the caret's line out again before the emptied
    // paragraph has been, and justifying that old line of a justified paragraph crashed
    // inside Qt.
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) &&
        !(mods & Qt::AltModifier) && !d->writeProtect && !isReadOnly() &&
        textCursor().hasSelection()) {
        QTextCursor c = textCursor();
        c.removeSelectedText();
        setTextCursor(c);
        event->accept();
        return;
    }

    // The page keys move the caret here rather than in Qt's own handling, which loops for
    // ever when a selection is extended from one table cell into another holding more
    // than one line: each step down is put back to the first position of that cell.
    if (textInteractionFlags() & Qt::TextSelectableByKeyboard) {
        const bool select = event == QKeySequence::SelectNextPage ||
                            event == QKeySequence::SelectPreviousPage;
        if (select || event == QKeySequence::MoveToNextPage ||
            event == QKeySequence::MoveToPreviousPage) {
            movePage(event == QKeySequence::SelectNextPage ||
                         event == QKeySequence::MoveToNextPage,
                     select);
            event->accept();
            return;
        }
    }

    // Tab in a table goes from cell to cell, as in other word processors.
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier)) && !d->writeProtect &&
        textCursor().currentTable()) {
        ATX_NEXTTABLECELL(this, key == Qt::Key_Backtab || (mods & Qt::ShiftModifier) ? -1 : 1);
        event->accept();
        return;
    }

    const QString text = event->text();
    // Typing over a selection (a whole prompt, entered by a click) is one step of the undo
    // history together with the tag and colour the key handler gives the new text, so that
    // one undo brings the selected text back as it was.
    std::optional<EditStep> step;
    if (!text.isEmpty() && !d->writeProtect && textCursor().hasSelection()) step.emplace(this);
    // A character the text refuses is no character typed: its handler, which colours and
    // tags what is typed, must not touch the selection of a text held read-only.
    if (!text.isEmpty() && !d->writeProtect) {
        int ch = text.at(0).unicode();
        emit OnKeyPress(ch);
        if (ch == 0) {
            event->accept();
            return;
        }
        const bool printable = QChar(char16_t(ch)).isPrint();
        if (printable && !d->writeProtect) keepTypingVisible();
        if (ch != text.at(0).unicode()) {
            // The handler put another character in place of the typed one.
            if (!d->writeProtect && printable) {
                QTextCursor c = textCursor();
                c.insertText(QString(QChar(char16_t(ch))));
                setTextCursor(c);
            }
            event->accept();
            return;
        }
    }
    // Undo and Redo keys go the control's own way (see undo()).
    if ((event == QKeySequence::Undo || event == QKeySequence::Redo) && !isReadOnly() &&
        !d->writeProtect) {
        if (event == QKeySequence::Undo)
            setUnDoAction(1);
        else
            setReDoAction(1);
        event->accept();
        return;
    }
    // Enter always makes a new paragraph, in the format of the one it splits. Qt 6 takes
    // Enter in an empty paragraph of a format of its own as a wish for the plain format:
    // it inserts nothing and strips the paragraph's format, its section tag with it.
    if (event == QKeySequence::InsertParagraphSeparator && !d->writeProtect &&
        (textInteractionFlags() & Qt::TextEditable)) {
        QTextCursor c = textCursor();
        QTextBlockFormat format = c.blockFormat();
        format.clearProperty(QTextFormat::BlockTrailingHorizontalRulerWidth);
        c.insertBlock(format, c.charFormat());
        setTextCursor(c);
        ensureCursorVisible();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

// A page's height of lines at a time, keeping the caret's distance from the left, and the
// view scrolled by a page. A line step that does not take the caret onward (a selection held
// to the first position of a table cell) ends the move.
void TextControl::movePage(bool down, bool select) {
    const QTextCursor::MoveOperation op = down ? QTextCursor::Down : QTextCursor::Up;
    const QTextCursor::MoveMode mode = select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    QTextCursor c = textCursor();
    const int height = viewport()->height();
    int lastY = cursorRect(c).top();
    int distance = 0;
    bool moved = false;
    do {
        const int y = cursorRect(c).top();
        distance += std::abs(y - lastY);
        lastY = y;
        const QTextCursor before = c;
        moved = c.movePosition(op, mode) &&
                (down ? c.position() > before.position() : c.position() < before.position());
        if (!moved) c = before;
    } while (moved && distance < height);
    if (moved) {
        // The last line taken went past the page: one back, and the view follows a page.
        c.movePosition(down ? QTextCursor::Up : QTextCursor::Down, mode);
        verticalScrollBar()->triggerAction(down ? QAbstractSlider::SliderPageStepAdd
                                                : QAbstractSlider::SliderPageStepSub);
    }
    setTextCursor(c);
}

void TextControl::keepTypingVisible() {
    // Text typed while hidden text is not shown would vanish as it is typed.
    if (!d->showHidden && isHiddenFormat(textCursor().charFormat())) {
        QTextCharFormat f;
        f.setProperty(TextFormat::HiddenProperty, false);
        QTextCursor c = textCursor();
        if (!c.hasSelection()) {
            c.mergeCharFormat(f);
            setTextCursor(c);
        }
    }
}

void TextControl::findNextPhrase() {
    if (d->lastPhrase.isEmpty()) return;
    QTextCursor c = textCursor();
    const int from = c.hasSelection() ? c.selectionStart() + 1 : c.position();
    QTextDocument::FindFlags flags;
    if (d->lastPhraseCase) flags |= QTextDocument::FindCaseSensitively;
    const QTextCursor found = document()->find(d->lastPhrase, from, flags);
    if (!found.isNull()) selectRange(found.selectionStart(), found.selectionEnd());
}

void TextControl::keyReleaseEvent(QKeyEvent* event) {
    QTextEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) emit OnKeyUp(event->key(), event->modifiers());
}

void TextControl::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty() || d->writeProtect) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    std::optional<EditStep> step; // as for a key typed over a selection
    if (!d->writeProtect && textCursor().hasSelection()) step.emplace(this);
    QString kept;
    for (QChar ch : commit) {
        int code = ch.unicode();
        emit OnKeyPress(code);
        if (code != 0) kept += QChar(char16_t(code));
    }
    if (!d->writeProtect) keepTypingVisible();
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&filtered);
}

void TextControl::mousePressEvent(QMouseEvent* event) {
    d->afterDoubleClick = false;
    const QPoint p = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), p.x(), p.y());
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier)) {
        // A handle of the picture selected starts a resize, the opposite corner staying put.
        const int selected = selectedPicture();
        const QRectF shown = selected >= 0 ? pictureRect(selected) : QRectF();
        if (!shown.isEmpty() && !d->writeProtect) {
            const QPointF corners[4] = {shown.topLeft(), shown.topRight(), shown.bottomRight(),
                                        shown.bottomLeft()};
            for (int i = 0; i < 4; ++i) {
                if (QRectF(corners[i] - QPointF(5, 5), QSizeF(10, 10)).contains(event->position())) {
                    d->resizing = selected;
                    d->resizeAnchor = corners[(i + 2) % 4];
                    d->resizeAspect = shown.width() / std::max(1.0, shown.height());
                    if (!d->resizeBand) d->resizeBand = new QRubberBand(QRubberBand::Rectangle, viewport());
                    d->resizeBand->setGeometry(shown.toRect());
                    d->resizeBand->show();
                    event->accept();
                    return;
                }
            }
        }
        // A click on a picture selects it, as a click on a word places the caret.
        const QPointF inDocument =
            event->position() + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
        const int at = document()->documentLayout()->hitTest(inDocument, Qt::ExactHit);
        if (at >= 0 && pictureRect(at).contains(event->position())) {
            selectRange(at, at + 1);
            event->accept();
            return;
        }
    }
    QTextEdit::mousePressEvent(event);
}

void TextControl::mouseMoveEvent(QMouseEvent* event) {
    if (d->resizing < 0) {
        QTextEdit::mouseMoveEvent(event);
        return;
    }
    // Proportions kept: the width follows the pointer, the height the width.
    const QPointF p = event->position();
    const double width = std::max(8.0, std::abs(p.x() - d->resizeAnchor.x()));
    const double height = std::max(8.0, width / d->resizeAspect);
    const double left = p.x() < d->resizeAnchor.x() ? d->resizeAnchor.x() - width : d->resizeAnchor.x();
    const double top = p.y() < d->resizeAnchor.y() ? d->resizeAnchor.y() - height : d->resizeAnchor.y();
    d->resizeBand->setGeometry(QRectF(left, top, width, height).toRect());
}

void TextControl::mouseReleaseEvent(QMouseEvent* event) {
    if (d->resizing >= 0) {
        const int at = std::exchange(d->resizing, -1);
        const QRect band = d->resizeBand->geometry();
        d->resizeBand->hide();
        // Screen pixels to points at the screen's resolution, as the layout shows them.
        const double perPoint = logicalDpiY() / 72.0;
        if (setPictureSize(at, QSizeF(band.width() / perPoint, band.height() / perPoint)))
            selectRange(at, at + 1);
        event->accept();
        return;
    }
    QTextEdit::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    emit OnMouseUp(event->button(), event->modifiers(), p.x(), p.y());
    if (d->afterDoubleClick)
        d->afterDoubleClick = false; // the second release of a double-click is no click
    else if (rect().contains(event->position().toPoint() + viewport()->pos()))
        emit OnClick();
}

void TextControl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTextEdit::mouseDoubleClickEvent(event);
    d->afterDoubleClick = true;
    emit OnDblClick();
}
