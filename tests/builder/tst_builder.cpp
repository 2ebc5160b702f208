#include "app/editfrm.h"
#include "app/windowview.h"
#include "builder/buildertoolbar.h"
#include "controls/text/textcontrol.h"
#include "plans/navigator.h"
#include "plans/navstructure.h"
#include "plans/planbuilder.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "widgets/toolpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {

// The main window as a template author has it: a plan open, the outline read from
// `outline`, the builder offered.
struct AuthorWindow {
    TestEnv env;
    std::unique_ptr<TfrmEdit> win;
    Navigator* nav = nullptr;
    BuilderToolbar* b = nullptr;
    TextControl* text = nullptr;

    AuthorWindow(const QByteArray& outline, int sections) {
        win = std::make_unique<TfrmEdit>();
        win->resize(1000, 760);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        win->PanelAll->show();
        win->SetPlanControls(true);
        win->view()->OfferBuilder();
        nav = win->navigator();
        b = win->builder();
        text = win->ATX321;
        const QString file = env.dataFolder() + QStringLiteral("test.nav");
        QVERIFY(PlanBuilder::writeText(file, outline));
        QVERIFY(nav->BuildNavFrom(file));
        text->adoptDocument(PlanBuilder::makePlan(sections));
        text->setWriteProtect(0);
        QApplication::processEvents();
    }

    void select(int number) { win->Outline1->setCurrentIndex(nav->indexOf(number)); }
    QStringList items() const {
        QStringList out;
        for (int n = 1; n <= nav->itemCount(); ++n)
            out << nav->itemText(n);
        return out;
    }
    QString structFile() const { return Folders::resolve(env.dataFolder() + "struct.nav"); }
};

// The message the next message dialog shows, answered with OK.
struct DialogText {
    QString text;
    ModalAnswer answer{[this](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            text = box->text();
            box->accept();
            return;
        }
        if (auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"))) text = l->text();
        clickButton(w, QStringLiteral("cmdOk"));
    }};
};

// Whether every character of [start, end) carries `value` as its NTag.
bool ntagCovers(TextControl* text, int start, int end, int value) {
    QTextCursor c(text->document());
    for (int pos = start; pos < end; ++pos) {
        if (text->document()->characterAt(pos) == QChar::ParagraphSeparator) continue;
        c.setPosition(pos + 1);
        if (c.charFormat().property(TextFormat::NTagProperty).toInt() != value) return false;
    }
    return true;
}

} // namespace

