#include "platform/repaintlock.h"

#include <QTest>
#include <QWidget>

class TestRepaintLock : public QObject {
    Q_OBJECT
private slots:
    void lockEndsOnEveryPath() {
        QWidget w;
        {
            RepaintLock lock(&w);
            QVERIFY(!w.updatesEnabled());
        }
        QVERIFY(w.updatesEnabled());
        {
            RepaintLock lock(&w);
            lock.release();
            QVERIFY(w.updatesEnabled());
        } // a second release at the end of the scope changes nothing
        QVERIFY(w.updatesEnabled());
    }

    void childLockedInsideALockedParentPaintsAgainWithTheParent() {
        QWidget parent;
        auto* child = new QWidget(&parent);
        {
            RepaintLock outer(&parent);
            {
                RepaintLock inner(child);
                QVERIFY(!child->updatesEnabled());
            }
            QVERIFY(!child->updatesEnabled()); // still off through its parent
        }
        QVERIFY(parent.updatesEnabled());
        QVERIFY(child->updatesEnabled());
    }

    void nestedLocksOnOneWidget() {
        QWidget w;
        {
            RepaintLock a(&w);
            {
                RepaintLock b(&w);
            }
            QVERIFY(!w.updatesEnabled()); // the outer lock still holds
        }
        QVERIFY(w.updatesEnabled());
    }

    void widgetGoneBeforeTheLockEnds() {
        auto* w = new QWidget;
        RepaintLock lock(w);
        delete w;
        lock.release(); // must not touch the deleted widget
    }
};

QTEST_MAIN(TestRepaintLock)
#include "tst_repaintlock.moc"
