#include "platform/helpsystem.h"

#include "platform/folders.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kNoHelpTitle = QStringLiteral("Help");

QString noHelpPage(int context, bool fileMissing, const QString& fileName) {
    QString html = QStringLiteral("<h2>There is no help for this topic</h2>");
    if (fileMissing) {
        html += QStringLiteral("<p>The help file \"%1\" could not be found or is empty.</p>")
                    .arg(QFileInfo(fileName).fileName().toHtmlEscaped());
    } else {
        html += QStringLiteral("<p>The help file holds no topic numbered %1. "
                               "Choose a topic from the contents list.</p>")
                    .arg(context);
    }
    return html;
}

// The text of the heading a topic body opens with (h1 or h2), empty when it opens
// otherwise.
QString leadingHeading(const QString& body) {
    static const QRegularExpression re(QStringLiteral("^\\s*<h([12])[^>]*>(.*?)</h\\1\\s*>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(body);
    if (!m.hasMatch()) return QString();
    return QTextDocumentFragment::fromHtml(m.captured(2)).toPlainText().simplified();
}

} // namespace

// ---------------------------------------------------------------------------------------
// HelpDocument

HelpDocument HelpDocument::parse(const QByteArray& utf8) {
    HelpDocument doc;
    QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    static const QRegularExpression header(
        QStringLiteral("^@topic\\s+([-+]?\\d{1,9})(?:\\s+(.*))?$"));

    HelpTopic* current = nullptr;
    bool inMalformed = false; // the body under a header without a usable number is dropped
    QStringList body;
    auto finish = [&]() {
        if (current) current->body = body.join(QLatin1Char('\n')).trimmed();
        body.clear();
    };
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.startsWith(QLatin1String("@topic"))) {
            const auto m = header.match(line.trimmed());
            finish();
            current = nullptr;
            inMalformed = !m.hasMatch();
            if (m.hasMatch()) {
                HelpTopic t;
                t.context = m.captured(1).toInt();
                t.title = m.captured(2).trimmed();
                doc.m_topics.push_back(t);
                current = &doc.m_topics.back();
            }
            continue;
        }
        if (current && !inMalformed) body << line;
    }
    finish();
    return doc;
}

HelpDocument HelpDocument::load(const QString& path) {
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) return HelpDocument();
    return parse(f.readAll());
}

const HelpTopic* HelpDocument::topic(int context) const {
    for (const HelpTopic& t : m_topics)
        if (t.context == context) return &t;
    return nullptr;
}

const HelpTopic* HelpDocument::contents() const {
    if (const HelpTopic* t = topic(1)) return t;
    return m_topics.empty() ? nullptr : &m_topics.front();
}

QString HelpDocument::title() const {
    const HelpTopic* t = contents();
    if (!t) return QString();
    // A contents page that opens with a heading names the whole file ("... Help");
    // its own title is often just "Contents".
    const QString heading = leadingHeading(t->body);
    return heading.isEmpty() ? t->title : heading;
}

// ---------------------------------------------------------------------------------------
// HelpViewer

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(kNoHelpTitle);

    m_contents = new QPushButton(tr("&Contents"), this);
    m_contents->setObjectName(QStringLiteral("cmdContents"));
    m_back = new QPushButton(tr("&Back"), this);
    m_back->setObjectName(QStringLiteral("cmdBack"));
    m_forward = new QPushButton(tr("&Forward"), this);
    m_forward->setObjectName(QStringLiteral("cmdForward"));
    for (QPushButton* b : {m_contents, m_back, m_forward})
        b->setAutoDefault(false);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstContents"));
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("txtTopic"));
    m_text->setOpenLinks(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch(1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_list);
    split->addWidget(m_text);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    // The worked examples hold tables of six or more columns: give the text the room.
    split->setSizes({240, 680});
    split->setChildrenCollapsible(false);

    auto* main = new QVBoxLayout(this);
    main->addLayout(buttons);
    main->addWidget(split, 1);

    connect(m_contents, &QPushButton::clicked, this, &HelpViewer::goContents);
    connect(m_back, &QPushButton::clicked, this, &HelpViewer::goBack);
    connect(m_forward, &QPushButton::clicked, this, &HelpViewer::goForward);
    connect(m_text, &QTextBrowser::anchorClicked, this, &HelpViewer::linkClicked);
    connect(m_list, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showContext(item->data(Qt::UserRole).toInt()); });
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int ctx = item->data(Qt::UserRole).toInt();
        if (ctx != currentContext() || !showsTopic()) showContext(ctx);
    });

    resize(920, 640);
    render();
}

