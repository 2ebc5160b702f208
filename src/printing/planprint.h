#pragma once

#include "printing/contents.h"
#include "printing/pagegeometry.h"

#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>

#include <functional>
#include <map>

class QPainter;
class QWidget;
class TextControl;
class Tprintdl;

// Printing the plan: the run on the default printer with its "Printing" window, one pass
// of the text control's print functions onto any painter (which the preview uses too), and
// the page events that choose the pages and draw the footer "Page N" under each.
//
// With the contents page on, the title page (the text before the second navigator item's
// section) prints alone, the contents page follows, and the rest of the text begins on the
// next page; the footers number the pages as they come, contents included, and the
// contents give each section the number of the page its heading is printed on.
class PlanPrinting : public QObject {
    Q_OBJECT
public:
    // While printing, every page goes out and the "Printing" window follows; while
    // previewing, only the page the preview shows is drawn.
    enum class Mode { Printing, Previewing };

    // `text` is the plan; `footer` the control that holds and draws one page's footer;
    // `window` is held still (no repainting) while the plan prints.
    PlanPrinting(TextControl& text, TextControl& footer, QWidget* window,
                 QObject* parent = nullptr);

    // The window that shows the printer and the page; may come later than this object.
    void setProgressWindow(Tprintdl* window) { m_progress = window; }

    // Prints the whole plan on the default printer, reporting every outcome to the user.
    // Returns false when nothing could be printed (no printer, the job would not start).
    bool printPlan(const PageGeometry& geometry);

    // One pass of the print functions for the whole text onto `painter`, whose origin is
    // the printable area's top left: error codes are reported as they come. Returns the
    // last code above 0, or 0.
    int printPass(QPainter& painter, const PageGeometry& geometry);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode) { m_mode = mode; }
    // The page the preview shows, from 1.
    void setPreviewPage(int page) { m_previewPage = page; }
    // The number of the last page the text reported in the latest pass: the page count.
    int lastPageSeen() const { return m_lastPage; }

    // The navigator's items, which the contents page lists; asked at every pass.
    void setSections(std::function<QList<PdfSection>()> sections) {
        m_sections = std::move(sections);
    }
    // Whether the plan prints with a contents page after its title page.
    void setContentsPage(bool on) { m_contents = on; }
    bool contentsPage() const { return m_contents; }

    // What the latest pass printed: for each section tag on paper, the page (from 0) its
    // section begins on.
    const std::map<int, int>& sectionPages();
    // A line of the contents: on page `page` (from 0) in `box` (twips from the painter's
    // origin) it names the section that begins on page `target` (from 0).
    struct ContentsLink {
        int page = 0;
        QRectF box;
        int target = 0;
    };
    // The lines of the contents the latest pass printed (none without a contents page).
    const QList<ContentsLink>& contentsLinks() const { return m_links; }

    // The page events of the plan text.
    void atx321PrintThisPage(int page, bool& skip);
    void atx321PrintEndPage(int pageIndex);

    // The footer of the page with index `pageIndex` (from 0), as rich text.
    static QString footerText(int pageIndex);

    static constexpr int FooterHeight = 500; // twips, under the text area

private:
    // Where the title page ends: the start of the first section of another navigator item
    // than the first; -1 when there is none, or nothing before it.
    int titlePageEnd(const QList<PdfSection>& sections);
    void drawFooter(int pageIndex);

    TextControl& m_text;
    TextControl& m_footer;
    QWidget* m_window;
    Tprintdl* m_progress = nullptr;
    Mode m_mode = Mode::Printing;
    PageGeometry m_geometry;
    int m_previewPage = 1;
    int m_lastPage = 0;
    bool m_busy = false;
    std::function<QList<PdfSection>()> m_sections;
    bool m_contents = false;
    int m_offset = 0; // pages printed before the stretch of text being printed
    std::map<int, int> m_sectionPages;
    bool m_sectionPagesPending = false; // the whole text printed; its sections not yet found
    QList<ContentsLink> m_links;
};

// The error messages of the print functions' codes.
void reportPrintError(const QString& what, int code);
