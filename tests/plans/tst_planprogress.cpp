// The plan's progress from its text alone: a text control, no main window.

#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "planbuilder.h"
#include "plans/planprogress.h"
#include "plans/progressmarks.h"

#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeView>

using PlanBuilder::Run;

namespace {

constexpr int kBlue = 255 * 65536;
constexpr int kRed = 255;
constexpr int kSections = 5;

// A template of five sections in the shipped template's manner: a heading, a red note, a
// sentence with the business's name and a prompt inside, and a bullet list of prompts.
// With `business` set, the placeholders are filled as the plan's load fills them.
// With `partHeading` set, that section is a part heading: its heading and red note only.
QTextDocument* makeTemplate(const QString& business = {}, int partHeading = 0) {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    const Run name = business.isEmpty() ? Run{QStringLiteral("[BusinessName]"), 300}
                                        : Run{business};
    for (int s = 1; s <= kSections; ++s) {
        const int tag = PlanBuilder::sectionTag(s);
        PlanBuilder::addParagraph(c, s == 1, tag, tag, {{QStringLiteral("Heading %1").arg(s)}});
        PlanBuilder::addParagraph(c, false, 0, tag,
                                  {{QStringLiteral("Say what matters here."), 999, kRed, true}});
        if (s == partHeading) continue;
        PlanBuilder::addParagraph(
            c, false, 0, tag,
            {name, {QStringLiteral(" sells ")}, {QStringLiteral("what it sells"), 1, kBlue},
             {QStringLiteral(" to ")}, {QStringLiteral("its customers"), 1, kBlue},
             {QStringLiteral(".")}});
        for (int b = 1; b <= 2; ++b)
            PlanBuilder::addParagraph(
                c, false, 0, tag,
                {{QStringLiteral("\u2022 ")}, {QStringLiteral("Point %1").arg(b), 1, kBlue}});
    }
    return doc;
}

struct Plan {
    TextControl text;
    PlanProgress progress{text};

    Plan() {
        std::unique_ptr<QTextDocument> original(makeTemplate());
        progress.setTemplate(PlanTemplate(*original));
        text.adoptDocument(makeTemplate(QStringLiteral("Bright Bakery")));
        progress.setSectionCount(kSections);
        progress.setActive(true);
        progress.refresh();
    }
    QTextDocument* doc() { return text.document(); }
    // Replaces [from, to) with text typed as the owner types it: user text, black.
    void type(int from, int to, const QString& words) {
        QTextCursor c(doc());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        QTextCharFormat f = c.charFormat();
        f.setProperty(TextFormat::HTagProperty, 0);
        f.setForeground(Qt::black);
        c.insertText(words, f);
    }
    void typeOverPrompt(int section, int index, const QString& words) {
        const TextPiece p = progress.pieces(section, 1).at(index);
        type(p.start, p.end, words);
    }
    PlanProgress::State state(int section) {
        progress.refresh();
        return progress.state(section);
    }
};

} // namespace

class TestPlanProgress : public QObject {
    Q_OBJECT
private slots:
    // A part heading the template gave nothing to write is neither counted nor left to do,
    // until the owner writes there.
    void partHeadingsHaveNothingToWrite() {
        TextControl text;
        PlanProgress progress{text};
        std::unique_ptr<QTextDocument> original(makeTemplate({}, 3));
        progress.setTemplate(PlanTemplate(*original));
        text.adoptDocument(makeTemplate(QStringLiteral("Bright Bakery"), 3));
        progress.setSectionCount(kSections);
        progress.setActive(true);
        progress.refresh();
        QVERIFY(progress.section(3).nothingToWrite);
        QVERIFY(!progress.section(2).nothingToWrite);
        QCOMPARE(progress.sectionsToWrite(), kSections - 1);
        QCOMPARE(progress.state(3), PlanProgress::NotStarted);

        const TextPiece e = progress.extent(3);
        QTextCursor c(text.document());
        c.setPosition(e.start);
        c.movePosition(QTextCursor::EndOfBlock);
        QTextCharFormat f = c.charFormat();
        f.setProperty(TextFormat::HTagProperty, 0);
        f.setForeground(Qt::black);
        c.insertText(QStringLiteral(": our own overview"), f);
        progress.refresh();
        QVERIFY(!progress.section(3).nothingToWrite);
        QCOMPARE(progress.state(3), PlanProgress::Done);
        QCOMPARE(progress.sectionsToWrite(), kSections);
    }

