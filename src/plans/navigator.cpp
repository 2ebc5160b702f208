#include "plans/navigator.h"

#include "analysis/analysisrun.h"
#include "analysis/cafrm.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/bluetext.h"
#include "plans/exampleindex.h"
#include "plans/navstructure.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "platform/repaintlock.h"
#include "platform/safefile.h"
#include "widgets/dividerbar.h"
#include "widgets/ruler.h"
#include "widgets/toolglyphs.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFontInfo>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QToolButton>
#include <QTreeView>

#include <cmath>
#include <functional>
#include <optional>

namespace {

constexpr int kRowHeight = 19;
constexpr int kTwipsPerInch = 1440;
// The guidance pane keeps this many pixels free beside its text.
constexpr int kGuidanceAllowance = 20;

// A step of the routine that cannot be done (no item before the first, none after the
// last, a tag naming no section). It ends the routine's work quietly.
struct SyncStop {};

enum class Picture { OpenHeading, ClosedHeading, Leaf };

QIcon outlinePicture(Picture kind) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    const QColor ink(60, 60, 60);
    if (kind == Picture::Leaf) {
        // A page with a folded corner and a few lines of writing.
        QPainterPath page;
        page.moveTo(3.5, 1.5);
        page.lineTo(10.5, 1.5);
        page.lineTo(13.5, 4.5);
        page.lineTo(13.5, 14.5);
        page.lineTo(3.5, 14.5);
        page.closeSubpath();
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
        p.setPen(QPen(QColor(70, 110, 190), 1));
        for (double y : {6.5, 8.5, 10.5, 12.5})
            p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
        return QIcon(pm);
    }
    // A folder: closed, or open with its front flap tilted.
    const QColor back(214, 170, 60);
    const QColor front(246, 210, 100);
    p.setPen(QPen(QColor(150, 110, 30), 1));
    p.setBrush(back);
    QPainterPath body;
    body.moveTo(1.5, 3.5);
    body.lineTo(6, 3.5);
    body.lineTo(7.5, 5);
    body.lineTo(14.5, 5);
    body.lineTo(14.5, 13.5);
    body.lineTo(1.5, 13.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(front);
    if (kind == Picture::ClosedHeading) {
        p.drawRect(QRectF(1.5, 6.5, 13, 7));
    } else {
        QPolygonF flap;
        flap << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 13.5)
             << QPointF(1.5, 13.5);
        p.drawPolygon(flap);
    }
    return QIcon(pm);
}

const QIcon& picture(Picture kind) {
    static const QIcon open = outlinePicture(Picture::OpenHeading);
    static const QIcon closed = outlinePicture(Picture::ClosedHeading);
    static const QIcon leaf = outlinePicture(Picture::Leaf);
    switch (kind) {
    case Picture::OpenHeading:
        return open;
    case Picture::ClosedHeading:
        return closed;
    case Picture::Leaf:
        break;
    }
    return leaf;
}

int roundToInt(double v) {
    return int(std::lround(v));
}

} // namespace

