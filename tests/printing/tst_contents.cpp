// The contents page of the printed plan, end to end: a new plan from the template, printed,
// previewed and exported to PDF, read back page by page with poppler; the contents' numbers
// against the pages their headings are printed on and the footers, its links, and Page
// Setup's "Contents page".
#include "app/editfrm.h"
#include "app/settings.h"
#include "app/startup.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "plans/answers.h"
#include "plans/navigator.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "printing/atxprev.h"
#include "printing/pageall.h"
#include "printing/planexport.h"
#include "printing/planprint.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Answers the export's save dialog with a file name.
bool runExport(QAction* item, const QString& path) {
    ModalAnswer answer([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        auto* name = d ? d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        QVERIFY(name);
        name->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
    });
    item->trigger();
    return answer.wasAnswered();
}

// A printed line: the words poppler reads at one height of a page.
struct Line {
    int page = 0;
    QRectF box;
    QStringList words;
    QString text() const { return words.join(QLatin1Char(' ')); }
};

QList<Line> pdfLines(const QString& pdf) {
    // Poppler gives the words in its reading order, which may take a column of a page
    // before the next: they go by their place instead, from the top and from the left.
    QList<PdfWord> words = pdfWords(pdf);
    std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        if (a.page != b.page) return a.page < b.page;
        if (std::abs(a.box.top() - b.box.top()) > 0.5) return a.box.top() < b.box.top();
        return a.box.left() < b.box.left();
    });
    QList<Line> lines;
    for (const PdfWord& w : words) {
        if (lines.isEmpty() || lines.back().page != w.page ||
            std::abs(lines.back().box.top() - w.box.top()) > 0.5)
            lines.append({w.page, w.box, {}});
        lines.back().box = lines.back().box.united(w.box);
        lines.back().words << w.text;
    }
    return lines;
}

// A line of the contents as the PDF shows it.
struct ReadEntry {
    QString title;
    int page = 0; // the number printed
    int on = 0;   // the page it is printed on
    QRectF box;
    bool indented = false;
};

// Reads the contents back from `pdf` and checks them against the pages: every page's
// footer gives its own number, the title page stands alone before "Contents", the entries
// are `titles` in order, and each number is the first page after the contents on which
// the entry's heading stands as a line of its own. Empty when there are no contents.
QList<ReadEntry> readContents(const QString& pdf, const QStringList& titles) {
    const QList<Line> lines = pdfLines(pdf);
    const int pages = pdfPageCount(pdf);
    QList<ReadEntry> entries;
    [&] {
        // Footers: "Page N", the last line of page N.
        for (int p = 1; p <= pages; ++p) {
            const Line* last = nullptr;
            for (const Line& l : lines)
                if (l.page == p) last = &l;
            QVERIFY2(last && last->text() == QStringLiteral("Page %1").arg(p),
                     qPrintable(QStringLiteral("page %1 ends \"%2\"")
                                    .arg(p)
                                    .arg(last ? last->text() : QString())));
        }
        const Line* head = nullptr;
        for (const Line& l : lines)
            if (l.page == 2) {
                head = &l;
                break;
            }
        if (!head || head->text() != ContentsPages::heading()) return;
        for (const Line& l : lines)
            QVERIFY2(l.page != 1 || l.text() != ContentsPages::heading(), "the title page alone");

        // The entries from page 2 on, up to the page the first one names.
        int lastContentsPage = 2;
        double topLevelLeft = -1;
        for (const Line& l : lines) {
            if (l.page < 2 || l.page > lastContentsPage) continue;
            if (&l == head || l.text() == QStringLiteral("Page %1").arg(l.page)) continue;
            bool number = false;
            const int n = l.words.back().toInt(&number);
            QVERIFY2(number && l.words.size() > 1, qPrintable(l.text()));
            ReadEntry e{l.words.mid(0, l.words.size() - 1).join(QLatin1Char(' ')), n, l.page,
                        l.box, false};
            if (entries.isEmpty()) {
                lastContentsPage = n - 1;
                topLevelLeft = l.box.left();
            }
            e.indented = l.box.left() > topLevelLeft + 10;
            entries << e;
        }
        QStringList read;
        for (const ReadEntry& e : entries) read << e.title;
        QCOMPARE(read, titles);
        // Each heading on the page its entry names, and on none between the contents and it.
        for (const ReadEntry& e : entries) {
            int found = 0;
            for (const Line& l : lines)
                if (l.page > lastContentsPage && l.text() == e.title) {
                    found = l.page;
                    break;
                }
            QVERIFY2(found == e.page, qPrintable(QStringLiteral("%1: contents %2, printed on %3")
                                                     .arg(e.title)
                                                     .arg(e.page)
                                                     .arg(found)));
        }
    }();
    if (QTest::currentTestFailed()) return {};
    return entries;
}

} // namespace

