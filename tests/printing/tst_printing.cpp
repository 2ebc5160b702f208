#include "app/editfrm.h"
#include "app/printcommands.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/paperlayout.h"
#include "controls/text/printfunctions.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "editor/editcommands.h"
#include "platform/printerinfo.h"
#include "plans/lifecycle.h"
#include "printing/atxprev.h"
#include "printing/pageall.h"
#include "printing/planprint.h"
#include "printing/printdl.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <cmath>
#include <memory>

namespace {

QTextCharFormat plain() {
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("DejaVu Sans")});
    f.setFontPointSize(11);
    return f;
}

// A plan of `paragraphs` paragraphs "Para<i> ..." with a hidden red note in every third.
QTextDocument* makePlan(int paragraphs) {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    QTextCharFormat note = plain();
    note.setForeground(QColor(255, 0, 0));
    note.setProperty(TextFormat::HTagProperty, 999);
    note.setProperty(TextFormat::HiddenProperty, true);
    for (int i = 0; i < paragraphs; ++i) {
        if (i) c.insertBlock();
        c.insertText(QStringLiteral("Para%1 the market and our customers want quality and "
                                    "value from every product we sell. ")
                         .arg(i),
                     plain());
        if (i % 3 == 0) c.insertText(QStringLiteral("RedNote%1").arg(i), note);
    }
    return doc;
}

QString dialogText(QWidget* w) {
    auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"));
    return l ? l->text() : QString();
}

// The main window with the printing windows, a plan in its text and a PDF "printer".
struct PrintWindow {
    TestEnv env;
    QString pdf;
    std::unique_ptr<TfrmEdit> win;
    TextControl* text = nullptr;

    PrintWindow() {
        pdf = env.programFolder() + QStringLiteral("out.pdf");
        PrinterInfo::setPdfPrinterForTesting(pdf, QStringLiteral("Laser"), QStringLiteral("LPT1:"));
        win = std::make_unique<TfrmEdit>();
        win->resize(1000, 760);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        win->PanelAll->show();
        win->SetPlanControls(true);
        text = win->ATX321;
        printdl = new Tprintdl(win.get());
        frmpagesetupall = new Tfrmpagesetupall(win.get());
        frmATXPrev = new TfrmATXPrev(win.get());
        setPlan(makePlan(3));
    }
    ~PrintWindow() {
        printdl = nullptr;
        frmpagesetupall = nullptr;
        frmATXPrev = nullptr;
    }
    void setPlan(QTextDocument* doc) {
        text->adoptDocument(doc);
        text->setShowHidden(1);
        text->setFileName(env.userDataFolder() + QStringLiteral("5.mp"));
        win->lifecycle()->setPlanLoaded(true);
        win->PlanModified = false;
        win->editing()->PageWidth();
    }
    int pagesOnPaper() const {
        const PaperLayout paper(text->paperDocument(), twips(win->TextAreaWidth),
                                twips(win->TextAreaHeight));
        return paper.pageCount();
    }
    // A plan that fills exactly `pages` pages.
    void planOfPages(int pages) {
        int paragraphs = 1;
        setPlan(makePlan(paragraphs));
        while (pagesOnPaper() < pages)
            setPlan(makePlan(paragraphs += 3));
        while (pagesOnPaper() > pages)
            setPlan(makePlan(--paragraphs));
    }
};

void setPrintablePage(double width, double height) {
    QPrinter* p = PrinterInfo::instance().printer();
    p->setPageSize(QPageSize(QSizeF(width, height), QPageSize::Inch, QString(),
                             QPageSize::ExactMatch));
    p->setPageOrientation(QPageLayout::Portrait);
    p->setPageMargins(QMarginsF(0, 0, 0, 0));
}

