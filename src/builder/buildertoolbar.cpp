#include "builder/buildertoolbar.h"

#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/bluetext.h"
#include "plans/navigator.h"
#include "widgets/toolpanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <optional>

namespace {

// Navigator captions are one line of the structure file: a line of 4096 characters or
// more cannot be read back, and leading blanks would be read as depth.
constexpr int kCaptionLength = 255;
// Section tags are small numbers (99 at most in a template of a hundred sections); the
// fields take what the text control stores.
constexpr int kLargestTag = 32767;

QPushButton* button(QWidget* parent, const QString& name, const QString& caption,
                    const QString& hint = QString()) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    // As narrow as its caption allows: the toolbar holds many of them.
    b->setMinimumWidth(0);
    b->setFixedWidth(std::max(28, b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 14));
    return b;
}

QLineEdit* field(QWidget* parent, const QString& name, int width, const QString& hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    e->setToolTip(hint);
    e->setStatusTip(hint);
    return e;
}

// The number typed in a tag field; nothing while it is empty.
std::optional<int> tagNumber(const QLineEdit* edit) {
    bool ok = false;
    const int n = edit->text().trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return n;
}

} // namespace

BuilderToolbar::BuilderToolbar(ToolPanel& panel, TextControl& text, TextControl& guidance,
                               Navigator& navigator, Links links, QObject* parent)
    : QObject(parent), m_text(text), m_guidance(guidance), m_nav(navigator),
      m_links(std::move(links)) {
    build(panel);
    connect(&m_nav, &Navigator::Synchronised, this, &BuilderToolbar::ShowCaretPTag);
}