class TestBuilder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    // Items added and removed in the outline, the structure written, read back, and a
    // write the disk refuses.
    void outlineEditedAndWritten() {
        AuthorWindow p("A\r\n\tA1\r\n\tA2\r\nB\r\n", 4);
        QVERIFY(!p.win->docBuilder->isHidden());
        QVERIFY(p.win->menus().mnuBuilder->isChecked());
        QVERIFY(p.win->menus().mnuToolbars->actions().contains(p.win->menus().mnuBuilder));

        // With no item selected the buttons do nothing.
        p.win->Outline1->setCurrentIndex(QModelIndex());
        p.b->Edit6->setText(QStringLiteral("New"));
        p.b->cmdAddPeer->click();
        p.b->cmdMakeChild->click();
        p.b->cmdRemoveItem->click();
        QCOMPARE(p.items(), (QStringList{"A", "A1", "A2", "B"}));

        // A peer goes last at the selected item's level, a child last under it; a caption
        // is one line without blanks around it, so that it reads back as it shows.
        p.select(2);
        p.b->Edit6->setText(QStringLiteral("  A3  "));
        p.b->cmdAddPeer->click();
        p.select(5);
        p.b->Edit6->setText(QStringLiteral("\tB1"));
        p.b->cmdMakeChild->click();
        p.b->Edit6->setText(QStringLiteral("   "));
        p.b->cmdAddPeer->click();
        QCOMPARE(p.items(), (QStringList{"A", "A1", "A2", "A3", "B", "B1"}));
        QVERIFY(p.win->Outline1->isExpanded(p.nav->indexOf(5)));
        QCOMPARE(p.nav->selectedItem(), 5);

        // Removing a heading takes its items with it; the navigator still moves.
        p.select(2);
        p.b->cmdRemoveItem->click();
        p.select(4);
        p.b->Edit6->setText(QStringLiteral("B2"));
        p.b->cmdMakeChild->click();
        p.select(1);
        p.b->cmdRemoveItem->click();
        QCOMPARE(p.items(), (QStringList{"B", "B1", "B2"}));
        p.win->navigator()->btnLastClick();
        QCOMPARE(p.nav->selectedItem(), 3);
        QCOMPARE(p.b->Edit1->text(), QStringLiteral("2"));

        p.b->cmdWriteToDB->click();
        QCOMPARE(readFileBytes(p.structFile()), QByteArray("B\r\n\tB1\r\n\tB2\r\n"));
        QVERIFY(p.nav->BuildNavFrom(p.structFile()));
        QCOMPARE(p.items(), (QStringList{"B", "B1", "B2"}));

        // A write the disk refuses says so. (A folder in the file's place: the tests may
        // run as root, whom a read-only folder does not stop.)
        QVERIFY(QFile::remove(p.structFile()));
        QVERIFY(QDir().mkpath(p.structFile()));
        DialogText said;
        p.b->cmdWriteToDB->click();
        QVERIFY(said.answer.wasAnswered());
        QVERIFY2(said.text.startsWith(
                     QStringLiteral("An error occurred while writing the navigator structure")),
                 qPrintable(said.text));
        QVERIFY(QFileInfo(p.structFile()).isDir());
    }

    // Section tags, guidance marks and the raw save of the plan text and the guidance.
    void textTaggedMarkedAndSaved() {
        AuthorWindow p("S1\r\nS2\r\nS3\r\nS4\r\nS5\r\nS6\r\n", 6);
        p.win->navigator()->btnFirstClick();
        QCOMPARE(p.b->Edit1->text(), QStringLiteral("99"));

        // "ptag" on item 5 over two paragraphs of section 2.
        const int start = p.text->document()->findBlockByNumber(
                              PlanBuilder::firstParagraphOf(2) + 2).position() + 5;
        const int length = 80;
        p.select(5);
        p.text->setSelStart(start);
        p.text->setSelLength(length);
        p.b->cmdptag->click();
        QCOMPARE(p.text->SelStart(), start);
        QCOMPARE(p.text->SelLength(), length);
        QVERIFY(ntagCovers(p.text, start, start + length, 4));
        QCOMPARE(p.text->document()->findBlock(start).blockFormat().property(
                     TextFormat::PTagProperty).toInt(), 4);
        QCOMPARE(p.win->Statusbar1->currentMessage(), QStringLiteral("tag 4"));
        QVERIFY(p.win->PlanModified);
        // One command, one undo.
        p.text->setUnDoAction(1);
        QVERIFY(ntagCovers(p.text, start, start + length, 1));
        QVERIFY(!p.text->document()->findBlock(start).blockFormat().hasProperty(
            TextFormat::PTagProperty));

        // No section selected: nothing is tagged.
        p.win->Outline1->setCurrentIndex(QModelIndex());
        p.text->setSelStart(start);
        p.text->setSelLength(length);
        p.b->cmdptag->click();
        QVERIFY(ntagCovers(p.text, start, start + length, 1));

        // "Set Start pTag" tags the caret as the first section and says so.
        DialogText said;
        p.b->Button2->click();
        QVERIFY(said.answer.wasAnswered());
        QCOMPARE(said.text, QStringLiteral("ptag: 99"));
        QCOMPARE(p.text->SelStart(), start);
        QCOMPARE(p.text->SelLength(), 0);
        QCOMPARE(p.text->PTag(), 99);

        // "ntag" with the number typed, "find ntag" forward, else backward.
        const int later = p.text->document()->findBlockByNumber(
                              PlanBuilder::firstParagraphOf(5) + 3).position();
        p.text->setSelStart(later);
        p.text->setSelLength(12);
        p.b->Edit5->setText(QStringLiteral("42"));
        p.b->ExplorerButton3->click();
        QVERIFY(ntagCovers(p.text, later, later + 12, 42));
        p.text->setSelStart(0);
        p.b->ExplorerButton4->click();
        QCOMPARE(p.text->SelStart(), later);
        QCOMPARE(p.text->SelLength(), 12);
        p.text->setSelStart(p.text->TextLength());
        p.b->ExplorerButton4->click();
        QCOMPARE(p.text->SelStart(), later);
        // The hidden "find ptag" the same way for the paragraph tagged.
        const int fifth =
            p.text->document()->findBlockByNumber(PlanBuilder::firstParagraphOf(5)).position();
        p.b->Edit3->setText(QStringLiteral("4"));
        p.text->setSelStart(0);
        p.b->ExplorerButton2->click();
        QCOMPARE(p.text->SelStart(), fifth);
        p.text->setSelStart(p.text->TextLength());
        p.b->ExplorerButton2->click();
        QCOMPARE(p.text->SelStart(), fifth);

        // Marks: blue prompt, red note, untagged red note, 1001; red notes shown or not.
        p.text->setSelStart(later);
        p.text->setSelLength(4);
        p.b->cmdBlue->click();
        p.text->setTagReadSelect(1);
        QCOMPARE(p.text->HTag(), 1);
        QCOMPARE(p.text->FontColor(), 255 * 65536);
        p.b->cmdRed->click();
        QCOMPARE(p.text->HTag(), 999);
        QCOMPARE(p.text->FontHidden(), -1);
        p.b->Button3->click();
        QCOMPARE(p.text->HTag(), 0);
        QCOMPARE(p.text->FontColor(), 255);
        p.b->Button1->click();
        QCOMPARE(p.text->HTag(), 1001);
        p.text->setTagReadSelect(0);
        QVERIFY(p.b->chkRed->isChecked());
        p.b->chkRed->click();
        QCOMPARE(p.text->ShowHidden(), 0);
        p.b->chkRed->click();
        QCOMPARE(p.text->ShowHidden(), 1);

        // "save text NOW!" writes both texts to their files as they stand.
        const QString plan = p.env.userDataFolder() + "7.mp";
        const QString guidance = p.env.dataFolder() + "7.pla";
        p.win->ATX322->setPlainText(QStringLiteral("Guidance as edited"));
        p.win->ATX322->setFileName(guidance);
        p.text->setFileName(plan);
        p.text->setSelStart(later);
        p.text->setSelLength(3);
        p.b->ExplorerButton5->click();
        QCOMPARE(p.text->SelStart(), later);
        QCOMPARE(p.text->SelLength(), 3);
        TextControl back;
        QVERIFY(back.loadFile(plan, TextControl::NativeRtf));
        QCOMPARE(back.toPlainText(), p.text->toPlainText());
        back.setSelStart(later + 1);
        QCOMPARE(back.NTag(), 42);
        QVERIFY(back.loadFile(guidance, TextControl::NativeRtf));
        QCOMPARE(back.toPlainText(), QStringLiteral("Guidance as edited"));

        // A file that cannot be written is named.
        p.text->setFileName(p.env.dataFolder());
        DialogText failed;
        p.b->ExplorerButton5->click();
        QVERIFY(failed.answer.wasAnswered());
        QVERIFY2(failed.text.contains(QStringLiteral("Unable to write")), qPrintable(failed.text));
    }
};

QTEST_MAIN(TestBuilder)
#include "tst_builder.moc"