bool navigation(TfrmATXPrev* p, bool first, bool previous, bool next, bool last) {
    return p->cmdFirstPage->isEnabled() == first && p->mnuFirst->isEnabled() == first &&
           p->cmdPrevPage->isEnabled() == previous && p->mnuPrev->isEnabled() == previous &&
           p->cmdNextPage->isEnabled() == next && p->mnuNext->isEnabled() == next &&
           p->cmdLastPage->isEnabled() == last && p->mnuLast->isEnabled() == last;
}

bool inside(QWidget* w, const QRect& area) {
    return area.contains(QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()));
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { PrinterInfo::setPdfPrinterForTesting(QString()); }

    void printsEveryPageWithItsFooter() {
        PrintWindow p;
        p.planOfPages(3);
        p.win->cmdPrintClick();

        QCOMPARE(pdfPageCount(p.pdf), 3);
        for (int page = 1; page <= 3; ++page) {
            const QString t = pdfText(p.pdf, page);
            QVERIFY2(t.contains(QRegularExpression(QStringLiteral("\\bPage %1\\s").arg(page))),
                     qPrintable(t.right(80)));
            QVERIFY(!t.contains(QLatin1String("RedNote")));
        }
        QVERIFY(!pdfText(p.pdf).contains(QLatin1String("Page 4")));
        const QList<PdfWord> words = pdfWords(p.pdf);
        QVERIFY(pdfWord(words, QStringLiteral("Page")).page == 1);

        QCOMPARE(printdl->Label4->text(), QStringLiteral("Laser"));
        QCOMPARE(printdl->Label6->text(), QStringLiteral("on LPT1:"));
        QCOMPARE(printdl->Label5->text(), QStringLiteral("Page 3"));
        QVERIFY(!printdl->cmdCancel->isEnabled());
        QVERIFY(printdl->isHidden());
        // The notes are still in the plan and shown.
        QCOMPARE(p.text->ShowHidden(), 1);
        QCOMPARE(p.text->PrinterDC(), 1);
        QVERIFY(p.text->toPlainText().contains(QLatin1String("RedNote0")));
        QVERIFY(p.win->updatesEnabled());

        // The footer is 10-point Arial: as tall on paper as 10-point Arial in the plan, and
        // shorter than 12-point, whichever font Arial is on this machine.
        auto* doc = new QTextDocument;
        QTextCursor c(doc);
        QTextCharFormat arial;
        arial.setFontFamilies({QStringLiteral("Arial")});
        arial.setFontPointSize(10);
        c.insertText(QStringLiteral("TenPoint"), arial);
        c.insertBlock();
        arial.setFontPointSize(12);
        c.insertText(QStringLiteral("TwelvePoint"), arial);
        p.setPlan(doc);
        p.win->cmdPrintClick();
        const QList<PdfWord> again = pdfWords(p.pdf);
        const PdfWord footer = pdfWord(again, QStringLiteral("Page"));
        const PdfWord ten = pdfWord(again, QStringLiteral("TenPoint"));
        const PdfWord twelve = pdfWord(again, QStringLiteral("TwelvePoint"));
        QVERIFY(footer.page == 1 && ten.page == 1 && twelve.page == 1);
        QVERIFY2(std::abs(footer.box.height() - ten.box.height()) < 0.05,
                 qPrintable(QStringLiteral("footer %1, 10 point %2")
                                .arg(footer.box.height())
                                .arg(ten.box.height())));
        QVERIFY(twelve.box.height() > footer.box.height() * 1.1);
    }

    // One-inch margins on a printable page eight inches wide: the text runs 1440 twips in
    // for 8640, the footer lies in the 500 twips under the text area.
    void marginsReachThePaper() {
        PrintWindow p;
        setPrintablePage(8, 11);
        p.win->PlanMargins = {1, 1, 1, 1};
        p.win->editing()->PageWidth();
        QCOMPARE(twips(p.win->TextAreaWidth), 8640);
        QCOMPARE(twips(p.win->TextAreaHeight), 12960);

        auto* doc = new QTextDocument;
        QTextCursor c(doc);
        c.insertText(QStringLiteral("LeftEdge"), plain());
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        c.insertBlock(right);
        c.insertText(QStringLiteral("RightEdge"), plain());
        p.setPlan(doc);
        p.win->cmdPrintClick();

        const QList<PdfWord> words = pdfWords(p.pdf);
        const PdfWord left = pdfWord(words, QStringLiteral("LeftEdge"));
        const PdfWord rightWord = pdfWord(words, QStringLiteral("RightEdge"));
        QVERIFY(std::abs(left.box.left() - 72) < 1.5);
        QVERIFY(left.box.top() > 71.5 && left.box.top() < 76);
        QVERIFY2(std::abs(rightWord.box.right() - 504) < 1.5,
                 qPrintable(QString::number(rightWord.box.right())));
        const PdfWord page = pdfWord(words, QStringLiteral("Page"));
        const PdfWord one = pdfWord(words, QStringLiteral("1"));
        QVERIFY(std::abs((page.box.left() + one.box.right()) / 2 - 288) < 2);
        QVERIFY2(page.box.top() > 719.5 && page.box.bottom() <= 745, qPrintable(QString::number(page.box.top())));
    }

    void noPrinter() {
        PrintWindow p;
        PrinterInfo::setNoPrinterForTesting();
        QString message;
        ModalAnswer answer([&](QWidget* w) {
            message = dialogText(w);
            QVERIFY(printdl->isHidden());
            clickButton(w, QStringLiteral("cmdOk"));
        });
        p.win->cmdPrintClick();
        QVERIFY(answer.wasAnswered());
        QCOMPARE(message, QStringLiteral("There is no default printer currently selected."));
        QCOMPARE(p.text->ShowHidden(), 1);
        QCOMPARE(p.text->PrinterDC(), 0);
        QVERIFY(p.win->updatesEnabled());
    }

    // Margins that leave no text area make the control refuse; the run still ends.
    void controlErrorsAreReported() {
        PrintWindow p;
        p.win->PlanMargins = {5, 5, 1, 1};
        p.win->editing()->PageWidth();
        QString message;
        ModalAnswer answer([&](QWidget* w) {
            message = dialogText(w);
            clickButton(w, QStringLiteral("cmdOk"));
        });
        p.win->cmdPrintClick();
        QVERIFY(answer.wasAnswered());
        QCOMPARE(message, QStringLiteral("Printing failed to print with the error code: 4"));
        QVERIFY(printdl->isHidden());
        QVERIFY(p.win->updatesEnabled());
    }

    void previewOfOnePage() {
        PrintWindow p;
        p.planOfPages(1);
        bool checked = false;
        ModalAnswer answer([&](QWidget* w) {
            auto* prev = qobject_cast<TfrmATXPrev*>(w);
            QVERIFY(prev);
            QCOMPARE(prev->Panel2->text(), QStringLiteral("Page 1 of 1"));
            QVERIFY(navigation(prev, false, false, false, false));
            QVERIFY(prev->cmdZoom100->isChecked());
            QVERIFY(prev->mnu100->isChecked() && !prev->mnuFit->isChecked());
            checked = true;
            clickButton(w, QStringLiteral("cmdClose"));
        });
        p.win->Preview1Click();
        QVERIFY(answer.wasAnswered());
        QVERIFY(checked);
        QCOMPARE(p.text->ShowHidden(), 1);
        QCOMPARE(p.text->PrinterDC(), 0);
        QVERIFY(!p.win->PlanModified);
    }

    // After a save, closing the preview shows the text where the caret is, deep in a
    // long plan, not some screens away from it.
    void previewAfterASaveKeepsTheCaretInView() {
        PrintWindow p;
        p.planOfPages(12);
        QTextCursor c(p.text->document());
        c.setPosition(p.text->document()->characterCount() * 2 / 3);
        p.text->setTextCursor(c);
        p.text->ensureCursorVisible();
        QApplication::processEvents();
        const int caret = p.text->textCursor().position();
        QVERIFY(p.text->viewport()->rect().contains(p.text->cursorRect().center()));
        QVERIFY(p.win->lifecycle()->mnuSaveClick());
        QApplication::processEvents();
        ModalAnswer answer([](QWidget* w) { clickButton(w, QStringLiteral("cmdClose")); });
        p.win->Preview1Click();
        QVERIFY(answer.wasAnswered());
        QApplication::processEvents();
        QCOMPARE(p.text->textCursor().position(), caret);
        const QRect at = p.text->cursorRect();
        QVERIFY2(p.text->viewport()->rect().contains(at.center()),
                 qPrintable(QStringLiteral("the caret is drawn at y %1 in a view %2 high")
                                .arg(at.center().y())
                                .arg(p.text->viewport()->height())));
    }

    // Pages one by one from a layout made once; the footer of the page shown.
    void previewNavigation() {
        PrintWindow p;
        p.planOfPages(4);
        const int layoutsBefore = paperLayoutCount(p.text);
        int layoutsDuring = -1;
        ModalAnswer answer([&](QWidget* w) {
            auto* prev = qobject_cast<TfrmATXPrev*>(w);
            QCOMPARE(prev->Panel2->text(), QStringLiteral("Page 1 of 4"));
            QVERIFY(navigation(prev, false, false, true, true));
            const QImage first = prev->imgPrint;
            clickButton(w, QStringLiteral("cmdNextPage"));
            QCOMPARE(prev->Panel2->text(), QStringLiteral("Page 2 of 4"));
            QVERIFY(navigation(prev, true, true, true, true));
            QVERIFY(prev->imgPrint != first);
            clickButton(w, QStringLiteral("cmdLastPage"));
            QCOMPARE(prev->Panel2->text(), QStringLiteral("Page 4 of 4"));
            QVERIFY(navigation(prev, true, true, false, false));
            prev->mnuPrev->trigger();
            QCOMPARE(prev->CurrentPage, 3);
            clickButton(w, QStringLiteral("cmdFirstPage"));
            QVERIFY(navigation(prev, false, false, true, true));
            QCOMPARE(prev->imgPrint, first);
            layoutsDuring = paperLayoutCount(p.text);
            clickButton(w, QStringLiteral("cmdClose"));
        });
        p.win->Preview1Click();
        QVERIFY(answer.wasAnswered());
        QCOMPARE(layoutsDuring, layoutsBefore + 1);
    }

    void previewZoom() {
        PrintWindow p;
        p.planOfPages(2);
        ModalAnswer answer([&](QWidget* w) {
            auto* prev = qobject_cast<TfrmATXPrev*>(w);
            QWidget* viewport = prev->ScrollBox1->viewport();
            auto visibleArea = [&] {
                QTest::qWait(30); // the scroll box settles its bars
                return QRect(viewport->mapTo(prev, QPoint(0, 0)), viewport->size());
            };
            // 100%: the page at screen size.
            const QSizeF page = prev->imgPrint.deviceIndependentSize();
            QVERIFY(std::abs(prev->imgPreview->width() - page.width()) <= 1);
            QVERIFY(std::abs(prev->imgPreview->height() - page.height()) <= 1);
            clickButton(w, QStringLiteral("cmdZoomFit"));
            QVERIFY(prev->mnuFit->isChecked() && !prev->mnu100->isChecked());
            QVERIFY(inside(prev->imgPreview, visibleArea()));
            prev->resize(prev->width() / 2, prev->height() - 100);
            QVERIFY(inside(prev->imgPreview, visibleArea()));
            QVERIFY(prev->imgPreview->height() > visibleArea().height() * 0.9 ||
                    prev->imgPreview->width() > visibleArea().width() * 0.9);
            clickButton(w, QStringLiteral("cmdZoomPW"));
            QVERIFY(prev->mnuPW->isChecked() && !prev->mnuFit->isChecked());
            const double share = double(prev->imgPreview->width()) / viewport->width();
            QVERIFY2(share > 0.85 && share < 0.95, qPrintable(QString::number(share)));
            clickButton(w, QStringLiteral("cmdClose"));
        });
        p.win->Preview1Click();
        QVERIFY(answer.wasAnswered());
    }

    // Page setup inside the preview becomes the plan's, and marks the plan changed even
    // when it was cancelled.
    void pageSetupInsidePreview() {
        for (const bool ok : {true, false}) {
            PrintWindow p;
            p.planOfPages(2);
            const double printable = PrinterInfo::instance().printablePageInches().width();
            ModalAnswer answer([&](QWidget* w) {
                auto* prev = qobject_cast<TfrmATXPrev*>(w);
                clickButton(w, QStringLiteral("cmdNextPage"));
                ModalAnswer setup([&](QWidget* s) {
                    setEditText(s, QStringLiteral("txtLeftMargin"), QStringLiteral("2"));
                    setEditText(s, QStringLiteral("txtRightMargin"), QStringLiteral("2"));
                    clickButton(s, ok ? QStringLiteral("cmdOk") : QStringLiteral("cmdCancel"));
                });
                clickButton(w, QStringLiteral("cmdPageSetup"));
                QVERIFY(setup.wasAnswered());
                QCOMPARE(prev->CurrentPage, 1);
                QCOMPARE(prev->geometry().left, ok ? 2.0 : 1.0);
                QVERIFY2(prev->Panel2->text().startsWith(QLatin1String("Page 1 of ")),
                         qPrintable(prev->Panel2->text()));
                QVERIFY(prev->updatesEnabled());
                clickButton(w, QStringLiteral("cmdClose"));
            });
            p.win->Preview1Click();
            QVERIFY(answer.wasAnswered());
            QVERIFY(p.win->PlanModified);
            const double margin = ok ? 2 : 1;
            QCOMPARE(p.win->PlanMargins, (Settings::Margins{margin, margin, 1, 1}));
            QVERIFY(std::abs(p.win->TextAreaWidth - (printable - 2 * margin)) < 1e-9);
            QCOMPARE(p.text->DocWidth(), twips(printable - 2 * margin));
        }
    }

    void printFromPreview() {
        PrintWindow p;
        p.planOfPages(2);
        ModalAnswer answer([](QWidget* w) { clickButton(w, QStringLiteral("cmdPrint")); });
        p.win->Preview1Click();
        QVERIFY(answer.wasAnswered());
        QCOMPARE(pdfPageCount(p.pdf), 2);
        QVERIFY(pdfText(p.pdf, 2).contains(QLatin1String("Page 2")));
    }

    void marginLimits_data() {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<bool>("across");
        QTest::addColumn<bool>("fits");
        QTest::newRow("4 + 3.5 across") << QSizeF(8, 11) << 4.0 << 3.5 << true << true;
        QTest::newRow("4 + 4 across") << QSizeF(8, 11) << 4.0 << 4.0 << true << false;
        QTest::newRow("5 + 5.5 down") << QSizeF(8, 11) << 5.0 << 5.5 << false << true;
        QTest::newRow("5 + 6 down") << QSizeF(8, 11) << 5.0 << 6.0 << false << false;
        QTest::newRow("landscape 5 + 5.5 across") << QSizeF(11, 8) << 5.0 << 5.5 << true << true;
    }
    void marginLimits() {
        QFETCH(QSizeF, page);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(bool, across);
        QFETCH(bool, fits);
        PageMargins m;
        if (across) {
            m.left = a;
            m.right = b;
        } else {
            m.top = a;
            m.bottom = b;
        }
        QCOMPARE(marginsFitPage(m, page), fits);
    }

    // Margins that do not fit keep the window open with the message; fitting ones close it.
    void pageSetupRefusesOverlappingMargins() {
        PrintWindow p;
        setPrintablePage(8, 11);
        PageMargins plan;
        SheetPrintSettings sheet;
        QString message;
        bool stayedOpen = false;
        bool focusOnLeft = false;
        ModalAnswer answer([&](QWidget* w) {
            auto* s = qobject_cast<Tfrmpagesetupall*>(w);
            setEditText(w, QStringLiteral("txtLeftMargin"), QStringLiteral("4"));
            setEditText(w, QStringLiteral("txtRightMargin"), QStringLiteral("4"));
            ModalAnswer refusal([&](QWidget* m) {
                message = dialogText(m);
                clickButton(m, QStringLiteral("cmdOk"));
            });
            clickButton(w, QStringLiteral("cmdOk"));
            QVERIFY(refusal.wasAnswered());
            stayedOpen = w->isVisible();
            focusOnLeft = s->focusWidget() == s->txtLeftMargin;
            setEditText(w, QStringLiteral("txtRightMargin"), QStringLiteral("3.5"));
            clickButton(w, QStringLiteral("cmdOk"));
        });
        QVERIFY(frmpagesetupall->Execute(plan, sheet));
        QVERIFY(answer.wasAnswered());
        QCOMPARE(message, QStringLiteral("The margins overlap or they are off the paper.\n"
                                         "Enter a different margin size."));
        QVERIFY(stayedOpen);
        QVERIFY(focusOnLeft);
        QCOMPARE(plan, (PageMargins{4, 3.5, 1, 1}));
    }

    void pageSetupBoxes() {
        PrintWindow p;
        PageMargins plan{1.25, 1, 0.5, 0.75};
        SheetPrintSettings sheet;
        sheet.scale = 60;
        sheet.fit = false;
        sheet.margins = {0.5, 0.6, 0.7, 0.8};
        sheet.landscape = false;
        const SheetPrintSettings before = sheet;
        ModalAnswer answer([&](QWidget* w) {
            auto* s = qobject_cast<Tfrmpagesetupall*>(w);
            QCOMPARE(s->comZoom->currentText(), QStringLiteral("100"));
            QCOMPARE(s->txtLeftMargin->text(), QStringLiteral("1.25"));
            QCOMPARE(s->txtCBottomMargin->text(), QStringLiteral("0.8"));
            QVERIFY(s->rbCPortrait->isChecked());
            for (QWidget* box : std::initializer_list<QWidget*>{s->edPH, s->edPW, s->lblPH, s->lblPW})
                QVERIFY(!box->isEnabled());
            s->chkFit->click();
            QVERIFY(s->edPH->isEnabled() && s->lblPW->isEnabled());
            // Only digits and the point go into a margin box; an empty one becomes 1.
            s->txtTopMargin->clear();
            QTest::keyClicks(s->txtTopMargin, QStringLiteral("a2x.5-"));
            QCOMPARE(s->txtTopMargin->text(), QStringLiteral("2.5"));
            QTest::keyClicks(s->edPW, QStringLiteral("3b"));
            QCOMPARE(s->edPW->text(), QStringLiteral("23"));
            clickButton(w, QStringLiteral("cmdCancel"));
        });
        QVERIFY(!frmpagesetupall->Execute(plan, sheet));
        QVERIFY(answer.wasAnswered());
        QCOMPARE(plan, (PageMargins{1.25, 1, 0.5, 0.75}));
        QCOMPARE(sheet, before);

        sheet.scale = 200;
        ModalAnswer again([&](QWidget* w) {
            auto* s = qobject_cast<Tfrmpagesetupall*>(w);
            QCOMPARE(s->comZoom->currentText(), QStringLiteral("200"));
            s->txtBottomMargin->clear();
            s->chkFit->click();
            s->edPH->setText(QStringLiteral("3"));
            clickButton(w, QStringLiteral("cmdOk"));
        });
        QVERIFY(frmpagesetupall->Execute(plan, sheet));
        QVERIFY(again.wasAnswered());
        QCOMPARE(plan.bottom, 1.0);
        QVERIFY(sheet.fit);
        QCOMPARE(sheet.pagesHigh, 3);
        QCOMPARE(sheet.scale, 200);
    }

    // Cancel puts the printer's paper back; OK keeps what was chosen.
    void pageSetupPaper() {
        PrintWindow p;
        PrinterInfo& printer = PrinterInfo::instance();
        QCOMPARE(printer.paperSize(), 9);
        QCOMPARE(printer.orientation(), 1);
        PageMargins plan;
        SheetPrintSettings sheet;
        for (const bool ok : {false, true}) {
            ModalAnswer answer([&](QWidget* w) {
                auto* s = qobject_cast<Tfrmpagesetupall*>(w);
                QCOMPARE(s->cbSize->currentData().toInt(), 9);
                const int letter = s->cbSize->findData(1);
                QVERIFY(letter >= 0);
                s->cbSize->setCurrentIndex(letter);
                emit s->cbSize->activated(letter);
                s->rbLandscape->click();
                QCOMPARE(printer.paperSize(), 1);
                QCOMPARE(printer.orientation(), 2);
                // Landscape: the sheet 90 pixels across, 50 left of the middle.
                const Thumbnail t = s->pnlPlan->thumbnail();
                QCOMPARE(t.paper.width(), 90);
                QCOMPARE(t.paper.left(), s->pnlPlan->width() / 2 - 50);
                QVERIFY(t.paper.height() < 90);
                // The budget, upright, is turned against the plan.
                const Thumbnail b = s->pnlCashflow->thumbnail();
                QCOMPARE(b.paper.size(), t.paper.size().transposed());
                QCOMPARE(b.paper.top(), 80);
                clickButton(w, ok ? QStringLiteral("cmdOk") : QStringLiteral("cmdCancel"));
            });
            sheet.landscape = false;
            QCOMPARE(frmpagesetupall->Execute(plan, sheet), ok);
            QVERIFY(answer.wasAnswered());
            QCOMPARE(printer.paperSize(), ok ? 1 : 9);
            QCOMPARE(printer.orientation(), ok ? 2 : 1);
        }
    }

    void thumbnails() {
        // Portrait on a page 8 by 10: 72 by 90 pixels, 10 from the top, centred.
        const PageMargins m{1, 1, 2, 2};
        Thumbnail t = pageThumbnail(QSize(220, 112), QSizeF(8, 10), false, m, true);
        QCOMPARE(t.paper, QRect(74, 10, 72, 90));
        QCOMPARE(t.shadow, QRect(79, 15, 72, 90));
        // 9 pixels an inch: the frame from half a margin in.
        QCOMPARE(t.frame, QRect(74 + 5, 10 + 9, 63, 72));
        QCOMPARE(t.sample, t.frame.adjusted(1, 1, -1, -1));
        // Margins that leave less than 2 pixels: a 4-pixel frame, down only when asked.
        const PageMargins wide{4, 3.9, 5, 4.9};
        t = pageThumbnail(QSize(220, 112), QSizeF(8, 10), false, wide, true);
        QCOMPARE(t.frame.size(), QSize(4, 4));
        const PageMargins across{5, 4.9, 3.9, 4};
        t = pageThumbnail(QSize(220, 112), QSizeF(10, 8), true, across, false);
        QCOMPARE(t.frame.width(), 4);
        QVERIFY(t.frame.height() > 4);
        QCOMPARE(t.paper, QRect(60, (112 - 72) / 2, 90, 72));
    }

    // Page setup in the main window: the margins, paper and orientation travel in the
    // plan's file and come back with it.
    void pageSetupTravelsWithThePlan() {
        PrintWindow p;
        ModalAnswer answer([](QWidget* w) {
            setEditText(w, QStringLiteral("txtLeftMargin"), QStringLiteral("1.25"));
            setEditText(w, QStringLiteral("txtRightMargin"), QStringLiteral("1"));
            setEditText(w, QStringLiteral("txtTopMargin"), QStringLiteral("0.5"));
            setEditText(w, QStringLiteral("txtBottomMargin"), QStringLiteral("0.75"));
            auto* s = qobject_cast<Tfrmpagesetupall*>(w);
            s->rbPortrait->click();
            clickButton(w, QStringLiteral("cmdOk"));
        });
        p.win->mnuPageSetupClick();
        QVERIFY(answer.wasAnswered());
        QVERIFY(p.win->PlanModified);
        QCOMPARE(p.win->PlanMargins, (Settings::Margins{1.25, 1, 0.5, 0.75}));
        const QSizeF page = PrinterInfo::instance().printablePageInches();
        QVERIFY(std::abs(p.win->TextAreaWidth - (page.width() - 2.25)) < 1e-9);
        QCOMPARE(p.text->DocWidth(), twips(page.width() - 2.25));

        QVERIFY(p.win->lifecycle()->mnuSaveClick());
        TextControl reader;
        QVERIFY(reader.loadFile(p.text->FileName(), TextControl::NativeRtf));
        QCOMPARE(reader.toPlainText().left(68),
                 QStringLiteral("000000000001250000000000001000000000000000500000000000000750"
                                "00090001"));

        p.win->PlanMargins = {1, 1, 1, 1};
        PrinterInfo::instance().setPaperSize(1);
        PrinterInfo::instance().setOrientation(2);
        QVERIFY(p.text->loadFile(p.text->FileName(), TextControl::NativeRtf));
        QVERIFY(p.win->lifecycle()->TakeHeader());
        QCOMPARE(p.win->PlanMargins, (Settings::Margins{1.25, 1, 0.5, 0.75}));
        QCOMPARE(PrinterInfo::instance().paperSize(), 9);
        QCOMPARE(PrinterInfo::instance().orientation(), 1);

        // Cancelled, nothing changes and there is nothing to save: not even the budget's
        // paper when it is another than the printer's.
        const SheetControl::DevMode budgetPaper{PrinterInfo::instance().paperSize() == 9 ? 1 : 9, 0};
        p.win->spread->setPrintDevMode(budgetPaper);
        QCOMPARE(p.win->spread->PrintDevMode(), budgetPaper);
        p.win->PlanModified = false;
        ModalAnswer cancel([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        p.win->mnuPageSetupClick();
        QVERIFY(cancel.wasAnswered());
        QVERIFY(!p.win->PlanModified);
        QCOMPARE(p.win->spread->PrintDevMode(), budgetPaper);
    }

    // The sheet's print settings reach the budget sheet and read back from it; when the
    // sheet cannot be asked the stand-in values keep the centring chosen before.
    void sheetSettingsReachTheSheet() {
        PrintWindow p;
        PrintCommands* commands = p.win->printCommands();
        SheetPrintSettings s;
        s.scale = 50;
        s.fit = false;
        s.pagesHigh = 2;
        s.pagesWide = 3;
        s.hCenter = true;
        s.margins = {0.5, 0.75, 1.25, 1.5};
        s.landscape = false;
        commands->ApplySheetPrintSettings(s);
        QCOMPARE(p.win->spread->PrintLeftMargin(), 0.5);
        QCOMPARE(p.win->spread->PrintBottomMargin(), 1.5);
        QVERIFY(!p.win->spread->PrintLandscape());
        QCOMPARE(commands->ReadSheetPrintSettings(), s);

        const SheetPrintSettings stand = SheetPrintSettings::fallback(s);
        QVERIFY(stand.hCenter && !stand.vCenter);
        QCOMPARE(stand.scale, 100);
        QVERIFY(stand.fit && stand.landscape);
        QCOMPARE(stand.pagesHigh, 1);
        QCOMPARE(stand.pagesWide, 2);
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