void BuilderToolbar::build(ToolPanel& panel) {
    // Two rows: the outline's items on top, the text's tags and marks below.
    auto* box = new QWidget(&panel);
    box->setObjectName(QStringLiteral("pnlBuilder"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 2, 0, 2);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);

    auto* top = new QHBoxLayout;
    top->setSpacing(3);
    auto* itemLabel = new QLabel(QStringLiteral("Item:"), box);
    Edit6 = field(box, QStringLiteral("Edit6"), 220, QStringLiteral("Caption of a new navigator item"));
    Edit6->setMaxLength(kCaptionLength);
    itemLabel->setBuddy(Edit6);
    cmdAddPeer = button(box, QStringLiteral("cmdAddPeer"), QStringLiteral("+"),
                        QStringLiteral("Add Peer"));
    cmdMakeChild = button(box, QStringLiteral("cmdMakeChild"), QStringLiteral("ch+"),
                          QStringLiteral("Make Child"));
    cmdRemoveItem = button(box, QStringLiteral("cmdRemoveItem"), QStringLiteral("-"),
                           QStringLiteral("Remove Item"));
    cmdWriteToDB = button(box, QStringLiteral("cmdWriteToDB"), QStringLiteral("OK"),
                          QStringLiteral("Write structure to db"));
    auto* ptagLabel = new QLabel(QStringLiteral("pTag:"), box);
    Edit1 = field(box, QStringLiteral("Edit1"), 44, QStringLiteral("pTag at the caret"));
    Edit1->setReadOnly(true);
    ptagLabel->setBuddy(Edit1);
    chkRed = new QCheckBox(QStringLiteral("Red text"), box);
    chkRed->setObjectName(QStringLiteral("chkRed"));
    chkRed->setToolTip(QStringLiteral("Toggle red text on/off"));
    chkRed->setStatusTip(chkRed->toolTip());
    chkRed->setFocusPolicy(Qt::NoFocus);
    chkRed->setChecked(true);
    ExplorerButton5 = button(box, QStringLiteral("ExplorerButton5"),
                             QStringLiteral("save text NOW!"),
                             QStringLiteral("Save the plan text and the guidance as they are"));
    for (QWidget* w : {static_cast<QWidget*>(itemLabel), static_cast<QWidget*>(Edit6),
                       static_cast<QWidget*>(cmdAddPeer), static_cast<QWidget*>(cmdMakeChild),
                       static_cast<QWidget*>(cmdRemoveItem), static_cast<QWidget*>(cmdWriteToDB)})
        top->addWidget(w);
    top->addSpacing(12);
    top->addWidget(ptagLabel);
    top->addWidget(Edit1);
    top->addSpacing(12);
    top->addWidget(chkRed);
    top->addSpacing(12);
    top->addWidget(ExplorerButton5);
    top->addStretch(1);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(3);
    // Labelled for what it does; it tags the selection as the navigator's selected section.
    cmdptag = button(box, QStringLiteral("cmdptag"), QStringLiteral("ptag"),
                     QStringLiteral("Tag the selection as the selected section"));
    Button2 = button(box, QStringLiteral("Button2"), QStringLiteral("Set Start pTag"),
                     QStringLiteral("Tag the caret's paragraph as the first section"));
    auto* ntagLabel = new QLabel(QStringLiteral("nTag:"), box);
    Edit5 = field(box, QStringLiteral("Edit5"), 44, QStringLiteral("Section tag number"));
    Edit5->setValidator(new QIntValidator(0, kLargestTag, Edit5));
    ntagLabel->setBuddy(Edit5);
    ExplorerButton3 = button(box, QStringLiteral("ExplorerButton3"), QStringLiteral("ntag"),
                             QStringLiteral("Give the selection this nTag"));
    ExplorerButton4 = button(box, QStringLiteral("ExplorerButton4"), QStringLiteral("find ntag"),
                             QStringLiteral("Find text carrying this nTag"));
    Edit3 = field(box, QStringLiteral("Edit3"), 44, QStringLiteral("Section tag number"));
    Edit3->setValidator(new QIntValidator(0, kLargestTag, Edit3));
    Edit3->setVisible(false);
    ExplorerButton2 = button(box, QStringLiteral("ExplorerButton2"), QStringLiteral("find ptag"));
    ExplorerButton2->setVisible(false);
    cmdBlue = button(box, QStringLiteral("cmdBlue"), QStringLiteral("blu"),
                     QStringLiteral("make blue text"));
    cmdRed = button(box, QStringLiteral("cmdRed"), QStringLiteral("red"),
                    QStringLiteral("Make red text"));
    Button3 = button(box, QStringLiteral("Button3"), QStringLiteral("Button3"),
                     QStringLiteral("Make red text without a tag"));
    Button1 = button(box, QStringLiteral("Button1"), QStringLiteral("&Q Nom d'Biz"),
                     QStringLiteral("Tag the selection 1001"));
    for (QWidget* w : {static_cast<QWidget*>(cmdptag), static_cast<QWidget*>(Button2)})
        bottom->addWidget(w);
    bottom->addSpacing(12);
    for (QWidget* w : {static_cast<QWidget*>(ntagLabel), static_cast<QWidget*>(Edit5),
                       static_cast<QWidget*>(ExplorerButton3),
                       static_cast<QWidget*>(ExplorerButton4), static_cast<QWidget*>(Edit3),
                       static_cast<QWidget*>(ExplorerButton2)})
        bottom->addWidget(w);
    bottom->addSpacing(12);
    for (QWidget* w : {cmdBlue, cmdRed, Button3, Button1})
        bottom->addWidget(w);
    bottom->addStretch(1);

    grid->addLayout(top, 0, 0);
    grid->addLayout(bottom, 1, 0);
    panel.addWidget(box);
    panel.addStretch();

    connect(cmdAddPeer, &QPushButton::clicked, this, &BuilderToolbar::cmdAddPeerClick);
    connect(cmdMakeChild, &QPushButton::clicked, this, &BuilderToolbar::cmdMakeChildClick);
    connect(cmdRemoveItem, &QPushButton::clicked, this, &BuilderToolbar::cmdRemoveItemClick);
    connect(cmdWriteToDB, &QPushButton::clicked, this, &BuilderToolbar::cmdWriteToDBClick);
    connect(cmdptag, &QPushButton::clicked, this, &BuilderToolbar::cmdptagClick);
    connect(Button2, &QPushButton::clicked, this, &BuilderToolbar::Button2Click);
    connect(ExplorerButton3, &QPushButton::clicked, this, &BuilderToolbar::ExplorerButton3Click);
    connect(ExplorerButton4, &QPushButton::clicked, this, &BuilderToolbar::ExplorerButton4Click);
    connect(ExplorerButton2, &QPushButton::clicked, this, &BuilderToolbar::ExplorerButton2Click);
    connect(ExplorerButton5, &QPushButton::clicked, this, &BuilderToolbar::ExplorerButton5Click);
    connect(cmdBlue, &QPushButton::clicked, this, &BuilderToolbar::cmdBlueClick);
    connect(cmdRed, &QPushButton::clicked, this, &BuilderToolbar::cmdRedClick);
    connect(Button3, &QPushButton::clicked, this, &BuilderToolbar::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &BuilderToolbar::Button1Click);
    connect(chkRed, &QCheckBox::clicked, this, &BuilderToolbar::chkRedClick);
}

void BuilderToolbar::markModified() {
    if (m_links.markModified) m_links.markModified();
}