    void sectionStates() {
        Plan p;
        for (int s = 1; s <= kSections; ++s) {
            QCOMPARE(p.progress.state(s), PlanProgress::NotStarted);
            QCOMPARE(p.progress.section(s).prompts, 4);
            // The filled-in business name is the template's text, not the owner's.
            QVERIFY(!p.progress.section(s).ownText);
        }
        QCOMPARE(p.progress.doneCount(), 0);
        QCOMPARE(p.progress.sectionsWithPrompts(), kSections);

        // Partly typed.
        p.typeOverPrompt(2, 0, QStringLiteral("fresh bread"));
        QCOMPARE(p.state(2), PlanProgress::InProgress);
        QCOMPARE(p.progress.section(2).prompts, 3);
        QCOMPARE(p.state(1), PlanProgress::NotStarted);
        QCOMPARE(p.state(3), PlanProgress::NotStarted);

        // Finished: every prompt typed over.
        for (int i = 3; i >= 0; --i)
            p.typeOverPrompt(3, i, QStringLiteral("our words %1").arg(i));
        QCOMPARE(p.state(3), PlanProgress::Done);
        QCOMPARE(p.progress.doneCount(), 1);

        // Every prompt deleted, nothing written: not done.
        for (int i = 3; i >= 0; --i)
            p.typeOverPrompt(4, i, QString());
        QCOMPARE(p.state(4), PlanProgress::InProgress);
        QCOMPARE(p.progress.section(4).prompts, 0);
        QVERIFY(!p.progress.section(4).ownText);
        // A blank left where a prompt was is no prompt.
        p.typeOverPrompt(5, 0, QStringLiteral(" "));
        QCOMPARE(p.state(5), PlanProgress::InProgress);
        QCOMPARE(p.progress.section(5).prompts, 3);

        // A paragraph of the owner's own, prompts untouched: begun.
        p.progress.refresh();
        const TextPiece s1 = p.progress.extent(1);
        p.type(s1.end - 1, s1.end - 1, QStringLiteral("\nWe bake every night."));
        QCOMPARE(p.state(1), PlanProgress::InProgress);
        QCOMPARE(p.progress.section(1).prompts, 4);
        QVERIFY(p.progress.section(1).ownText);
    }

    void placeholdersStandForAnyName() {
        std::unique_ptr<QTextDocument> original(makeTemplate());
        const PlanTemplate t(*original);
        // "[BusinessName] sells {{...}} to {{...}}." with its prompts typed over or not.
        QVERIFY(t.isTemplateText(QStringLiteral("BrightBakerysellsto.")));
        QVERIFY(t.isTemplateText(QStringLiteral("Zsellsto.")));
        QVERIFY(!t.isTemplateText(QStringLiteral("sellsto."))); // the name is never empty
        QVERIFY(!t.isTemplateText(QStringLiteral("BrightBakerysellsbreadto.")));
        QVERIFY(t.isTemplateText(QStringLiteral("Heading3")));
        QVERIFY(!t.isTemplateText(QStringLiteral("Heading3revised")));
        QCOMPARE(t.prompts(PlanBuilder::sectionTag(1)), 4);
        QCOMPARE(t.prompts(PlanBuilder::sectionTag(2)), 4);

        // A paragraph that is a placeholder alone is the template's only with the names
        // it was filled with.
        QTextDocument title;
        QTextCursor c(&title);
        PlanBuilder::addParagraph(c, true, 99, 99, {{QStringLiteral("[SBUName]"), 300}});
        PlanTemplate named(title);
        QVERIFY(!named.isTemplateText(QStringLiteral("TheRetailunit")));
        named.setNames(QStringLiteral("Bright Bakery"), QStringLiteral("Retail"));
        QVERIFY(named.isTemplateText(QStringLiteral("TheRetailunit")));
        QVERIFY(!named.isTemplateText(QStringLiteral("TheWholesaleunit")));
    }