class TestContents : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void contentsOfThePrintedPlan();
    void pageSetupSwitchesItOff();
    void titlePageAloneOrContentsOverSeveralPages();

private:
    QString out(const QString& name) const { return m_out.filePath(name); }
    // The navigator's items after the title page.
    QStringList sectionTitles() const;

    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_out;
    TfrmEdit* w = nullptr;
};

void TestContents::initTestCase() {
    m_env = std::make_unique<TestEnv>();
    PrinterInfo::setPdfPrinterForTesting(out(QStringLiteral("printed.pdf")));
    IniFile(Folders::settingsFile())
        .writeInteger(Settings::MainSection, Settings::PlanCheckReminderKey, 0);
    AnswerBook book;
    book.add(QStringLiteral("TfrmTips"),
             [](QWidget* d) { clickButton(d, QStringLiteral("cmdOk")); });
    book.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
        clickButton(d, QStringLiteral("Newbtn"));
        setEditText(d, QStringLiteral("conameedit"), QStringLiteral("Acme Ltd"));
        setEditText(d, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
        clickButton(d, QStringLiteral("Button3"));
    });
    book.add(QStringLiteral("TfrmNew"), [](QWidget* d) {
        setEditText(d, QStringLiteral("txtNewPlanName"), QStringLiteral("Acme Plan"));
        clickButton(d, QStringLiteral("Button1"));
    });
    Application::startUp({0});
    QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));
    w = frmEdit;
    QVERIFY(w);
}

void TestContents::cleanupTestCase() {
    Application::shutDown();
    PrinterInfo::setPdfPrinterForTesting(QString());
    m_env.reset();
}

QStringList TestContents::sectionTitles() const {
    QStringList titles;
    for (int n = 2; n <= w->navigator()->itemCount(); ++n) titles << w->navigator()->itemText(n);
    return titles;
}

void TestContents::contentsOfThePrintedPlan() {
    // On unless switched off: the settings say nothing yet.
    QVERIFY(IniFile(Folders::settingsFile())
                .readString(Settings::MainSection, Settings::ContentsPageKey)
                .isEmpty());
    const QStringList titles = sectionTitles();
    QVERIFY(titles.size() > 30);

    const QString pdf = out(QStringLiteral("plan.pdf"));
    QVERIFY(runExport(w->menus().Plan1, pdf));
    const int pages = pdfPageCount(pdf);
    const QList<ReadEntry> entries = readContents(pdf, titles);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(entries.size(), titles.size());
    QVERIFY(pdfText(pdf, 1).contains(QStringLiteral("Acme Ltd")));
    // The navigator's levels: its second level indented, its first not.
    Navigator* nav = w->navigator();
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(entries[i].indented, nav->indexOf(i + 2).parent().isValid());

    // Each line a link to its page, lying over the line.
    const QList<PdfPageLink> links = pdfLinks(pdf);
    QCOMPARE(links.size(), entries.size());
    for (const ReadEntry& e : entries) {
        int found = 0;
        for (const PdfPageLink& l : links)
            if (l.page == e.on && l.box.contains(e.box.center())) {
                QCOMPARE(l.target, e.page);
                // The whole line, title to number.
                QVERIFY(l.box.left() <= e.box.left() + 1 && l.box.right() >= e.box.right() - 1);
                ++found;
            }
        QVERIFY2(found == 1, qPrintable(e.title));
    }
    // The bookmarks lead where the contents say.
    for (const PdfOutlineItem& m : pdfOutline(pdf)) {
        if (m.title == nav->itemText(1)) {
            QCOMPARE(m.page, 1);
            continue;
        }
        const int at = titles.indexOf(m.title);
        QVERIFY2(at >= 0 && entries[at].page == m.page, qPrintable(m.title));
    }

    // Paper has the same pages.
    const QString printed = out(QStringLiteral("printed.pdf"));
    QFile::remove(printed);
    w->cmdPrintClick();
    QCOMPARE(pdfPageCount(printed), pages);
    QCOMPARE(pdfText(printed), pdfText(pdf));

    // So has the preview: as many pages, the contents on the second.
    int last = 0;
    QString shown;
    QImage second, third;
    ModalAnswer preview([&](QWidget* d) {
        auto* p = qobject_cast<TfrmATXPrev*>(d);
        QVERIFY(p);
        last = p->LastPage;
        p->cmdNextPageClick();
        shown = p->Panel2->text();
        second = p->imgPrint.copy();
        p->cmdNextPageClick();
        third = p->imgPrint.copy();
        p->cmdCloseClick();
    });
    w->Preview1Click();
    QVERIFY(preview.wasAnswered());
    QCOMPARE(last, pages);
    QCOMPARE(shown, QStringLiteral("Page 2 of %1").arg(pages));
    QVERIFY(!second.isNull() && second != third);
}