void Navigator::buildPanel(NavigatorWidgets& w, QWidget* parent) {
    auto panel = [](const QString& name, QWidget* parentWidget) {
        auto* p = new QWidget(parentWidget);
        p->setObjectName(name);
        return p;
    };
    auto bare = [](QBoxLayout* l) {
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        return l;
    };
    w.Panel1 = panel(QStringLiteral("Panel1"), parent);
    auto* row = bare(new QHBoxLayout(w.Panel1));
    w.Panel3 = panel(QStringLiteral("Panel3"), w.Panel1);
    auto* outlineBox = bare(new QVBoxLayout(w.Panel3));
    w.Outline1 = new QTreeView(w.Panel3);
    w.Outline1->setObjectName(QStringLiteral("Outline1"));
    w.Outline1->setHeaderHidden(true);
    w.Outline1->setFrameShape(QFrame::NoFrame);
    w.Outline1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.Outline1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outlineBox->addWidget(w.Outline1);
    row->addWidget(w.Panel3);

    w.JPSplitter1 = new DividerBar(QStringLiteral("JPSplitter1"), Qt::Vertical, w.Panel1);
    w.JPSplitter1->setThickness(23);
    w.JPSplitter1->setFrameShape(QFrame::StyledPanel);
    w.JPSplitter1->setFrameShadow(QFrame::Raised);
    auto* buttons = new QVBoxLayout(w.JPSplitter1);
    buttons->setContentsMargins(1, 2, 1, 2);
    buttons->setSpacing(2);
    auto navButton = [&w](const QString& name, Glyph glyph, const QString& hint) {
        auto* b = new QToolButton(w.JPSplitter1);
        b->setObjectName(name);
        b->setIcon(glyphIcon(glyph));
        b->setIconSize(QSize(14, 14));
        b->setFixedSize(20, 20);
        b->setAutoRaise(true);
        b->setToolTip(hint);
        b->setStatusTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    w.btnFirst = navButton(QStringLiteral("btnFirst"), Glyph::First, QStringLiteral("First"));
    w.btnPrior = navButton(QStringLiteral("btnPrior"), Glyph::Previous, QStringLiteral("Previous"));
    w.btnNext = navButton(QStringLiteral("btnNext"), Glyph::Next, QStringLiteral("Next"));
    w.btnLast = navButton(QStringLiteral("btnLast"), Glyph::Last, QStringLiteral("Last"));
    for (QToolButton* b : {w.btnFirst, w.btnPrior, w.btnNext, w.btnLast})
        buttons->addWidget(b, 0, Qt::AlignHCenter);
    buttons->addStretch(1);
    // At design the plan starts on its first section.
    w.btnFirst->setEnabled(false);
    w.btnPrior->setEnabled(false);
    row->addWidget(w.JPSplitter1);

    w.Panel4 = panel(QStringLiteral("Panel4"), w.Panel1);
    auto* guidanceBox = bare(new QVBoxLayout(w.Panel4));
    w.ATX322 = new TextControl(w.Panel4);
    w.ATX322->setObjectName(QStringLiteral("ATX322"));
    w.ATX322->setWriteProtect(1);
    guidanceBox->addWidget(w.ATX322);
    row->addWidget(w.Panel4, 1);
    w.JPSplitter1->setSizedPanel(w.Panel3, w.Panel1);
}

Navigator::Navigator(const NavigatorWidgets& widgets, NavigatorLinks links, QObject* parent)
    : QObject(parent), m_w(widgets), m_links(std::move(links)),
      m_model(new QStandardItemModel(this)) {
    QTreeView* outline = m_w.Outline1;
    outline->setModel(m_model);
    outline->setUniformRowHeights(true);
    outline->setIconSize(QSize(16, 16));
    outline->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(outline, &QTreeView::expanded, this, [this] { updatePictures(); });
    connect(outline, &QTreeView::collapsed, this, [this] { updatePictures(); });
    connect(m_w.btnFirst, &QToolButton::clicked, this, &Navigator::btnFirstClick);
    connect(m_w.btnPrior, &QToolButton::clicked, this, &Navigator::btnPriorClick);
    connect(m_w.btnNext, &QToolButton::clicked, this, &Navigator::btnNextClick);
    connect(m_w.btnLast, &QToolButton::clicked, this, &Navigator::btnLastClick);
    connect(outline, &QTreeView::clicked, this, &Navigator::Outline1Click);
    connect(m_w.mnuFirst, &QAction::triggered, this, &Navigator::btnFirstClick);
    connect(m_w.mnuPrevious, &QAction::triggered, this, &Navigator::btnPriorClick);
    connect(m_w.mnuNext, &QAction::triggered, this, &Navigator::btnNextClick);
    connect(m_w.mnuLast, &QAction::triggered, this, &Navigator::btnLastClick);
    m_w.Panel4->installEventFilter(this);
}

bool Navigator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_w.Panel4 && event->type() == QEvent::Resize) Panel4Resize();
    return QObject::eventFilter(watched, event);
}

void Navigator::Panel4Resize() {
    const double ppi = m_w.window->logicalDpiX() > 0 ? m_w.window->logicalDpiX() : 96;
    m_w.ATX322->setDocWidth(
        roundToInt(double(m_w.Panel4->width() - kGuidanceAllowance) / ppi * kTwipsPerInch));
}

// --- The outline ------------------------------------------------------------------------

void Navigator::BuildNav() {
    BuildNavFrom(Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("mp.nav")));
    pumpMessages();
    // The outline fills its panel; the panel's layout sizes it.
    if (m_w.Panel3->layout()) m_w.Panel3->layout()->activate();
}

