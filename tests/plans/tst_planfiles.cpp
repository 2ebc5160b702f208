#include "plans/catalogue.h"
#include "plans/navstructure.h"
#include "plans/planheader.h"
#include "platform/inifile.h"
#include "support/testenv.h"

#include <QFile>
#include <QTest>

class TestPlanFiles : public QObject {
    Q_OBJECT
private slots:
    void headerLayout_data() {
        QTest::addColumn<double>("l");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("t");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orient");
        QTest::addColumn<QString>("header");
        QTest::newRow("A4 portrait") << 1.0 << 1.0 << 1.25 << 0.5 << 9 << 1
                                     << "000000000001000000000000001000000000000001250"
                                        "00000000000050000090001";
        QTest::newRow("half a thousandth rounds to even") << 0.0005 << 0.0015 << 0.0025 << 2.0
                                                          << 1 << 2
                                                          << "000000000000000000000000000002"
                                                             "000000000000002000000000002000"
                                                             "00010002";
        QTest::newRow("negative and overlong fields stay digits")
            << -1.0 << 1.0 << 1.0 << 1.0 << 123456 << 2
            << "000000000000000000000000001000000000000001000000000000001000" "34560002";
    }
    void headerLayout() {
        QFETCH(double, l);
        QFETCH(double, r);
        QFETCH(double, t);
        QFETCH(double, b);
        QFETCH(int, paper);
        QFETCH(int, orient);
        QFETCH(QString, header);
        PlanPageSettings s{l, r, t, b, paper, orient};
        const QString made = PlanHeader::make(s);
        QCOMPARE(made.size(), PlanHeader::Length);
        QCOMPARE(made, header);
    }

    void headerReadsBack() {
        PlanPageSettings s{1.0, 0.75, 1.25, 0.0005, 9, 2};
        const auto p = PlanHeader::parse(PlanHeader::make(s));
        QVERIFY(p.marginsOk);
        QVERIFY(p.pageOk);
        QCOMPARE(p.settings.right, 0.75);
        QCOMPARE(p.settings.bottom, 0.0);
        QCOMPARE(p.settings.orientation, 2);

        const auto shortOne = PlanHeader::parse("00000000000100");
        QVERIFY(!shortOne.marginsOk);
        QVERIFY(!shortOne.pageOk);
        QString damaged = PlanHeader::make(s);
        damaged[62] = 'x';
        const auto d = PlanHeader::parse(damaged);
        QVERIFY(d.marginsOk);
        QVERIFY(!d.pageOk);
    }

    void catalogueListsAndRemovesInOrder() {
        TestEnv env;
        Catalogue cat(env.dataFolder() + "test-mp.ini");
        cat.addPlan("First", 2);
        cat.addPlan("Second", 3);
        cat.addPlan("Third", 4);
        CompanyDetails d;
        d["coname"] = "Harbour Lane Bakery Ltd";
        d["sbu"] = "Wholesale";
        cat.writeDetails("Second", d);
        QCOMPARE(cat.details("second").value("coname"), QString("Harbour Lane Bakery Ltd"));
        QVERIFY(cat.contains("THIRD"));
        cat.removePlan("Second");
        QCOMPARE(cat.plans(), QStringList({"First", "Third"}));
        IniFile ini(env.dataFolder() + "test-mp.ini");
        QVERIFY(!ini.hasSection("Second"));
        // Details are written in the catalogue's fixed order.
        cat.writeDetails("Third", d);
        QCOMPARE(IniFile(env.dataFolder() + "test-mp.ini").keys("Third").mid(0, 3),
                 QStringList({"filename", "coname", "address1"}));
    }

    void counterNeverGivesOneOrAUsedNumber() {
        TestEnv env;
        const QString file = env.dataFolder() + "counter-mp.ini";
        Catalogue cat(file);
        // Missing counter: at least 2.
        QCOMPARE(cat.takePlanNumber(), 2);
        QCOMPARE(cat.takePlanNumber(), 3);
        // A counter reset by hand to 1 with plan 7 in the catalogue and 9.mp on disk.
        IniFile(file).writeInteger("counter", "no", 1);
        cat.addPlan("Seven", 7);
        QVERIFY(writeFileBytes(env.userDataFolder() + "9.MP", "x"));
        QCOMPARE(cat.takePlanNumber(), 10);
        QCOMPARE(IniFile(file).readInteger("counter", "no", 0), 11);
        // A counter naming files that exist moves past them.
        QVERIFY(writeFileBytes(env.userDataFolder() + "11.mps", "x"));
        QCOMPARE(cat.takePlanNumber(), 12);
    }