void TestContents::pageSetupSwitchesItOff() {
    const QString on = out(QStringLiteral("on.pdf"));
    QVERIFY(runExport(w->menus().Plan1, on));
    const int pagesWith = pdfPageCount(on);

    auto pageSetup = [&](bool check, const QString& button) {
        bool wasChecked = false;
        ModalAnswer answer([&](QWidget* d) {
            auto* box = child<QCheckBox>(d, QStringLiteral("chkContents"));
            QVERIFY(box);
            QCOMPARE(box->text().remove(QLatin1Char('&')), QStringLiteral("Contents page"));
            wasChecked = box->isChecked();
            box->setChecked(check);
            clickButton(d, button);
        });
        w->mnuPageSetupClick();
        return answer.wasAnswered() ? int(wasChecked) : -1;
    };
    auto stored = [] {
        return IniFile(Folders::settingsFile())
            .readString(Settings::MainSection, Settings::ContentsPageKey);
    };
    // Cancel keeps it on.
    QCOMPARE(pageSetup(false, QStringLiteral("cmdCancel")), 1);
    QVERIFY(stored().isEmpty());
    QCOMPARE(pageSetup(false, QStringLiteral("cmdOk")), 1);
    QCOMPARE(stored(), QStringLiteral("0"));

    const QString off = out(QStringLiteral("off.pdf"));
    QVERIFY(runExport(w->menus().Plan1, off));
    QVERIFY(readContents(off, sectionTitles()).isEmpty());
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(!pdfText(off, 2).startsWith(ContentsPages::heading()));
    QVERIFY(pdfLinks(off).isEmpty());
    // The plan runs on from its title page as it did before there were contents: the same
    // words, without the contents page, on one or two pages fewer (the contents', and the
    // room left on the title page).
    QVERIFY(pdfPageCount(off) >= pagesWith - 2 && pdfPageCount(off) <= pagesWith - 1);
    QVERIFY(pdfText(off, 1).contains(QStringLiteral("Executive Summary")));
    const QList<ReadEntry> contents = readContents(on, sectionTitles());
    QVERIFY(!contents.isEmpty());
    auto words = [](const QString& pdf, int skipFrom, int skipTo) {
        QStringList kept;
        for (const Line& l : pdfLines(pdf))
            if ((l.page < skipFrom || l.page > skipTo) &&
                l.text() != QStringLiteral("Page %1").arg(l.page))
                kept << l.words;
        return kept.join(QString());
    };
    QCOMPARE(words(off, 0, 0), words(on, 2, contents.front().page - 1));

    // The page setup shows it off, and turns it on again.
    QCOMPARE(pageSetup(true, QStringLiteral("cmdOk")), 0);
    QCOMPARE(stored(), QStringLiteral("1"));
    const QString again = out(QStringLiteral("again.pdf"));
    QVERIFY(runExport(w->menus().Plan1, again));
    QCOMPARE(pdfPageCount(again), pagesWith);

    // Switched off in the preview's own page setup: the preview shows the plan without
    // them at once, and it stays off.
    int before = 0, after = 0;
    ModalAnswer preview([&](QWidget* d) {
        auto* p = qobject_cast<TfrmATXPrev*>(d);
        QVERIFY(p);
        before = p->LastPage;
        ModalAnswer setup([&](QWidget* s) {
            child<QCheckBox>(s, QStringLiteral("chkContents"))->setChecked(false);
            clickButton(s, QStringLiteral("cmdOk"));
        });
        clickButton(d, QStringLiteral("cmdPageSetup"));
        QVERIFY(setup.wasAnswered());
        after = p->LastPage;
        clickButton(d, QStringLiteral("cmdClose"));
    });
    w->Preview1Click();
    QVERIFY(preview.wasAnswered());
    QCOMPARE(before, pagesWith);
    QCOMPARE(after, pdfPageCount(off));
    QCOMPARE(stored(), QStringLiteral("0"));
}