bool Navigator::BuildNavFrom(const QString& fileName) {
    m_model->clear();
    m_items.clear();
    m_shownSectionNode = 0;

    QFile file(fileName);
    NavStructure nav;
    const bool opened = file.open(QIODevice::ReadOnly);
    if (opened) nav = parseNavStructure(file.readAll());

    // Each item's parent is the last item one level up.
    QList<QStandardItem*> parents;
    for (const NavItem& item : nav.items) {
        auto* node = new QStandardItem(item.text);
        node->setToolTip(item.text); // the whole name where the column cuts it short
        node->setEditable(false);
        node->setSizeHint(QSize(-1, kRowHeight));
        while (parents.size() > item.depth)
            parents.removeLast();
        if (parents.isEmpty())
            m_model->appendRow(node);
        else
            parents.last()->appendRow(node);
        parents.append(node);
        m_items.append(node);
    }
    updatePictures();

    if (!opened || !nav.ok) {
        ShowError(QStringLiteral("An error occurred while reading the navigator structure"));
        return false;
    }
    return true;
}

bool Navigator::WriteNav(const QString& fileName) const {
    QList<NavItem> items;
    for (QStandardItem* node : m_items) {
        int depth = 0;
        for (QStandardItem* p = node->parent(); p; p = p->parent())
            ++depth;
        items.append({depth, node->text()});
    }
    const SafeFile::Result written = SafeFile::write(fileName, writeNavStructure(items));
    if (!written.ok) {
        ShowError(QStringLiteral("An error occurred while writing the navigator structure") +
                  QLatin1Char('\n') + written.failure);
        return false;
    }
    return true;
}

bool Navigator::AddItem(int number, const QString& caption, bool asChild) {
    if (number < 1 || number > m_items.size()) return false;
    QStandardItem* at = m_items[number - 1];
    QStandardItem* parent = asChild ? at : at->parent();
    if (!parent) parent = m_model->invisibleRootItem();
    auto* node = new QStandardItem(caption);
    node->setToolTip(caption);
    node->setEditable(false);
    node->setSizeHint(QSize(-1, kRowHeight));
    parent->appendRow(node);
    collectItems();
    // The new item shows under its heading.
    if (asChild) m_w.Outline1->expand(at->index());
    updatePictures();
    m_shownSectionNode = 0;
    return true;
}

bool Navigator::RemoveItem(int number) {
    if (number < 1 || number > m_items.size()) return false;
    QStandardItem* node = m_items[number - 1];
    QStandardItem* parent = node->parent() ? node->parent() : m_model->invisibleRootItem();
    // The list in file order is rebuilt before anything can read it again.
    m_items.clear();
    parent->removeRow(node->row());
    collectItems();
    updatePictures();
    m_shownSectionNode = 0;
    return true;
}

void Navigator::collectItems() {
    m_items.clear();
    const std::function<void(QStandardItem*)> walk = [&](QStandardItem* parent) {
        for (int row = 0; row < parent->rowCount(); ++row) {
            m_items.append(parent->child(row));
            walk(parent->child(row));
        }
    };
    walk(m_model->invisibleRootItem());
}

QString Navigator::itemText(int number) const {
    if (number < 1 || number > m_items.size()) return {};
    return m_items[number - 1]->text();
}

int Navigator::selectedItem() const {
    const QModelIndex current = m_w.Outline1->currentIndex();
    if (!current.isValid()) return 0;
    QStandardItem* node = m_model->itemFromIndex(current);
    return int(m_items.indexOf(node)) + 1;
}

bool Navigator::isHeading(int number) const {
    return number >= 1 && number <= m_items.size() && m_items[number - 1]->hasChildren();
}

QModelIndex Navigator::indexOf(int number) const {
    if (number < 1 || number > m_items.size()) return {};
    return m_items[number - 1]->index();
}

QString Navigator::guidanceFile(int number) {
    return Folders::resolve(Folders::shippedDataFolder() + QString::number(number) +
                            QStringLiteral(".pla"));
}

