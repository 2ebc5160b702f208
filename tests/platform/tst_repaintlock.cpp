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

    // The lock forgets a widget deleted under it: its end touches neither the memory the
    // widget had nor a widget made in its place, whose painting stays as its owner set it.
    void widgetGoneBeforeTheLockEnds() {
        QWidget parent;
        auto* w = new QWidget(&parent);
        RepaintLock lock(w);
        QVERIFY(!w->updatesEnabled());
        delete w;
        QList<QWidget*> after;
        for (int i = 0; i < 8; ++i) {
            after << new QWidget(&parent);
            after.last()->setUpdatesEnabled(false);
        }
        lock.release();
        for (QWidget* other : after)
            QVERIFY(!other->updatesEnabled());
        QVERIFY(parent.updatesEnabled());
    }
};

QTEST_MAIN(TestRepaintLock)
#include "tst_repaintlock.moc"
