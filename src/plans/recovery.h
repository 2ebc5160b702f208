#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class Catalogue;

// Recovery copies: while a plan is open and changed, the program keeps a copy of its text
// and its budget in the folder "recovery" of the data folder, named by the plan's file
// number (N.mp and N.mps, the same formats as the plan's own files). Saving the plan, or
// dropping its changes, removes the copy; a copy still there when the program starts
// means the program ended without either (a crash, a kill, a power cut).
namespace Recovery {

// The data folder's "recovery/" (with a trailing separator); not created here.
QString folder();
QString textCopyOf(int number);   // folder() + "N.mp"
QString budgetCopyOf(int number); // folder() + "N.mps"
// The plan number of a plan text file ".../N.mp", or 0 when the name is not one.
int numberOfPlanFile(const QString& planTextFile);

struct Copy {
    int number = 0;
    QString planName;   // as the catalogue lists it
    QString planFile;   // the plan's own text file
    QString textCopy;   // the copy of its text
    QString budgetCopy; // the copy of its budget; empty when there is none
    QDateTime made;     // when the copy was last written
};

// The copies that are newer than their plans' own files (or whose plan has no file yet),
// for plans the catalogue lists, oldest first. For the start-up alone: on the way it
// removes the copies that are older than their plans (saved since, they hold nothing the
// plan lacks) and the temporary files that a write cut short left in the folder.
QList<Copy> pending(const Catalogue& catalogue);
// The copy of one plan when it is newer than the plan's file.
bool pendingFor(const Catalogue& catalogue, const QString& planName, Copy* copy);

// Removes a plan's copy (both files); missing files are no fault.
void remove(int number);

// Why a copy cannot be recovered as a whole (its text cut short or not a plan text, its
// budget not a budget), in the program's words; empty when it reads whole.
QString check(const Copy& copy);
// Moves an unreadable copy out of the way, to "N.mp.unreadable" and "N.mps.unreadable"
// (then "...unreadable2", ...); returns the text copy's new name, empty when it could not
// be moved.
QString keepAside(const Copy& copy);

} // namespace Recovery