void Navigator::updatePictures() {
    for (QStandardItem* node : m_items) {
        Picture kind = Picture::Leaf;
        if (node->hasChildren())
            kind = m_w.Outline1->isExpanded(node->index()) ? Picture::OpenHeading
                                                           : Picture::ClosedHeading;
        node->setIcon(picture(kind));
    }
}

// Selecting an item makes it visible: the headings above it open.
void Navigator::selectItem(int number) {
    if (number < 1 || number > m_items.size()) throw SyncStop{};
    QStandardItem* node = m_items[number - 1];
    for (QStandardItem* p = node->parent(); p; p = p->parent())
        m_w.Outline1->expand(p->index());
    m_w.Outline1->setCurrentIndex(node->index());
    m_w.Outline1->scrollTo(node->index());
}

void Navigator::expandFully(int number) {
    if (number < 1 || number > m_items.size()) return;
    QStandardItem* node = m_items[number - 1];
    if (node->hasChildren()) m_w.Outline1->expandRecursively(node->index());
}

void Navigator::selectByTag(int tag) {
    const int number = itemOfTag(tag);
    selectItem(number);
    if (isHeading(number)) {
        expandFully(number);
        selectItem(number);
    }
    m_currentSectionTag = tag;
    placePointer();
}

// --- The section pointer ----------------------------------------------------------------

void Navigator::placePointer() {
    TextControl* text = m_w.ATX321;
    const int oldProtect = text->WriteProtect();
    text->setWriteProtect(2);
    const int selStart = text->SelStart();
    const int selLength = text->SelLength();
    const int scroll = text->ScrollVert();

    const int tag = text->NTag();
    m_w.Pointer->setVisible(tag != 0);

    text->setSelLength(0);
    text->setSelStart(0);
    text->setSelStart(text->TextLength());
    text->setTagReadSelect(0);
    text->FIND_PTAG(tag, -1);
    text->setTagReadSelect(0);
    m_sectionStartParagraph = text->CurPar();

    // Back to where the caret was, the view as it was.
    text->setSelStart(0);
    text->setSelLength(0);
    text->setSelStart(selStart);
    text->setSelLength(selLength);
    text->setScrollVert(scroll);

    PlacePointerShort();
    text->setWriteProtect(oldProtect == 2 ? 0 : oldProtect);
}

void Navigator::PlacePointerShort() {
    TextControl* text = m_w.ATX321;
    const double ppi = m_w.window->logicalDpiY() > 0 ? m_w.window->logicalDpiY() : 96;
    const int textTop = text->viewport()->mapTo(m_w.window, QPoint(0, 0)).y() -
                        m_w.pnlPointer->mapTo(m_w.window, QPoint(0, 0)).y();
    const int top = SectionPointerTop(text, m_sectionStartParagraph, ppi, textTop);
    m_w.Pointer->move(m_w.Pointer->x(), top);
}

void Navigator::atx321ATXVScrollClick() {
    PlacePointerShort();
}

// --- The routine ------------------------------------------------------------------------

void Navigator::loadGuidance(int number) {
    TextControl* pane = m_w.ATX322;
    pane->setWriteProtect(2);
    pane->setFileName(guidanceFile(number));
    pane->setDataType(TextControl::NativeRtf);
    pane->PrepareLoad();
    pane->setFileLoad(1);
    pane->setPrinterDC(0);
    const double ppi = m_w.window->logicalDpiX() > 0 ? m_w.window->logicalDpiX() : 96;
    pane->setDocWidth(roundToInt(double(pane->width() - kGuidanceAllowance) / ppi * kTwipsPerInch));
    pane->setWriteProtect(1);
}

void Navigator::scrollToSection(int number) {
    TextControl* text = m_w.ATX321;
    text->setTagReadSelect(0);
    text->setScrollVert(text->EndScrollPos());
    text->setSelLength(0);
    text->setSelStart(0);
    text->setSelStart(text->TextLength());
    // Searching back from the end leaves the section's first paragraph at the top.
    text->FIND_PTAG(sectionTagOf(number), -1);
    text->setSelLength(0);
    m_sectionStartParagraph = text->CurPar();
    placePointer();
}

