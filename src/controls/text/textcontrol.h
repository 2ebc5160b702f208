#pragma once

#include <QString>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextFormat>

#include <array>
#include <memory>
#include <vector>

class QMimeData;
class TagIndex;
class QTextBlock;
class QTextDocument;

// The word processor of the plan text, the guidance pane and the page-number footer.
//
// Positions: SelStart, SelLength and every position a function returns count characters
// of the QTextDocument, where each paragraph break counts as one character. Paragraph
// numbers (CurPar, SelToPar, ATX_CURTOXY) start at 0 for the first paragraph; character
// numbers inside a paragraph (CurChar, SelToChar) start at 0, and 30000 stands for the
// end of the paragraph. CurPar / CurChar and SelToPar / SelToChar read where the caret is
// (the moving end of the selection); setting CurPar or CurChar places the caret without a
// selection, setting SelToPar or SelToChar moves the caret and keeps the other end.
//
// Attributes and tags written apply to the selection, or with no selection to the text
// typed next. Read, attributes report the selection's first character, or with no
// selection the caret's (the character before it, the first one at a paragraph start).
// Tags read the caret's too; with TagReadSelect 1 and a selection, its first character's.
// The FIND_* functions select the whole run they find, the caret at its end, and bring its
// start into view.
//
// SelText written replaces the selection and leaves the caret after the new text; SelFText
// written leaves the new text selected.
//
// Hidden text keeps its characters: positions are the same whether it is shown or not.
// While ShowHidden is 0 it takes no room on screen; what is read, saved and copied always
// has the real attributes.
//
// Lengths (indents, DocWidth, PageHeight, ScrollVert, ScrollHorz, ATX_CURTOXY) are in
// twips, 1440 per inch, rounded.
class TextControl : public QTextEdit {
    Q_OBJECT