    // The owner's text where the template's words were: editing a template sentence
    // makes it the owner's; white space alone does not.
    void templateTextEdited() {
        Plan p;
        const QTextBlock heading = p.doc()->findBlock(p.progress.extent(2).start);
        p.type(heading.position() + heading.length() - 1, heading.position() + heading.length() - 1,
               QStringLiteral("  "));
        QVERIFY(!p.progress.hasOwnText(2));
        p.type(heading.position(), heading.position() + 7, QStringLiteral("Our"));
        QVERIFY(p.progress.hasOwnText(2));
    }

    void headingShowsItsPart() {
        using S = PlanProgress::State;
        QCOMPARE(PlanProgress::combine({S::Done, S::Done}), S::Done);
        QCOMPARE(PlanProgress::combine({S::NotStarted, S::NotStarted}), S::NotStarted);
        QCOMPARE(PlanProgress::combine({S::Done, S::NotStarted}), S::InProgress);
        QCOMPARE(PlanProgress::combine({S::NotStarted, S::InProgress}), S::InProgress);

        // An outline of five items, A with A1 and A2 below it, then B, then C.
        Plan p;
        QStandardItemModel model;
        auto* a = new QStandardItem(QStringLiteral("A"));
        a->appendRow(new QStandardItem(QStringLiteral("A1")));
        a->appendRow(new QStandardItem(QStringLiteral("A2")));
        model.appendRow(a);
        model.appendRow(new QStandardItem(QStringLiteral("B")));
        model.appendRow(new QStandardItem(QStringLiteral("C")));
        QTreeView outline;
        outline.setModel(&model);
        ProgressMarks marks(p.progress, outline, nullptr);
        auto shown = [&](int number) {
            return marks.items().at(number - 1).data(ProgressRole).toInt();
        };
        marks.update();
        QCOMPARE(shown(1), int(S::NotStarted));

        for (int s : {1, 2, 3})
            for (int i = 3; i >= 0; --i)
                p.typeOverPrompt(s, i, QStringLiteral("done"));
        p.progress.refresh();
        marks.update();
        QCOMPARE(shown(1), int(S::Done));
        QCOMPARE(shown(4), int(S::NotStarted));

        // A child not finished holds its heading back, though the heading's own text is:
        // a stretch of A2 made a prompt again.
        QTextCursor c(p.doc());
        const TextPiece ex = p.progress.extent(3);
        c.setPosition(ex.start + 1);
        c.setPosition(ex.start + 3, QTextCursor::KeepAnchor);
        QTextCharFormat blue;
        blue.setProperty(TextFormat::HTagProperty, 1);
        c.mergeCharFormat(blue);
        p.progress.refresh();
        marks.update();
        QCOMPARE(p.progress.state(2), S::Done);
        QCOMPARE(p.progress.state(3), S::InProgress);
        QCOMPARE(shown(1), int(S::InProgress));
        QCOMPARE(shown(2), int(S::Done));
        QVERIFY(marks.items().at(0).data(Qt::ToolTipRole).toString().contains(
            QStringLiteral("2 of 3")));
    }

