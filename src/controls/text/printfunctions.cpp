#include "controls/text/printfunctions.h"

#include "controls/text/paperlayout.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"

#include <QTextBlock>

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPointer>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The paper layouts of one control, kept while neither its text nor the geometry changes.
// A print run may lay out two stretches of the text (the title page and the rest, with a
// contents page between them), so the last few are kept, each for its stretch and
// geometry. The cache lives as a child of the control and follows the document the
// control shows.
class PaperCache : public QObject {
    Q_OBJECT
public:
    explicit PaperCache(TextControl* atx) : QObject(atx), m_atx(atx) {}

    std::shared_ptr<const PaperLayout> layout(int first, int last, int width, int height) {
        QTextDocument* doc = m_atx->document();
        if (doc != m_doc) {
            if (m_doc) disconnect(m_doc, nullptr, this, nullptr);
            m_doc = doc;
            connect(doc, &QTextDocument::contentsChange, this, [this] { m_layouts.clear(); });
            m_layouts.clear();
        }
        const Key key{first, last, width, height};
        for (size_t i = 0; i < m_layouts.size(); ++i) {
            if (m_layouts[i].first == key) {
                // The one used last goes to the front.
                std::rotate(m_layouts.begin(), m_layouts.begin() + long(i),
                            m_layouts.begin() + long(i) + 1);
                return m_layouts.front().second;
            }
        }
        auto made = std::make_shared<const PaperLayout>(m_atx->paperDocument(first, last),
                                                        width, height);
        ++m_count;
        m_layouts.insert(m_layouts.begin(), {key, made});
        if (m_layouts.size() > kKept) m_layouts.pop_back();
        return made;
    }

    int count() const { return m_count; }

private:
    struct Key {
        int first, last, width, height;
        bool operator==(const Key&) const = default;
    };
    static constexpr size_t kKept = 2;
    TextControl* m_atx;
    QPointer<QTextDocument> m_doc;
    std::vector<std::pair<Key, std::shared_ptr<const PaperLayout>>> m_layouts;
    int m_count = 0;
};

PaperCache* cacheOf(TextControl* atx) {
    if (auto* c = atx->findChild<PaperCache*>(QString(), Qt::FindDirectChildrenOnly)) return c;
    return new PaperCache(atx);
}

// The print run in progress: the painter and how many pages it has drawn.
struct Session {
    QPainter* painter = nullptr;
    bool started = false;
    int pagesDrawn = 0;
};
Session g_session;

int roundToInt(double v) {
    return int(std::lround(v));
}

int checkRun() {
    if (!g_session.started) return PrintNotStarted;
    if (!g_session.painter || !g_session.painter->isActive()) return PrintNoDevice;
    return PrintOk;
}

} // namespace

int ATX_PRINT_START(int /*mode*/, QPainter* painter, int /*option1*/, int /*option2*/) {
    g_session = Session{};
    if (!painter || !painter->isActive()) return PrintNoDevice;
    g_session.painter = painter;
    g_session.started = true;
    return PrintOk;
}

int ATX_PRINT(TextControl* atx, int& y, int top, int height, int left, int width, int first,
              int last, int /*flags*/) {
    if (const int e = checkRun()) return e;
    if (!atx) return PrintNoControl;
    if (width <= 0 || height <= 0) return PrintBadGeometry;
    // Held here, so that a page event that prints again cannot take it away mid-run.
    const std::shared_ptr<const PaperLayout> paper =
        cacheOf(atx)->layout(first, last, width, height);
    for (int i = 0; i < paper->pageCount(); ++i) {
        bool skip = false;
        emit atx->OnPrintThisPage(i + 1, skip);
        if (skip) continue;
        if (const int e = checkRun()) return e;
        QPainter* painter = g_session.painter;
        if (g_session.pagesDrawn > 0) {
            if (auto* paged = dynamic_cast<QPagedPaintDevice*>(painter->device());
                paged && !paged->newPage())
                return PrintNewPageFailed;
        }
        paper->drawPage(painter, i, QPointF(left, top));
        ++g_session.pagesDrawn;
        y = top + roundToInt(paper->usedHeight(i));
        emit atx->OnPrintEndPage(i);
    }
    return PrintOk;
}

int ATX_PRINT_REGION(TextControl* atx, int& y, int height, int left, int width, int, int, int) {
    if (const int e = checkRun()) return e;
    if (!atx) return PrintNoControl;
    if (width <= 0 || height <= 0) return PrintBadGeometry;
    const std::shared_ptr<const PaperLayout> paper = cacheOf(atx)->layout(0, -1, width, height);
    y += roundToInt(paper->drawTop(g_session.painter, QPointF(left, y), height));
    return PrintOk;
}

int ATX_PRINT_OWNPAGE() {
    if (const int e = checkRun()) return e;
    if (g_session.pagesDrawn > 0) {
        if (auto* paged = dynamic_cast<QPagedPaintDevice*>(g_session.painter->device());
            paged && !paged->newPage())
            return PrintNewPageFailed;
    }
    ++g_session.pagesDrawn;
    return PrintOk;
}

int ATX_PRINT_FINISH() {
    const bool started = g_session.started;
    g_session = Session{};
    return started ? PrintOk : PrintNotStarted;
}

std::vector<std::pair<int, int>> ATX_SECTION_PAGES(TextControl* atx, int width, int height,
                                                   int first, int last) {
    std::vector<std::pair<int, int>> out;
    if (!atx || width <= 0 || height <= 0) return out;
    const std::shared_ptr<const PaperLayout> paper =
        cacheOf(atx)->layout(first, last, width, height);
    const QTextDocument* doc = paper->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QVariant tag = b.blockFormat().property(TextFormat::PTagProperty);
        if (tag.isValid()) out.emplace_back(tag.toInt(), paper->pageOfBlock(b));
    }
    return out;
}

int paperLayoutCount(const TextControl* atx) {
    if (!atx) return 0;
    auto* c = atx->findChild<PaperCache*>(QString(), Qt::FindDirectChildrenOnly);
    return c ? c->count() : 0;
}

#include "printfunctions.moc"
