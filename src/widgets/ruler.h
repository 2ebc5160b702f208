#pragma once

#include "controls/text/textcontrol.h"

#include <QFrame>
#include <QPointer>

class QLabel;

// The ruler above the plan text ("rulMain"): a scale in inches, the first-line indent
// marker on top and the left indent marker below it, both snapping to 1/16 inch, and a
// shaded block beyond the right margin. It scrolls sideways with the text, follows the
// indents of the caret's paragraph, and turns marker drags into indents of that paragraph.
//
// Positions inside the ruler are "logical": as if the ruler were its full 15000 pixels
// wide and not scrolled. The scroll offset moves everything on it to the left.
class Ruler : public QFrame {
    Q_OBJECT
public:
    explicit Ruler(QWidget* parent = nullptr);
    ~Ruler() override;

    static constexpr int kWidth = 15000;       // pixels, the ruler's full length
    static constexpr int kHeight = 17;         // pixels
    static constexpr int kImageLeft = -2;      // the picture's offset on the ruler
    static constexpr int kMarkerWidth = 9;     // the marker pictures
    static constexpr int kMinTextWidth = 1200; // twips kept between an indent and the right margin

    enum Marker { FirstLineMarker, LeftMarker };

    struct Indents {
        int firstLine = 0; // relative to the left indent, twips
        int left = 0;      // twips
    };

    // The indents after a marker was dragged to `x` pixels over the picture, on a screen
    // of `ppi` pixels per inch, in a text `docWidth` twips wide whose paragraph has
    // `rightIndent`: x snaps to 1/16 inch, neither indent comes within 1200 twips of the
    // right margin, the left indent is never negative and the first line never starts left
    // of the margin.
    static Indents dragIndents(Marker marker, double x, double ppi, int docWidth, int rightIndent,
                               Indents current);
    // The snapped position, in whole pixels, of a pointer at `x` over the picture.
    static int snapPixels(double x, double ppi);
    // The left of a marker standing `twips` from the text's left edge.
    static int markerLeft(int twips, double ppi);

    // The plan text whose indents the ruler shows and sets.
    void setTextControl(TextControl* text);
    TextControl* textControl() const { return m_text; }

    // Screen pixels per inch; 1/16 inch of it is the grid the markers snap to.
    void setPixelsPerInch(double ppi);
    double pixelsPerInch() const { return m_ppi; }
    double grid() const { return m_ppi * 0.0625; }

    // The markers follow the indents of the paragraph at the caret.
    void followCaret();
    // A marker dragged to `x` pixels over the picture: sets the paragraph's indents and
    // places both markers. Returns false when the snapped spot was the same as last time
    // (nothing to do).
    bool dragMarker(Marker marker, double x);

    // The text area from the printer's printable page less the margins (inches); when no
    // printer answers, from the whole sheet of the paper chosen.
    struct TextArea {
        double width = 0;  // inches
        double height = 0; // inches
    };
    static TextArea textArea(double leftMargin, double rightMargin, double topMargin,
                             double bottomMargin);
    // Lays the plan text out for the text area (DocWidth, PageHeight), moves the shaded
    // block to the right margin, fits the guidance pane's text to its width (when given),
    // and scrolls the text and the ruler back to the left edge.
    void applyTextArea(const TextArea& area, TextControl* guidance = nullptr);
    // The guidance pane's text width for its width in pixels.
    static int guidanceDocWidth(int paneWidth, double ppi);

    // Keeps the ruler in step with the text's horizontal scrolling.
    void followScroll();
    // How far the ruler is scrolled to the left (the negative of its left), pixels.
    int scrollOffset() const { return m_scroll; }
    void setScrollOffset(int pixels);

    // Logical positions of the parts (for the window's layout and for tests).
    int firstLineMarkerLeft() const { return m_firstLeft; }
    int leftMarkerLeft() const { return m_leftLeft; }
    int rightAreaLeft() const { return m_rightAreaLeft; }

    QWidget* Image1 = nullptr;
    QLabel* imgFirstLineIndent = nullptr;
    QLabel* imgLeftIndent = nullptr;
    QFrame* Panel5 = nullptr;

signals:
    // The user changed the paragraph's indents by dragging a marker.
    void indentsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeMarkers(const Indents& indents);
    void layoutChildren();

    QPointer<TextControl> m_text;
    double m_ppi = 96;
    int m_scroll = 0;
    int m_firstLeft = 3;
    int m_leftLeft = 3;
    int m_rightAreaLeft = kWidth;
    int m_lastSnapFirst = -1;
    int m_lastSnapLeft = -1;
    QLabel* m_dragging = nullptr;
    QPointer<TextControl> m_dragText; // the text whose undo group the drag holds open
    int m_grabOffset = 0;
};

// Where the section pointer goes: the top, in the window's pixels, of the paragraph
// `paragraph` of the text as the text is scrolled now, for a text whose top is `textTop`.
int SectionPointerTop(TextControl* text, int paragraph, double ppi, int textTop);