void BuilderToolbar::showStatus(const QString& message) {
    if (m_links.showStatus) m_links.showStatus(message);
}

// --- The navigator's outline -------------------------------------------------------------

void BuilderToolbar::cmdAddPeerClick() {
    // One line of the structure file: no line breaks, no blanks that would read as depth.
    const QString caption = Edit6->text().simplified();
    if (caption.isEmpty()) return;
    m_nav.AddItem(m_nav.selectedItem(), caption, false);
}

void BuilderToolbar::cmdMakeChildClick() {
    const QString caption = Edit6->text().simplified();
    if (caption.isEmpty()) return;
    m_nav.AddItem(m_nav.selectedItem(), caption, true);
}

void BuilderToolbar::cmdRemoveItemClick() {
    m_nav.RemoveItem(m_nav.selectedItem());
}

void BuilderToolbar::cmdWriteToDBClick() {
    if (m_links.writeStructure) m_links.writeStructure();
}

// --- Section tags ------------------------------------------------------------------------

void BuilderToolbar::cmdptagClick() {
    const int selected = m_nav.selectedItem();
    if (selected < 1) return;
    // The tag the navigator looks for: 99 for the first section, which a tag of 0 would
    // leave untagged.
    const int tag = Navigator::sectionTagOf(selected);
    {
        TextControl::EditStep step(&m_text);
        const int start = m_text.SelStart();
        const int length = m_text.SelLength();
        m_text.setNTag(tag);
        m_text.setSelLength(0);
        m_text.setPTag(tag);
        m_text.setSelStart(start);
        m_text.setSelLength(length);
    }
    markModified();
    // The tag just written: the paragraph at the selection's start, not at its far end.
    const int readSelect = m_text.TagReadSelect();
    m_text.setTagReadSelect(1);
    showStatus(QStringLiteral("tag ") + QString::number(m_text.PTag()));
    m_text.setTagReadSelect(readSelect);
    ShowCaretPTag();
}

void BuilderToolbar::Button2Click() {
    {
        TextControl::EditStep step(&m_text);
        m_text.setNTag(99);
        m_text.setSelLength(0);
        m_text.setPTag(99);
    }
    markModified();
    ShowCaretPTag();
    ShowNotice(QStringLiteral("ptag: ") + QString::number(m_text.PTag()));
}

void BuilderToolbar::ExplorerButton3Click() {
    const std::optional<int> tag = tagNumber(Edit5);
    if (!tag) return;
    m_text.setNTag(*tag);
    markModified();
}

void BuilderToolbar::ExplorerButton4Click() {
    const std::optional<int> tag = tagNumber(Edit5);
    if (!tag) return;
    if (m_text.FIND_NTAG(*tag, 1) < 1) m_text.FIND_NTAG(*tag, -1);
    m_text.setFocus();
}

void BuilderToolbar::ExplorerButton2Click() {
    const std::optional<int> tag = tagNumber(Edit3);
    if (!tag) return;
    if (m_text.FIND_PTAG(*tag, 1) < 0) m_text.FIND_PTAG(*tag, -1);
}

void BuilderToolbar::ShowCaretPTag() {
    Edit1->setText(QString::number(m_text.PTag()));
}

// --- Guidance marks ----------------------------------------------------------------------

void BuilderToolbar::cmdBlueClick() {
    if (MakeBlueText(&m_text)) markModified();
}

void BuilderToolbar::cmdRedClick() {
    if (MakeRedNote(&m_text)) markModified();
}

void BuilderToolbar::Button3Click() {
    if (MakeUntaggedRedNote(&m_text)) markModified();
}

void BuilderToolbar::Button1Click() {
    m_text.setHTag(BusinessNameTag);
    markModified();
}

void BuilderToolbar::chkRedClick() {
    ShowNotes(&m_text, chkRed->isChecked());
}

// --- Saving as they stand ----------------------------------------------------------------

void BuilderToolbar::ExplorerButton5Click() {
    // Each goes back to the file it was loaded from, without the settings header a plan's
    // Save adds: this writes the template's texts as the author sees them.
    for (TextControl* t : {&m_text, &m_guidance}) {
        const int start = t->SelStart();
        const int length = t->SelLength();
        t->setDataType(TextControl::NativeRtf);
        t->setSelStart(0);
        t->setSelLength(t->TextLength());
        t->setFileSave(1);
        // The whole text stays selected no longer than the write: a key would replace it.
        t->setSelStart(start);
        t->setSelLength(length);
        if (!t->lastFileOk()) {
            ShowError(t->lastFileError());
            return;
        }
    }
}