    // Selection and caret.
    Q_PROPERTY(int SelStart READ SelStart WRITE setSelStart)
    Q_PROPERTY(int SelLength READ SelLength WRITE setSelLength)
    Q_PROPERTY(QString SelText READ SelText WRITE setSelText)
    Q_PROPERTY(QString SelFText READ SelFText WRITE setSelFText)
    Q_PROPERTY(int Select READ Select)
    Q_PROPERTY(int CurPar READ CurPar WRITE setCurPar)
    Q_PROPERTY(int CurChar READ CurChar WRITE setCurChar)
    Q_PROPERTY(int SelToPar READ SelToPar WRITE setSelToPar)
    Q_PROPERTY(int SelToChar READ SelToChar WRITE setSelToChar)
    Q_PROPERTY(int LineNumber READ LineNumber WRITE setLineNumber)
    // Characters.
    Q_PROPERTY(int FontBold READ FontBold WRITE setFontBold)
    Q_PROPERTY(int FontItalic READ FontItalic WRITE setFontItalic)
    Q_PROPERTY(int FontStrike READ FontStrike WRITE setFontStrike)
    Q_PROPERTY(int FontUnder READ FontUnder WRITE setFontUnder)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(int FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(int FontHidden READ FontHidden WRITE setFontHidden)
    // Paragraphs.
    Q_PROPERTY(int Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(int FirstLineIndent READ FirstLineIndent WRITE setFirstLineIndent)
    Q_PROPERTY(int LeftIndent READ LeftIndent WRITE setLeftIndent)
    Q_PROPERTY(int RightIndent READ RightIndent WRITE setRightIndent)
    // Tags.
    Q_PROPERTY(int HTag READ HTag WRITE setHTag)
    Q_PROPERTY(int NTag READ NTag WRITE setNTag)
    Q_PROPERTY(int PTag READ PTag WRITE setPTag)
    Q_PROPERTY(int TagReadSelect READ TagReadSelect WRITE setTagReadSelect)
    // View and files.
    Q_PROPERTY(int ShowHidden READ ShowHidden WRITE setShowHidden)
    Q_PROPERTY(int ScrollVert READ ScrollVert WRITE setScrollVert)
    Q_PROPERTY(int ScrollHorz READ ScrollHorz WRITE setScrollHorz)
    Q_PROPERTY(int DocWidth READ DocWidth WRITE setDocWidth)
    Q_PROPERTY(int PageHeight READ PageHeight WRITE setPageHeight)
    Q_PROPERTY(int PrinterDC READ PrinterDC WRITE setPrinterDC)
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(int BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int F2ON READ F2ON WRITE setF2ON)
    Q_PROPERTY(int F3ON READ F3ON WRITE setF3ON)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(int DataType READ DataType WRITE setDataType)
    Q_PROPERTY(int FileLoad READ FileLoad WRITE setFileLoad)
    Q_PROPERTY(int FileSave READ FileSave WRITE setFileSave)
    // Editing.
    Q_PROPERTY(int UnDoAction READ UnDoAction WRITE setUnDoAction)
    Q_PROPERTY(int ReDoAction READ ReDoAction WRITE setReDoAction)
    Q_PROPERTY(int ClipboardAction READ ClipboardAction WRITE setClipboardAction)
    Q_PROPERTY(int WriteProtect READ WriteProtect WRITE setWriteProtect)

public:
    // DataType values.
    enum { PlainText = 0, NativeRtf = 2, StandardRtf = 3 };
    // CurChar / SelToChar value meaning the end of the paragraph.
    static constexpr int EndOfParagraph = 30000;
    // find_phrase's result when nothing matches.
    static constexpr int NotFound = -4096;
    // The MIME type carrying our own RTF between the program's controls.
    static const char* const NativeMimeType;

    explicit TextControl(QWidget* parent = nullptr);
    ~TextControl() override;

    // Selection and caret.
    int SelStart() const;
    void setSelStart(int pos);
    int SelLength() const;
    void setSelLength(int length);
    QString SelText() const;
    void setSelText(const QString& text);
    QString SelFText() const;              // the selection as native RTF
    void setSelFText(const QString& text); // "{\rtf..." with its formatting, else plain text
    int Select() const;                    // -1 while text is selected, else 0
    int CurPar() const;
    void setCurPar(int paragraph);
    int CurChar() const;
    void setCurChar(int character);
    int SelToPar() const;
    void setSelToPar(int paragraph);
    int SelToChar() const;
    void setSelToChar(int character);
    int LineNumber() const; // 0-based visual line of the caret
    void setLineNumber(int line);

    // Characters.
    int FontBold() const; // -1 set, 0 clear
    void setFontBold(int value);
    int FontItalic() const;
    void setFontItalic(int value);
    int FontStrike() const;
    void setFontStrike(int value);
    int FontUnder() const; // 1024 when underlined
    void setFontUnder(int value);
    QString FontName() const;
    void setFontName(const QString& name);
    double FontSize() const; // points
    void setFontSize(double points);
    int FontColor() const; // red + 256 * green + 65536 * blue
    void setFontColor(int color);
    int FontHidden() const; // -1 hidden, 0 not
    void setFontHidden(int value);

    // Paragraphs.
    int Alignment() const; // 0 left, 1 right, 2 centre, 3 justify
    void setAlignment(int alignment);
    int FirstLineIndent() const;
    void setFirstLineIndent(int twips);
    int LeftIndent() const;
    void setLeftIndent(int twips);
    int RightIndent() const;
    void setRightIndent(int twips);

    // Tags.
    int HTag() const;
    void setHTag(int tag);
    int NTag() const;
    void setNTag(int tag);
    int PTag() const;
    void setPTag(int tag);
    int TagReadSelect() const;
    void setTagReadSelect(int value);

    // View.
    int ShowHidden() const;
    void setShowHidden(int value);
    int ScrollVert() const;
    void setScrollVert(int twips);
    int ScrollHorz() const;
    void setScrollHorz(int twips);
    int DocWidth() const;
    void setDocWidth(int twips);
    int PageHeight() const;
    void setPageHeight(int twips);
    int PrinterDC() const;
    void setPrinterDC(int value);
    int BorderStyle() const; // 0 none, 1 single line
    void setBorderStyle(int style);
    int BackColor() const;
    void setBackColor(int color);
    bool Enabled() const { return isEnabled(); }
    int F2ON() const;
    void setF2ON(int value);
    int F3ON() const;
    void setF3ON(int value);

    // Files.
    QString FileName() const;
    void setFileName(const QString& name);
    int DataType() const;
    void setDataType(int type);
    int FileLoad() const;
    void setFileLoad(int value); // 1 loads FileName
    int FileSave() const;
    void setFileSave(int value);   // 1 saves to FileName
    bool lastFileOk() const;       // whether the last FileLoad / FileSave succeeded
    QString lastFileError() const; // why it did not, in the program's words
    // Whether the last file loaded ended as a whole file does (a rich text file cut short
    // is read as far as it goes, and this says so).
    bool lastFileComplete() const;
    // After a load: what of the file was read but could not be shown (pictures too large
    // or damaged), in the program's words; empty when all of it was.
    QString lastFileNotes() const;
    // After a failed FileSave: the file and the system's reason ("<file>: Permission denied").
    QString lastFileFailure() const;

    // Direct forms of FileLoad / FileSave, returning whether they succeeded.
    bool loadFile(const QString& fileName, int dataType);
    bool saveFile(const QString& fileName, int dataType);
    // Writes a copy of the text to another file (an export): like saveFile, but the text
    // stays as it was, its unsaved changes and its undo history with it.
    bool exportFile(const QString& fileName, int dataType);

    // Shows `doc` in place of the current text, as a file load does (nothing to undo, caret
    // at the start); the control takes the document over.
    void adoptDocument(QTextDocument* doc);

    // Editing.
    // Where the view stands: the first character on screen, how far the view's top edge
    // lies below the top of that character's line (pixels), and the sideways scroll.
    // Setting it shows the same text at the top again after the layout changed (hidden text
    // shown or hidden, text edited above).
    struct ViewPlace {
        int position = 0;
        int offset = 0;
        int scrollX = 0;
    };
    ViewPlace viewPlace() const;
    void setViewPlace(const ViewPlace& place);

    // Undo and redo bring the caret, and the text it changed, into view.
    int UnDoAction() const; // 0 nothing to undo (or just loaded / saved), 3 something to undo
    void setUnDoAction(int value); // 1 undoes one step
    int ReDoAction() const;        // 3 when an undone step can be done again, else 0
    void setReDoAction(int value); // 1 does the last undone step again
    // One step of the document's undo history, the caret left where the text changed. They
    // stand in for QTextEdit's own, which put the caret where Qt reckons the step ended: a
    // step that formats a range twice (a key typed over a selection, coloured and tagged by
    // the key handler) is reckoned to end past the text, which Qt warns of and answers by
    // sending the caret to the start.
    void undo();
    void redo();

    // One command's writes to the text (attributes, insertions, table changes) as one
    // step of the undo history. While the outermost step lives the view is left alone;
    // when it ends, the text is shown where it was, moved only as far as needed to show
    // the caret. Steps nest. Keep table functions out of an outer step: they find the table
    // at the caret through the document's frames, which Qt brings up to date only when the
    // outermost edit ends (each of them is a step of its own).
    class EditStep {
    public:
        explicit EditStep(TextControl* text);
        ~EditStep();
        EditStep(const EditStep&) = delete;
        EditStep& operator=(const EditStep&) = delete;

    private:
        TextControl* m_text;
        ViewPlace m_view;
    };
    // Everything one command writes, as one step that a single undo takes back (and a
    // single redo does again), even when it is made of many edits each closed on its own:
    // table functions, which must see each other's tables, or the indents of every
    // position a ruler marker passes while the user drags it. Groups nest; only the
    // outermost counts. Undo of a group shows the text where it changed.
    void beginUndoGroup();
    void endUndoGroup();
    class UndoGroup {
    public:
        explicit UndoGroup(TextControl* text) : m_text(text) {
            if (m_text) m_text->beginUndoGroup();
        }
        ~UndoGroup() {
            if (m_text) m_text->endUndoGroup();
        }
        UndoGroup(const UndoGroup&) = delete;
        UndoGroup& operator=(const UndoGroup&) = delete;

    private:
        TextControl* m_text;
    };
    int ClipboardAction() const;
    void setClipboardAction(int action); // 1 cut, 2 copy, 3 paste
    int WriteProtect() const; // 0 editable, 1 read-only, 2 read-only while the program works
    void setWriteProtect(int value);

    // Pictures. Inserts `image` at the caret, replacing the selection, as one step of the
    // undo history, shown at `sizePoints` (1/72 in); an empty size shows it at its natural
    // size, made smaller where needed to fit the text's width and a page's height. Returns
    // false, saying why in `error`, for an empty or oversized image or write-protected text.
    bool insertPicture(const QImage& image, const QSizeF& sizePoints, QString* error = nullptr);
    // The same for the bytes of a PNG or JPEG file, which are kept as they are (a JPEG
    // photograph stays a JPEG in the plan); they are checked before they are decoded.
    bool insertPictureData(const QByteArray& data, const QSizeF& sizePoints, QString* error = nullptr);
    // The picture selected alone (the selection is that one character): its position, or
    // -1 when the selection is anything else.
    int selectedPicture() const;
    // The size the picture at `position` is shown at, in points; empty when there is none.
    QSizeF pictureSize(int position) const;
    // Shows the picture at `position` at a new size (points), as one undo step.
    bool setPictureSize(int position, const QSizeF& sizePoints);
    // Where the picture at `position` is drawn, in the viewport's pixels; empty when there
    // is none or it is not laid out.
    QRectF pictureRect(int position) const;

    // Methods.
    int TextLength() const;   // characters in the document, paragraph breaks included
    int EndScrollPos() const; // a ScrollVert that shows the document's end
    int PrepareLoad();        // called before a file is loaded into the control

    // Functions. The FIND_* select the run carrying the tag value. Direction 1: the first
    // run starting after the selection's start (at or after a bare caret); -1: the last run
    // starting before it; 0: the run holding the character after the caret, or else the
    // one before it.
    // Found: FIND_HTAG returns the run's start + 1, FIND_NTAG the run's start + 1,
    // FIND_PTAG the paragraph's number (0 or more). Not found: 0 for FIND_HTAG and
    // FIND_NTAG, -1 for FIND_PTAG; the selection is left as it was.
    int FIND_HTAG(int value, int direction);
    int FIND_NTAG(int value, int direction);
    int FIND_PTAG(int value, int direction);
    // Next match of text at or after SelStart (direction -1 or 1: forward; 0: backward
    // from SelStart), case-sensitive when matchCase is not 0. Returns its position or
    // NotFound; the selection does not move.
    int find_phrase(const QString& text, int direction, int matchCase);
    // Position of a character of a paragraph in twips from the document's top left.
    // Returns 0, or an error code above 0 when the paragraph does not exist.
    int ATX_CURTOXY(int paragraph, int character, int& x, int& y);

    // The document with its logical formats (hidden runs as they are stored, not as they
    // are drawn); what the file writers and the clipboard see.
    std::unique_ptr<QTextDocument> logicalDocument(bool selectionOnly = false) const;
    // The same without the hidden runs while hidden text is not shown: what paper shows.
    std::unique_ptr<QTextDocument> visibleDocument(bool selectionOnly = false) const;
    // What paper shows of characters first..last (last -1: to the end): never the hidden
    // runs, whether or not hidden text is shown on screen.
    std::unique_ptr<QTextDocument> paperDocument(int first = 0, int last = -1) const;

    // The runs of a tag (0 HTag, 1 NTag, 2 PTag) as {start, end, value}, from the index the
    // searches use or read straight from the document; the two always agree.
    std::vector<std::array<int, 3>> tagRuns(int kind, bool fromIndex = true);
    // The index itself, for readers that look at many runs after every edit. It follows
    // the current document and is up to date whenever the document's contentsChange
    // signal has reached the slots connected after the control's own.
    TagIndex& tagIndex();

signals:
    void OnClick();
    void OnDblClick();
    // key is a Qt::Key code; setting it to 0 consumes the key.
    void OnKeyDown(int& key, Qt::KeyboardModifiers shift);
    // key is the character's Unicode value; setting it to 0 drops the character.
    void OnKeyPress(int& key);
    void OnKeyUp(int key, Qt::KeyboardModifiers shift);
    // x, y in pixels inside the viewport.
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnATXChange();
    void OnATXHScrollClick();
    void OnATXVScrollClick();
    // While the print functions print this control: before each page (numbered from 1),
    // where setting skip leaves the page out, and after each page drawn (index from 0).
    void OnPrintThisPage(int page, bool& skip);
    void OnPrintEndPage(int pageIndex);
    // A picture pasted or dropped could not be taken in (too large, damaged): why.
    void pictureRefused(const QString& why);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dropRepeatedSectionTags(int from, int to);

private:
    void connectDocument();
    void restyleFillerLater(int pos);
    void undoRedo(bool back);
    QTextDocument* newDocument() const;
    int clampPosition(int pos) const;
    void selectRange(int anchor, int position);
    int positionInParagraph(const QTextBlock& block, int character) const;
    QTextCharFormat readFormat() const;
    QTextCharFormat readTagFormat() const;
    void writeFormat(const QTextCharFormat& f);
    QTextBlockFormat readBlockFormat() const;
    void writeBlockFormat(const QTextBlockFormat& f);
    int findTag(int kind, int value, int direction);
    bool insertStoredPicture(const QString& name, QSizeF natural, const QSizeF& sizePoints,
                             QString* error);
    void showPosition(int pos);
    int pixelsToTwipsY(double px) const;
    int twipsToPixelsY(int twips) const;
    void finishLayout() const;
    void keepTypingVisible();
    void movePage(bool down, bool select);
    void keepView(const ViewPlace& place);
    void findNextPhrase();

    struct Private;
    std::unique_ptr<Private> d;
};