    // Refreshing only the sections an edit touched must agree with reading everything
    // afresh, whatever the edits do to prompts, paragraphs and section starts.
    void followsEditsAsAFreshLookWould() {
        Plan p;
        QRandomGenerator rng(19);
        const QStringList words{QStringLiteral("bread"), QStringLiteral("\n"),
                                QStringLiteral("Heading"), QString(),
                                QStringLiteral(" "), QStringLiteral("cakes and pies")};
        for (int step = 0; step < 600; ++step) {
            const int length = p.text.TextLength();
            const int from = int(rng.bounded(length + 1));
            const int to = std::min(length, from + int(rng.bounded(step % 10 == 0 ? 60 : 6)));
            if (rng.bounded(30) == 0) {
                // The builder's mark of a section's first paragraph, set or taken away.
                QTextCursor c(p.doc());
                c.setPosition(from);
                QTextBlockFormat b;
                const int number = int(rng.bounded(kSections + 1));
                b.setProperty(TextFormat::PTagProperty,
                              number == 0 ? 0 : PlanBuilder::sectionTag(number));
                c.mergeBlockFormat(b);
            } else if (rng.bounded(4) == 0) {
                // Retag a stretch: a prompt typed back in, or turned into the owner's text.
                QTextCursor c(p.doc());
                c.setPosition(from);
                c.setPosition(to, QTextCursor::KeepAnchor);
                QTextCharFormat f;
                f.setProperty(TextFormat::HTagProperty, int(rng.bounded(2)));
                c.mergeCharFormat(f);
            } else {
                p.type(from, to, words.at(int(rng.bounded(words.size()))));
            }
            p.progress.refresh();

            PlanProgress fresh(p.text);
            std::unique_ptr<QTextDocument> original(makeTemplate());
            fresh.setTemplate(PlanTemplate(*original));
            fresh.setSectionCount(kSections);
            fresh.setActive(true);
            fresh.refresh();
            for (int s = 1; s <= kSections; ++s) {
                const auto& kept = p.progress.section(s);
                const auto& seen = fresh.section(s);
                if (kept.state != seen.state || kept.prompts != seen.prompts ||
                    kept.ownText != seen.ownText)
                    QFAIL(qPrintable(QStringLiteral("step %1, section %2: kept %3/%4/%5, fresh "
                                                    "%6/%7/%8")
                                         .arg(step)
                                         .arg(s)
                                         .arg(kept.state)
                                         .arg(kept.prompts)
                                         .arg(kept.ownText)
                                         .arg(seen.state)
                                         .arg(seen.prompts)
                                         .arg(seen.ownText)));
            }
        }
    }

    void sectionsByPosition() {
        Plan p;
        for (int s = 1; s <= kSections; ++s) {
            const TextPiece e = p.progress.extent(s);
            QCOMPARE(p.progress.sectionAt(e.start), s);
            QCOMPARE(p.progress.sectionAt(e.end - 1), s);
        }
        // The notes: one a section, hidden, found by their tag.
        QCOMPARE(p.progress.pieces(2, 999).size(), 1);
        // A section whose first paragraph went is still found by its text.
        const TextPiece e3 = p.progress.extent(3);
        p.type(e3.start - 1, e3.start + 9, QString());
        QCOMPARE(p.state(3), PlanProgress::NotStarted);
        QVERIFY(p.progress.section(3).found);
        QCOMPARE(p.progress.section(3).prompts, 4);
    }

    // A change too large to follow paragraph by paragraph reads everything again.
    void largeChangeReadsAgain() {
        Plan p;
        QVERIFY(!p.progress.section(2).ownText);
        const TextPiece e = p.progress.extent(2);
        // The sentence with the business's name: its full stop pasted over with a long text.
        const QTextBlock sentence = p.doc()->findBlock(e.start).next().next();
        const int end = sentence.position() + sentence.length() - 1;
        p.type(end - 1, end, QString(30000, QLatin1Char('x')));
        QCOMPARE(p.state(2), PlanProgress::InProgress);
        QVERIFY(p.progress.section(2).ownText);
        QVERIFY(!p.progress.section(3).ownText);
    }

    void inactiveKnowsNothing() {
        Plan p;
        p.progress.setActive(false);
        p.typeOverPrompt(2, 0, QStringLiteral("words"));
        QVERIFY(p.progress.refresh().isEmpty());
        QCOMPARE(p.progress.state(2), PlanProgress::NotStarted);
        QCOMPARE(p.progress.section(2).prompts, 0);
    }
};

QTEST_MAIN(TestPlanProgress)
#include "tst_planprogress.moc"
