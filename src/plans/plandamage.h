#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What a plan text that was read from disk lacks that every whole plan has: a file cut
// short ends inside its groups, and a plan missing part of its text has sections whose tag
// no paragraph carries. Such a plan is shown as it is, but it is not written back over its
// file until the user saves, and the file as it was is kept beside it.
struct PlanDamage {
    bool cutShort = false;
    // Bytes that no plan file holds (a block of the disk overwritten): the text around them
    // is read, but what they stood for is lost.
    bool garbled = false;
    QList<int> missingSections; // section numbers, ascending

    bool damaged() const { return cutShort || garbled || !missingSections.isEmpty(); }
};

namespace PlanDamageCheck {

// The section tag of section `number` (1-based): 99 for the first, else number - 1.
int sectionTag(int number);

// The sections 1..sectionCount whose tag is not among the paragraph tags of the text.
QList<int> sectionsWithoutTag(const QSet<int>& paragraphTags, int sectionCount);

// Whether a rich text file holds bytes that rich text never holds: control characters
// (NUL among them) other than tab and line ends, or bytes beyond ASCII, outside the raw
// data a \binN word announces. The program writes plans in plain ASCII; such bytes come
// from damage.
bool holdsStrayBytes(const QByteArray& rtf);

// "N.mp" -> "N.mp.damaged", or "N.mp.damaged2", "N.mp.damaged3", ... when that is taken:
// a copy already there is the file as it was when damage was first seen and is never
// replaced; one holding these very bytes is the copy of this damage. Returns the copy's
// path, or an empty string when no copy could be made.
QString keepDamagedCopy(const QString& planFile);

// The message for a plan file that cannot be read at all: the file, the reason, where the
// copy is.
QString unreadableMessage(const QString& planFile, const QString& reason, const QString& copyPath);

// The message for the user: what is wrong, which sections are missing (numbered and named
// from `sectionTitles`, index 0 = section 1), where the copy is, and that nothing is written
// until they save.
QString message(const PlanDamage& damage, const QStringList& sectionTitles,
                const QString& copyPath);

} // namespace PlanDamageCheck