void Navigator::followToolbar() {
    TextControl* text = m_w.ATX321;
    m_w.cmdBold->setChecked(text->FontBold() == -1);
    m_w.cmdItalic->setChecked(text->FontItalic() == -1);
    m_w.cmdUnder->setChecked(text->FontUnder() == 1024);
    {
        const QSignalBlocker block(m_w.cmbFont);
        // A font the system lacks shows as the family drawn in its place.
        const QString name = text->FontName();
        int i = m_w.cmbFont->findText(name, Qt::MatchFixedString);
        if (i < 0 && !name.isEmpty()) {
            // The list names families without their foundry.
            QString drawn = QFontInfo(QFont(name)).family();
            const qsizetype foundry = drawn.indexOf(QStringLiteral(" ["));
            if (foundry > 0) drawn.truncate(foundry);
            i = m_w.cmbFont->findText(drawn, Qt::MatchFixedString);
        }
        if (i >= 0)
            m_w.cmbFont->setCurrentIndex(i);
        else if (m_w.cmbFont->isEditable())
            m_w.cmbFont->setEditText(name);
    }
    const double size = text->FontSize();
    if (size > 0) {
        const QSignalBlocker block(m_w.cmbFontSize);
        const QString shown = QString::number(size, 'g', 4);
        const int i = m_w.cmbFontSize->findText(shown);
        if (i >= 0) m_w.cmbFontSize->setCurrentIndex(i);
        if (m_w.cmbFontSize->isEditable()) m_w.cmbFontSize->setEditText(shown);
    }
    const int alignment = text->Alignment();
    m_w.cmdLeft->setChecked(alignment == 0);
    m_w.cmdRight->setChecked(alignment == 1);
    m_w.cmdCenter->setChecked(alignment == 2);
    m_w.cmdJustify->setChecked(alignment == 3);
    if (m_w.rulMain) m_w.rulMain->followCaret();
}

void Navigator::enableMoves(int number) {
    const bool notLast = number != itemCount();
    const bool notFirst = number != 1;
    // The first-item rule comes last, so a one-item outline can still move forward.
    for (QToolButton* b : {m_w.btnNext, m_w.btnLast})
        b->setEnabled(notLast || !notFirst);
    for (QAction* a : {m_w.mnuNext, m_w.mnuLast})
        a->setEnabled(notLast || !notFirst);
    for (QToolButton* b : {m_w.btnFirst, m_w.btnPrior})
        b->setEnabled(notFirst);
    for (QAction* a : {m_w.mnuFirst, m_w.mnuPrevious})
        a->setEnabled(notFirst);
}

