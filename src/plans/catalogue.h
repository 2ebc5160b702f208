#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>

// A plan's company details, in the order they are written to the catalogue.
struct CompanyDetails {
    static const std::array<const char*, 21>& keys(); // coname, address1..5, md, ... sbu
    std::array<QString, 21> values;
    QString& operator[](const char* key);
    QString value(const char* key) const;
};

// The plan catalogue "mp.ini" in the data folder: the list of plans in the order they
// were added (section `titles`), the counter for plan numbers (section `counter`), and one
// section per plan with its file number and company details.
class Catalogue {
public:
    explicit Catalogue(const QString& fileName = defaultFileName());
    static QString defaultFileName();

    QStringList plans() const;
    bool contains(const QString& name) const; // without regard to case
    CompanyDetails details(const QString& name) const;
    // The plan's `filename` value as stored (may be empty or damaged by hand editing).
    QString fileNumberText(const QString& name) const;

    // The number the next new plan takes; the stored counter moves on by one. A counter
    // that is missing, not above 1, or names a number already in use (by a listed plan or
    // by files on disk) is mended to one more than the highest number in use (in the
    // catalogue or in the user-data folder),
    // never less than 2, so a new plan can never overwrite the original plan or another
    // plan's files. Throws IniWriteError when the catalogue cannot be written.
    int takePlanNumber();
    // The number takePlanNumber() would take, without writing anything; numbers in
    // `alsoTaken` count as in use (several plans added in one write).
    int nextPlanNumber(const QSet<int>& alsoTaken = {}) const;
    // Several plans in one write (a package's import): each plan's `titles` entry, file
    // number and company details, and the counter moved past the highest number given.
    struct NewPlan {
        QString name;
        int number = 0;
        CompanyDetails details;
    };
    void addPlans(const QList<NewPlan>& plans);

    void addPlan(const QString& name, int number);
    void writeDetails(const QString& name, const CompanyDetails& details);
    // Erases the plan's section and its entry in `titles`. The file is read afresh and only
    // the plan's own entries change: entries another window (or another copy of the
    // program) added or changed meanwhile stay as they are.
    void removePlan(const QString& name);

    // A catalogue that holds bytes no text file holds, plans missing from its list, or
    // names in its list no plan can have, is damaged (a disk fault, a stray write). It is
    // kept as it was beside itself ("mp.ini.damaged", numbered when that is taken) and
    // written again clean with every plan whose section and text file can still be read.
    struct Mend {
        bool damaged = false;
        QString reason;    // what is wrong with it, in the program's words
        QString copy;      // where the file as it was is kept (empty: it could not be)
        QStringList plans; // the plans listed again
        QString failure;   // why the mended file could not be written (empty when it was)
    };
    Mend mendIfDamaged();
    // The message telling the user about a mended catalogue.
    QString mendMessage(const Mend& mend) const;

    // The plan's text file in the user-data folder: the number + ".mp". Empty when the
    // stored number is not a positive whole number (a hand-edited "../x" must never
    // reach the file system).
    QString planTextFile(const QString& name) const;
    static QString budgetFileOf(const QString& planTextFile) { return planTextFile + QLatin1Char('s'); }
    static bool isPlanNumberText(const QString& text);

    // Why a plan name cannot be stored in the catalogue, or an empty string when it can.
    static QString nameProblem(const QString& name);

private:
    QString m_fileName;
};
