#pragma once

#include "markup.h"

#include <QByteArray>
#include <QMap>
#include <QString>

class QTextDocument;

// Compiles the template sources (data/template/) into the files the program reads.
namespace Datagen {

// What the program needs of the navigator: enough sections, the four analyses at the
// positions the program opens them from, and exactly one budget section.
Issues validateOutline(const QList<OutlineItem>& items, const QString& fileName);

// The sections Next (F6) stops at, walking from the first: Next passes over a heading that
// has sections below it and lands on its first child, so a heading's own text is reached
// only by clicking it. Numbers from 1.
QList<int> sectionsReachedByNext(const QList<OutlineItem>& items);
// Every section that holds prompts must be one Next stops at, or an owner pressing F6
// from section to section never writes it.
Issues validateReachable(const QList<OutlineItem>& items, const QList<int>& sectionsWithPrompts,
                         const QString& fileName);

// Section tag of a navigator item: 99 for the first, else its number - 1.
constexpr int sectionTag(int sectionNumber) {
    return sectionNumber == 1 ? 99 : sectionNumber - 1;
}

// The plan text of one section: it must have text (or the section would have no tags),
// open with a heading that names the section, and keep choice lists as whole prompts so
// that a double-click picks one option cleanly.
// Prompts must also stay apart across paragraph breaks (see promptsMeet).
// Every section but a heading with sections below it (`partHeading`) has at least one prompt;
// a heading's prompts are refused by validateReachable.
Issues validatePlanSection(const QList<Paragraph>& paragraphs, const OutlineItem& item,
                           int sectionNumber, const QString& fileName, bool partHeading = false);
// Whether item `sectionNumber` (from 1) has sections below it.
bool hasChildren(const QList<OutlineItem>& items, int sectionNumber);

// Whether a paragraph ending with a prompt and the next one opening with a prompt would
// meet across the break: only the break and an empty paragraph lie between them. A reader
// that lets a tag run on over a paragraph mark would take the two for one prompt, and
// typing over it would delete both and the break.
bool promptsMeet(const Paragraph& before, const Paragraph& after);
QString promptsMeetMessage();

// Fonts and sizes of a generated document.
struct DocumentStyle {
    QString family;
    qreal body = 11, heading1 = 16, heading2 = 13, heading3 = 11.5;
    qreal spacer = 11; // size of the empty paragraph between paragraphs
};
DocumentStyle planStyle();
DocumentStyle guidanceStyle();

// Appends paragraphs to a document. With a section tag above 0 the first paragraph
// carries it as PTag and every character as NTag.
void appendParagraphs(QTextDocument* doc, const QList<Paragraph>& paragraphs,
                      const DocumentStyle& style, int sectionTag = 0);

// The settings header a stored plan begins with: 1-inch margins, A4, portrait.
QString defaultPlanHeader();
// Puts the header at the start of the document as the program does when it saves.
void insertPlanHeader(QTextDocument* doc, const QString& header, const DocumentStyle& style);

// "mp.nav": one tab per level, CRLF.
QByteArray navigatorFile(const QList<OutlineItem>& items);

// The worked examples follow several businesses through the plan, so that an owner can
// read the one closer to their trade. "examples/businesses.txt" lists them in the order
// shown, one line each: "folder | name | short name | what it is"; "#" starts a comment.
struct ExampleBusiness {
    QString folder;      // examples/<folder>/NN.txt
    QString name;        // "Harbour Lane Bakery"
    QString shortName;   // "Bakery": titles in the example window's list
    QString description; // shown under the name
    int line = 0;
};
QList<ExampleBusiness> parseBusinesses(const QString& text, const QString& fileName,
                                       Issues* issues);

// One worked example: the first line is its title, which names its section exactly as the
// navigator does (a file under the wrong number is caught so), the rest its HTML body.
struct Example {
    QString title;
    QString body;
};
Example parseExample(const QString& text, const QString& fileName, Issues* issues);
// Context of a section's example topic in "eg.hlp": 1000 + N for the first business,
// 2000 + N for the second, and so on.
constexpr int exampleContext(int sectionNumber, int business = 0) {
    return 1000 * (business + 1) + sectionNumber;
}
// The section of "egini.ini" that maps section numbers to the contexts of one business:
// "help" for the first (the one the program has always read), then "help2", "help3"...
QString exampleIndexSection(int business);
// Examples by business (in the order of businesses.txt), then by section number.
using ExampleSet = QList<QMap<int, Example>>;
// "eg.hlp": a contents topic (context 1) with a row per section and a link to each
// business's example of it, then one topic per example. Each example opens with a bar
// naming every business, the one shown marked and the others a click away.
QByteArray exampleHelpFile(const QList<ExampleBusiness>& businesses, const ExampleSet& examples,
                           const QList<OutlineItem>& items);
// An example that states a return on the marketing spend ("£1.40 for every extra £1")
// must say what the return is measured against: a sentence naming the baseline, the
// sales that would have come without the plan.
Issues validateExampleReturn(const Example& example, const QString& fileName);

// "egini.ini": section help, one key per navigator item (an item without an example of
// the first business points at the contents); then one section per further business with
// a key for each section it covers.
QByteArray exampleIndexFile(const QList<ExampleBusiness>& businesses, const ExampleSet& examples,
                            int itemCount);

// The guidance of the three scoring analyses (competitor, impact / probability, strength /
// weakness) must give the owner each scale in words, under a heading that names it
// ("Rating scale", "Impact scale"...), as one bullet per anchor point ("**0**: ..."), and
// a list of common mistakes. Other sections have nothing to check.
Issues validateScoringGuidance(const QList<Paragraph>& paragraphs, int sectionNumber,
                               const QString& fileName);

// A help file in the program's format: "@topic <context> <title>" lines, each followed
// by its HTML body. Topics need a title and a context of their own, and every link
// "#<context>" must lead to a topic of the same file.
Issues validateHelpFile(const QString& text, const QString& fileName);

// The catalogue shipped with the program: no plans, the next plan number 2 (1 is the
// original plan).
QByteArray seedCatalogue();

} // namespace Datagen