void Navigator::SectionSync(QObject* sender, Kind kind, int key) {
    if (m_guard) return;
    m_guard = true;
    TextControl* text = m_w.ATX321;
    // Painting is held off while the routine may move the caret about, scroll the text or
    // change the section shown. A caret that stays in its section (every ordinary
    // keystroke and click) does none of that: the routine only selects a prompt and sets
    // the toolbar, whose widgets repaint themselves. Holding the whole window off for it
    // would repaint every widget of the window after each key.
    const bool staysInSection = kind == CaretMoved && selectedItem() == m_shownSectionNode &&
                                [&] {
                                    const int tag = text->NTag();
                                    return tag == 0 || tag == m_currentSectionTag;
                                }();
    std::optional<RepaintLock> lockText;
    std::optional<RepaintLock> lockWindow;
    if (!staysInSection) {
        lockText.emplace(text);
        lockWindow.emplace(m_w.window);
    }

    try {
        enum Call { First, Previous, Next, Last, OutlineClick, Caret, TagJump } call;
        if (kind == Jump)
            call = TagJump;
        else if (kind == CaretMoved)
            call = Caret;
        else if (sender == m_w.btnFirst)
            call = First;
        else if (sender == m_w.btnPrior)
            call = Previous;
        else if (sender == m_w.btnNext)
            call = Next;
        else if (sender == m_w.btnLast)
            call = Last;
        else
            call = OutlineClick;

        const int a = selectedItem();
        switch (call) {
        case First:
            selectItem(1);
            break;
        case Previous:
            selectItem(a - 1);
            expandFully(a - 1);
            selectItem(a - 1);
            // Going back from a heading's first child skips the heading, unless nothing
            // comes before it.
            if (isHeading(a - 1) && a - 2 >= 1) {
                selectItem(a - 2);
                expandFully(a - 2);
                selectItem(a - 2);
            }
            break;
        case Next:
            selectItem(a + 1);
            expandFully(a + 1);
            if (isHeading(a + 1)) selectItem(a + 2);
            break;
        case Last:
            selectItem(itemCount());
            expandFully(itemCount());
            selectItem(itemCount());
            break;
        case OutlineClick:
            break;
        case Caret: {
            const int tag = text->NTag();
            if (tag != 0 && tag != m_currentSectionTag) {
                try {
                    selectByTag(tag);
                } catch (const SyncStop&) {
                }
            }
            break;
        }
        case TagJump: {
            text->setTagReadSelect(0);
            FindBlueRun(text, key == Qt::Key_F11 ? -1 : 1);
            const int tag = text->NTag();
            if (tag != 0 && tag != m_currentSectionTag) selectByTag(tag);
            break;
        }
        }
        const bool navigatorMove = call != Caret && call != TagJump;

        m_lastCaretPos = text->SelStart();

        const int number = selectedItem();
        if (number < 1) throw SyncStop{};
        if (number != m_shownSectionNode) loadGuidance(number);

        const bool budget = itemText(number) == budgetItemText();
        // A move puts the caret in the section chosen: the caret is synchronised to it, so
        // that a later caret move back into the section left follows there again.
        if (navigatorMove) m_currentSectionTag = sectionTagOf(number);
        if (!budget) {
            if (navigatorMove) scrollToSection(number);
            text->setFocus();
            text->setTagReadSelect(0);
            EnterBlueText(text, call != TagJump);
        }
        followToolbar();
        ShowBudgetView(budget);
        enableMoves(number);
        if (sender == m_w.Outline1 && call == OutlineClick && isAnalysisSection(number))
            RunAnalysis(number);
    } catch (...) {
        // A move that has nowhere to go, or any other failure, changes nothing more.
        pumpMessages();
    }

    m_guard = false;
    const int number = selectedItem();
    if (number > 0) m_shownSectionNode = number;
    emit Synchronised();
}

// --- Places for the budget view and the analyses -----------------------------------------

void Navigator::ShowBudgetView(bool budget) {
    const bool leaving = m_budgetShown && !budget;
    m_budgetShown = budget;
    if (m_links.showBudget) m_links.showBudget(budget);
    if (leaving && !m_w.editingArea->isHidden()) {
        // The text was hidden while this move scrolled it and placed the pointer.
        m_w.ATX321->setFocus();
        PlacePointerShort();
    }
}

void Navigator::RunAnalysis(int section) {
    // The analysis windows (competitor, impact / probability, strength / weakness, SWOT
    // summary) are opened from here for sections 17, 19, 21 and 23. The window opens over
    // the section it belongs to, so the main window paints that section and its guidance
    // first, although this routine holds its painting off.
    m_w.window->setUpdatesEnabled(true);
    m_w.ATX321->setUpdatesEnabled(true);
    if (RunSectionAnalysis(section, *m_w.ATX321, m_links.planName ? m_links.planName() : QString(),
                           {frmca, frmip, frmsw, frmsummary}) &&
        m_links.modified)
        m_links.modified();
}

// --- Commands ---------------------------------------------------------------------------

void Navigator::Outline1Click() {
    try {
        SectionSync(m_w.Outline1, Move);
    } catch (...) {
    }
}

void Navigator::btnFirstClick() {
    SectionSync(m_w.btnFirst, Move);
}
void Navigator::btnPriorClick() {
    SectionSync(m_w.btnPrior, Move);
}
void Navigator::btnNextClick() {
    SectionSync(m_w.btnNext, Move);
}
void Navigator::btnLastClick() {
    SectionSync(m_w.btnLast, Move);
}

void Navigator::ExplorerButton7Click() {
    const QString examples = Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("eg.hlp"));
    if (QFile::exists(examples)) {
        // The examples follow more than one business: open the one the owner read last.
        const int context = ExampleIndex::chooseExample(
            Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("egini.ini")), examples,
            selectedItem());
        HelpSystem::instance().setHelpFile(examples);
        HelpSystem::instance().showContext(context);
    } else {
        ShowNotice(QStringLiteral(
            "Please install the example help disk included with Tandel Zurozurov Irod."));
    }
    HelpSystem::instance().setHelpFile(QStringLiteral("qmphelp.hlp"));
}