    void damagedFileNumbersNeverReachTheDisk() {
        TestEnv env;
        const QString file = env.dataFolder() + "bad-mp.ini";
        IniFile ini(file);
        ini.writeString("titles", "Evil", "Evil");
        ini.writeString("Evil", "filename", "../x");
        ini.writeString("titles", "Good", "Good");
        ini.writeString("Good", "filename", "5");
        Catalogue cat(file);
        QCOMPARE(cat.planTextFile("Evil"), QString());
        QCOMPARE(cat.planTextFile("Missing"), QString());
        QVERIFY(cat.planTextFile("Good").endsWith("userdata/5.mp"));
        QCOMPARE(Catalogue::budgetFileOf(cat.planTextFile("Good")).right(5), QString("5.mps"));
        QVERIFY(!Catalogue::isPlanNumberText("0"));
        QVERIFY(!Catalogue::isPlanNumberText("-3"));
        QVERIFY(!Catalogue::isPlanNumberText(" 4"));
    }

    void planNamesTheCatalogueCannotStore() {
        for (const QString& bad : {QString(""), QString("  "), QString(" lead"),
                                   QString("trail "), QString(";comment"), QString("a=b"),
                                   QString("two\nlines"), QString("tab\there"),
                                   QString("Titles"), QString("counter")})
            QVERIFY2(!Catalogue::nameProblem(bad).isEmpty(), qPrintable(bad));
        for (const QString& good : {QString("Plan 2027"), QString("Café & Bar (draft)"),
                                    QString("O'Brien's plan")})
            QVERIFY2(Catalogue::nameProblem(good).isEmpty(), qPrintable(good));
    }

    void navigatorStructureRules() {
        const auto ok = parseNavStructure("A\r\n\tA1\r\n \tA2\r\nB\r\n\x1a" "C\r\n");
        QVERIFY(ok.ok);
        QCOMPARE(ok.items.size(), 4); // Ctrl+Z ends the data
        QCOMPARE(ok.items[2].depth, 2); // a space and a tab: two levels
        QCOMPARE(ok.items[2].text, QString("A2"));

        const auto jump = parseNavStructure("A\r\n\t\tdeep\r\nB\r\n");
        QVERIFY(!jump.ok);
        QCOMPARE(jump.errorLine, 2);
        QCOMPARE(jump.items.size(), 1);

        QByteArray longLine(4096, 'x');
        const auto tooLong = parseNavStructure("A\r\n" + longLine + "\r\n");
        QVERIFY(!tooLong.ok);
        QCOMPARE(tooLong.items.size(), 1);
        QVERIFY(parseNavStructure("A\r\n" + QByteArray(4095, 'x') + "\r\n").ok);

        // Binary junk is no outline item: the items before it, and the read error.
        const auto junk = parseNavStructure(QByteArray("A\r\n\tA1\r\nB\x01\x02\xff\r\nC\r\n"));
        QVERIFY(!junk.ok);
        QCOMPARE(junk.errorLine, 3);
        QCOMPARE(junk.items.size(), 2);
        const auto nul = parseNavStructure(QByteArray("A\r\nB\0C\r\n", 9));
        QVERIFY(!nul.ok);
        QCOMPARE(nul.items.size(), 1);
        QVERIFY(parseNavStructure("A\r\n\tCaf\xc3\xa9 \t plan\r\n").ok); // tabs, UTF-8 fine

        const QList<NavItem> items{{0, "A"}, {1, "A1"}, {0, "B"}};
        QCOMPARE(writeNavStructure(items), QByteArray("A\r\n\tA1\r\nB\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestPlanFiles)
#include "tst_planfiles.moc"