void HelpViewer::setDocument(const HelpDocument& doc, const QString& fileName) {
    m_doc = doc;
    m_fileName = fileName;
    m_history.clear();
    m_pos = -1;
    m_list->clear();
    for (const HelpTopic& t : m_doc.topics()) {
        auto* item = new QListWidgetItem(
            t.title.isEmpty() ? tr("Topic %1").arg(t.context) : t.title, m_list);
        item->setData(Qt::UserRole, t.context);
        item->setToolTip(item->text());
    }
    const QString title = m_doc.title();
    setWindowTitle(title.isEmpty() ? kNoHelpTitle : title);
    render();
}

void HelpViewer::showContext(int context) {
    if (m_pos >= 0 && m_history[m_pos] == context) {
        render();
        return;
    }
    m_history.resize(m_pos + 1);
    m_history.push_back(context);
    m_pos = int(m_history.size()) - 1;
    render();
}

int HelpViewer::currentContext() const {
    return m_pos >= 0 ? m_history[m_pos] : 0;
}

bool HelpViewer::showsTopic() const {
    return m_pos >= 0 && m_doc.topic(currentContext()) != nullptr;
}

QString HelpViewer::pageText() const {
    return m_text->toPlainText();
}

void HelpViewer::goBack() {
    if (!canGoBack()) return;
    --m_pos;
    render();
}

void HelpViewer::goForward() {
    if (!canGoForward()) return;
    ++m_pos;
    render();
}

void HelpViewer::goContents() {
    if (const HelpTopic* t = m_doc.contents())
        showContext(t->context);
    else
        showContext(1);
}

void HelpViewer::render() {
    const HelpTopic* t = m_pos >= 0 ? m_doc.topic(currentContext()) : nullptr;
    if (t) {
        QString html;
        // Topics that open with their own heading keep it; the others get their title.
        if (!t->title.isEmpty() && leadingHeading(t->body).isEmpty())
            html = QStringLiteral("<h2>%1</h2>").arg(t->title.toHtmlEscaped());
        html += t->body;
        m_text->setHtml(html);
    } else if (m_pos >= 0) {
        m_text->setHtml(noHelpPage(currentContext(), m_doc.isEmpty(), m_fileName));
    } else {
        m_text->clear();
    }
    // Keep the contents list on the topic shown.
    m_list->blockSignals(true);
    m_list->clearSelection();
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        if (t && item->data(Qt::UserRole).toInt() == t->context) {
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
            break;
        }
    }
    m_list->blockSignals(false);
    m_back->setEnabled(canGoBack());
    m_forward->setEnabled(canGoForward());
    m_contents->setEnabled(!m_doc.isEmpty());
}

void HelpViewer::linkClicked(const QUrl& url) {
    if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) {
        bool ok = false;
        const int ctx = url.fragment().trimmed().toInt(&ok);
        if (ok) showContext(ctx);
        return;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}

// ---------------------------------------------------------------------------------------
// HelpSystem

HelpSystem& HelpSystem::instance() {
    static HelpSystem help;
    return help;
}

void HelpSystem::setHelpFile(const QString& nameOrPath) {
    m_name = nameOrPath;
}

QString HelpSystem::helpFile() const {
    if (m_name.isEmpty()) return QString();
    const QString name = QDir::fromNativeSeparators(m_name);
    if (!name.contains(QLatin1Char('/'))) return Folders::resolve(Folders::shippedDataFolder() + name);
    return Folders::resolve(name);
}

void HelpSystem::showContext(int context) {
    const QString file = helpFile();
    const HelpDocument doc = HelpDocument::load(file);

    // A modal window blocks every window that is not its own; the viewer opened from one
    // becomes its child window so that it can be read and scrolled while the question
    // stays open.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner && owner == m_viewer) owner = m_viewer->parentWidget();
    if (!m_viewer) {
        m_viewer = new HelpViewer(owner);
        m_viewer->setAttribute(Qt::WA_DeleteOnClose, false);
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect r = s->availableGeometry();
            m_viewer->resize(m_viewer->size().boundedTo(r.size() * 0.9));
            m_viewer->move(r.center() - m_viewer->rect().center());
        }
    } else if (m_viewer->parentWidget() != owner) {
        const QPoint pos = m_viewer->pos();
        m_viewer->setParent(owner, Qt::Window);
        m_viewer->move(pos);
    }
    m_viewer->setDocument(doc, file.isEmpty() ? m_name : file);
    m_viewer->showContext(context);
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}
