#include "plans/exampleindex.h"
#include "platform/inifile.h"
#include "support/testenv.h"

#include <QTemporaryDir>
#include <QTest>

// Which business's example a context belongs to, and the fall-back to the first business
// for a section the other does not cover.
class TestExampleIndex : public QObject {
    Q_OBJECT
private slots:
    void contextsAreFoundByBusiness() {
        QTemporaryDir dir;
        const QString path = dir.filePath("egini.ini");
        QVERIFY(writeFileBytes(path, "[help]\r\n1=1\r\n2=1002\r\n3=1003\r\n"
                                     "[help2]\r\n2=2002\r\n"
                                     "[helpers]\r\n3=3003\r\n"
                                     "[HELP3]\r\n3=3003\r\n"));
        const IniFile egini(path);
        QCOMPARE(ExampleIndex::businessOf(egini, 1002), QString("help"));
        QCOMPARE(ExampleIndex::businessOf(egini, 2002), QString("help2"));
        QCOMPARE(ExampleIndex::businessOf(egini, 3003), QString("HELP3")); // not "helpers"
        QCOMPARE(ExampleIndex::businessOf(egini, 1), QString());           // the shared contents
        QCOMPARE(ExampleIndex::businessOf(egini, 4711), QString());

        QCOMPARE(ExampleIndex::contextFor(egini, "help2", 2), 2002);
        QCOMPARE(ExampleIndex::contextFor(egini, "help2", 3), 1003); // none of its own
        QCOMPARE(ExampleIndex::contextFor(egini, QString(), 1), 1);
        QCOMPARE(ExampleIndex::contextFor(egini, "help", 9), 0);
    }
};

QTEST_MAIN(TestExampleIndex)
#include "tst_exampleindex.moc"
