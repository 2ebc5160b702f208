// The analysis files and what is built from them, without windows: the file after adding
// and deleting factors, plans sharing a file, a deleted plan's sections, the names the
// file cannot store, and the grids of the three analyses and the SWOT summary.
#include "analysis/factorfile.h"
#include "analysis/grids.h"
#include "platform/inifile.h"
#include "freshfiles.h"
#include "support/testenv.h"

#include <QTest>

namespace {

QByteArray fileOf(Analysis a) {
    return readFileBytes(FactorFile::path(a));
}

// A strength / weakness or impact / probability factor with its values.
void addScored(Analysis a, const QString& plan, const QString& name, int w, int i) {
    IniFile ini(FactorFile::path(a));
    FactorFile::addFactor(ini, a, plan, name);
    ini.writeInteger(FactorFile::factorSection(plan, name), "w", w);
    ini.writeInteger(FactorFile::factorSection(plan, name), "i", i);
}

} // namespace

class TestFactorFiles : public QObject {
    Q_OBJECT
private slots:
    void addDeleteAndDeleteLast() {
        TestEnv env;
        removeAnalysisFiles();
        const auto add = [](const QString& plan, const QString& name) {
            IniFile ini(FactorFile::path(Analysis::Competitor));
            FactorFile::addFactor(ini, Analysis::Competitor, plan, name);
        };
        add("Acme", "Price");
        add("Acme", "Quality");
        add("Acme", "Service");
        add("Other", "Price"); // the same factor name in another plan
        QCOMPARE(fileOf(Analysis::Competitor),
                 QByteArray("[Acme - Titles]\r\nPrice=Price\r\nQuality=Quality\r\nService=Service\r\n"
                            "\r\n[Acme - Price]\r\nKFS=Price\r\nw=5\r\ns1=0\r\ns2=0\r\ns3=0\r\ns4=0\r\n"
                            "\r\n[Acme - Quality]\r\nKFS=Quality\r\nw=5\r\ns1=0\r\ns2=0\r\ns3=0\r\ns4=0\r\n"
                            "\r\n[Acme - Service]\r\nKFS=Service\r\nw=5\r\ns1=0\r\ns2=0\r\ns3=0\r\ns4=0\r\n"
                            "\r\n[Other - Titles]\r\nPrice=Price\r\n"
                            "\r\n[Other - Price]\r\nKFS=Price\r\nw=5\r\ns1=0\r\ns2=0\r\ns3=0\r\ns4=0\r\n"));
        {
            IniFile ini(FactorFile::path(Analysis::Competitor));
            ini.writeInteger("Other - Price", "w", 40);
            QCOMPARE(FactorFile::deleteFactor(ini, "Acme", "Quality"), QStringList({"Price", "Service"}));
        }
        IniFile after(FactorFile::path(Analysis::Competitor));
        QCOMPARE(FactorFile::names(after, "Acme"), QStringList({"Price", "Service"}));
        QVERIFY(!after.hasSection("Acme - Quality"));
        QCOMPARE(after.readInteger("Acme - Price", "w", 0), 5);
        QCOMPARE(after.readInteger("Other - Price", "w", 0), 40);

        FactorFile::deleteFactor(after, "Acme", "Price");
        FactorFile::deleteFactor(after, "Acme", "Service");
        IniFile last(FactorFile::path(Analysis::Competitor));
        QCOMPARE(last.sections(), QStringList({"Other - Titles", "Other - Price"}));

        // The factor score files start a factor at weighting 1 and score 0.
        IniFile sw(FactorFile::path(Analysis::StrengthWeakness));
        FactorFile::addFactor(sw, Analysis::StrengthWeakness, "Acme", "Staff");
        QCOMPARE(fileOf(Analysis::StrengthWeakness),
                 QByteArray("[Acme - Titles]\r\nStaff=Staff\r\n\r\n[Acme - Staff]\r\nkfs=Staff\r\nw=1\r\ni=0\r\n"));
    }

    void deletingAPlanCleansAllThreeFiles() {
        TestEnv env;
        removeAnalysisFiles();
        for (const QString& plan : {QString("Acme"), QString("Acme Two")}) {
            IniFile ca(FactorFile::path(Analysis::Competitor));
            FactorFile::addFactor(ca, Analysis::Competitor, plan, "Price");
            ca.writeString(plan + " -", "kept", "by an old version");
            addScored(Analysis::StrengthWeakness, plan, "Staff", 3, 2);
            addScored(Analysis::ImpactProbability, plan, "New rival", 5, -4);
        }
        FactorFile::cleanPlan("ACME");
        for (Analysis a : {Analysis::Competitor, Analysis::StrengthWeakness, Analysis::ImpactProbability}) {
            IniFile ini(FactorFile::path(a));
            for (const QString& s : ini.sections())
                QVERIFY2(s.startsWith("Acme Two -"), qPrintable(s));
            QCOMPARE(FactorFile::names(ini, "Acme Two").size(), 1);
        }
        QVERIFY(IniFile(FactorFile::path(Analysis::Competitor)).hasSection("Acme Two -"));
    }