void TestContents::titlePageAloneOrContentsOverSeveralPages() {
    // A plan of its own: a title page, then sections with a page of text each.
    TextControl text;
    TextControl footer;
    PlanPrinting printing(text, footer, nullptr);
    QList<PdfSection> sections{{QStringLiteral("Title Page"), 0, 99, false}};
    auto paragraph = [&](QTextCursor& c, const QString& words, int tag) {
        if (c.position() > 0) c.insertBlock();
        QTextBlockFormat f;
        if (tag) f.setProperty(TextFormat::PTagProperty, tag);
        c.setBlockFormat(f);
        QTextCharFormat cf;
        cf.setFontFamilies({QStringLiteral("DejaVu Sans")});
        cf.setFontPointSize(11);
        c.insertText(words, cf);
    };
    auto document = [&](int count, bool titled = true) {
        auto* doc = new QTextDocument;
        QTextCursor c(doc);
        if (titled) paragraph(c, QStringLiteral("Fine Teas Limited"), 99);
        for (int s = 1; s <= count; ++s) {
            paragraph(c, QStringLiteral("Heading%1 Part").arg(s), s);
            for (int i = 0; i < 8; ++i)
                paragraph(c, QStringLiteral("Words of section %1 ").arg(s).repeated(12), 0);
        }
        return doc;
    };
    for (int s = 1; s <= 40; ++s)
        sections.append({QStringLiteral("Heading%1 Part").arg(s), s % 5 == 1 ? 0 : 1, s, false});
    printing.setSections([&sections] { return sections; });
    printing.setContentsPage(true);

    PageGeometry g;
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                             QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    auto exportTo = [&](const QString& name) {
        g.fitTo(layout.paintRect(QPageLayout::Inch).size());
        PdfExport pdf;
        const bool ok = pdf.addPlan(printing, text, g, layout, sections) &&
                        pdf.finish(out(name), PdfInfo{});
        return ok ? out(name) : QString();
    };

    // Landscape with wide margins: forty sections take more than one page of contents.
    text.adoptDocument(document(40));
    g.top = g.bottom = 1.5;
    const QString several = exportTo(QStringLiteral("several.pdf"));
    QVERIFY(!several.isEmpty());
    QStringList titles;
    for (qsizetype i = 1; i < sections.size(); ++i) titles << sections[i].title;
    const QList<ReadEntry> entries = readContents(several, titles);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(entries.size(), 40);
    QVERIFY2(entries.back().on >= 3, qPrintable(QString::number(entries.back().on)));
    QCOMPARE(entries.front().page, entries.back().on + 1);
    for (const PdfPageLink& l : pdfLinks(several)) QVERIFY(l.target >= entries.front().page);
    QCOMPARE(pdfLinks(several).size(), 40);

    // Only the title page: no contents page, the title page alone.
    text.adoptDocument(document(0));
    const QString alone = exportTo(QStringLiteral("alone.pdf"));
    QCOMPARE(pdfPageCount(alone), 1);
    QVERIFY(!pdfText(alone).contains(ContentsPages::heading()));
    QVERIFY(readContents(alone, {}).isEmpty());
    QVERIFY(pdfLinks(alone).isEmpty());

    // Sections but nothing before them to be a title page: none either.
    text.adoptDocument(document(3, false));
    const QString untitled = exportTo(QStringLiteral("untitled.pdf"));
    QVERIFY(!pdfText(untitled).contains(ContentsPages::heading()));
    QVERIFY(pdfText(untitled, 1).startsWith(QStringLiteral("Heading1 Part")));
}

QTEST_MAIN(TestContents)
#include "tst_contents.moc"