    void namesTheFileCannotStore() {
        QCOMPARE(FactorFile::nameProblem("Price [low]"), QString("Illegal character in plan name '['."));
        QCOMPARE(FactorFile::nameProblem("Price low]"), QString("Illegal character in plan name ']'."));
        for (const QString& bad : {QString(" Price"), QString("Price "), QString(";Price"), QString("a=b"),
                                   QString("two\nlines"), QString("tab\there"), QString(201, 'x'),
                                   QString("Titles"), QString("TITLES"), QString("Old plan - titles"),
                                   // A factor's section would be another plan's.
                                   QString("Quality - low end"), QString("- low"), QString("low -"),
                                   QString("-")})
            QVERIFY2(!FactorFile::nameProblem(bad).isEmpty(), qPrintable(bad));
        for (const QString& good : {QString("Price"), QString("Quality-low end"), QString("Cost -10%"),
                                    QString(200, 'x'), QString("Café prices")})
            QVERIFY2(FactorFile::nameProblem(good).isEmpty(), qPrintable(good));
        QVERIFY(FactorFile::listed({"Price", "Quality"}, "PRICE"));
    }

    void competitorFigures() {
        TestEnv env;
        removeAnalysisFiles();
        IniFile ini(FactorFile::path(Analysis::Competitor));
        FactorFile::addFactor(ini, Analysis::Competitor, "P", "Price");
        const QString s = FactorFile::factorSection("P", "Price");
        ini.writeInteger(s, "w", 100);
        ini.writeInteger(s, "s1", 7);
        ini.writeInteger(s, "s2", 3);
        ini.writeInteger(s, "s3", 0);
        ini.writeInteger(s, "s4", 10);
        BuiltGrid g = buildCompetitorGrid(ini, "P", FactorFile::names(ini, "P"));
        QCOMPARE(g.rows.size(), 2);
        QCOMPARE(g.rows[0], QStringList({"Price", "100", "7", "700", "3", "300", "0", "0", "10", "1000"}));
        QCOMPARE(g.rows[1], QStringList({"Totals", "100", "", "700", "", "300", "", "0", "", "1000"}));
        QVERIFY(g.notNumbers.isEmpty());
        int sum = 0;
        QVERIFY(weightSum(g.rows, &sum, nullptr));
        QCOMPARE(sum, 100);

        // A value edited into words: shown as stored, its score and total left out.
        ini.writeString(s, "s2", "three");
        ini.deleteKey(s, "s3");
        g = buildCompetitorGrid(ini, "P", FactorFile::names(ini, "P"));
        QCOMPARE(g.rows[0], QStringList({"Price", "100", "7", "700", "three", "", "99", "9900", "10", "1000"}));
        QCOMPARE(g.rows[1][5], QString("0"));
        QCOMPARE(g.notNumbers, QStringList({"three"}));
    }

    void factorScoreFigures() {
        TestEnv env;
        removeAnalysisFiles();
        addScored(Analysis::StrengthWeakness, "P", "Staff", 4, -3);
        addScored(Analysis::StrengthWeakness, "P", "Edited", 2, 9);
        IniFile ini(FactorFile::path(Analysis::StrengthWeakness));
        const BuiltGrid g = buildFactorScoreGrid(ini, "P", FactorFile::names(ini, "P"));
        QCOMPARE(g.rows[0], QStringList({"Staff", "4", "", "", "X", "", "", "", "", "", "", "", "", "-12"}));
        // A score beyond the columns has no "X"; its total still shows.
        QCOMPARE(g.rows[1].mid(2, 11), QStringList(11));
        QCOMPARE(g.rows[1][13], QString("18"));
    }

    void swotRanking() {
        TestEnv env;
        removeAnalysisFiles();
        int n = 0;
        for (int v : {12, -4, 0, 30})
            addScored(Analysis::StrengthWeakness, "P", QString("F%1").arg(++n), 1, v);
        // Twelve opportunities of 5 and, beyond 51 factors, one of 50: all are ranked.
        for (int i = 1; i <= 60; ++i)
            addScored(Analysis::ImpactProbability, "P", QString("O%1").arg(i), i == 60 ? 10 : 1,
                      i <= 12 || i == 60 ? 5 : -1);
        const Grid grid = buildSwotGrid(swotEntries(IniFile(FactorFile::path(Analysis::StrengthWeakness)), "P"),
                                        swotEntries(IniFile(FactorFile::path(Analysis::ImpactProbability)), "P"));
        QCOMPARE(grid.size(), 22);
        QCOMPARE(grid[0], QStringList({"Strengths", "", "Weaknesses", ""}));
        QCOMPARE(grid[1], QStringList({"F4", "30", "F2", "-4"}));
        QCOMPARE(grid[2], QStringList({"F1", "12", "F3", "0"}));
        QCOMPARE(grid[3], QStringList(4));
        QCOMPARE(grid[11], QStringList({"Opportunities", "", "Threats", ""}));
        QCOMPARE(grid[12], QStringList({"O60", "50", "O13", "-1"}));
        // Equal values keep the order the factors were made in; the first nine fives show.
        for (int j = 2; j <= 10; ++j)
            QCOMPARE(grid[11 + j][0], QString("O%1").arg(j - 1));
        QCOMPARE(grid[21][3], QString("-1"));
    }

    void longListsAreReadWhole() {
        TestEnv env;
        removeAnalysisFiles();
        IniFile ini(FactorFile::path(Analysis::Competitor));
        ini.beginBatch();
        for (int i = 0; i < 300; ++i)
            FactorFile::addFactor(ini, Analysis::Competitor, "P",
                                  QString("A factor with a long descriptive name, number %1").arg(i));
        ini.commit();
        const QStringList names = FactorFile::names(IniFile(FactorFile::path(Analysis::Competitor)), "P");
        QCOMPARE(names.size(), 300);
        QCOMPARE(names.last(), QString("A factor with a long descriptive name, number 299"));
    }
};

QTEST_GUILESS_MAIN(TestFactorFiles)
#include "tst_factorfiles.moc"
