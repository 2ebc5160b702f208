#pragma once

#include "plans/planheader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QTextDocument;
class QThread;
class SheetControl;
class TextControl;

// Keeps recovery copies of the open plan (see plans/recovery.h) while it has unsaved
// changes: two seconds after typing stops, and while typing goes on at least once per
// interval. Nothing is written while nothing changed, and the plan's own files are never
// written here.
//
// A long plan is never copied in one go on the user-interface thread: the text is taken
// a few hundred paragraphs at a time (each piece a copy of whole paragraphs and tables
// into a document of the copy's own, about two milliseconds' work), with keys and paints
// handled between the pieces. A worker thread then writes that document as the plan's
// rich text, which is most of the work, and the budget beside it. A change to a part
// already taken starts the copy again, so that a copy is always the text as it stood at
// one moment.
class AutoSave : public QObject {
    Q_OBJECT
public:
    struct Source {
        // Whether the control holds a plan's text (not the start-up text).
        std::function<bool()> planOpen;
        // Whether the plan has changes the user has not saved: the program's own changes
        // to the text (a section's prompt selected, a mark set) make no copy.
        std::function<bool()> modified;
        // The margins and paper the copy carries in its settings header, as a save does.
        std::function<PlanPageSettings()> page;
    };

    AutoSave(TextControl& text, SheetControl& sheet, Source source, QObject* parent = nullptr);
    ~AutoSave() override; // finishes the writes already asked for

    static constexpr int IdleMilliseconds = 2000;

    // Minutes at most between copies while typing goes on; 0 makes no copies at all.
    void setInterval(int minutes);
    int interval() const { return m_interval; }
    // The same in milliseconds, and a fixed number of paragraphs per piece (0: as many as
    // fit the piece's time), for the tests and the benchmark.
    void setIntervalMilliseconds(int ms);
    void setBlocksPerPiece(int blocks) { m_fixedBlocksPerPiece = blocks; }
    // Whether a copy is being taken (its pieces still coming).
    bool copying() const { return m_passRunning; }

    // The plan's text or budget changed.
    void changed();
    // While the plan is being written: its own changes (the settings header going in and
    // out) are no user's, and no copy is taken. Pauses nest (a load ends with a save).
    void setPaused(bool paused);
    // The plan on screen is what its files hold (just loaded or saved): no copy until the
    // next change. After a save, the open plan's copy is removed as well.
    void markClean();
    void markSaved();
    // The user dropped the changes ("No" to saving): the open plan's copy goes.
    void dropCopy();
    // A copy an earlier session left, now recovered into the control: it becomes this
    // session's copy, replaced by later copies and removed by a save.
    void adopt(int number);

    // Copies at once, taking the pieces one after another without waiting for events
    // (the benchmark and the tests). Returns false when there was nothing to copy.
    bool copyNow();
    // Waits until the worker has done every write and removal asked for so far.
    void waitForWrites();

    // What the last copy cost: the longest piece and all pieces together on the
    // user-interface thread (by the clock, and by the thread's own processor time, which
    // leaves out the time other programs had the processor meanwhile), the number of
    // pieces, and the worker's time (writing the rich text and both files).
    struct Figures {
        qint64 longestPieceNs = 0;
        qint64 longestPieceCpuNs = 0;
        qint64 uiNs = 0;
        qint64 uiCpuNs = 0;
        int pieces = 0;
        qint64 workerNs = 0;
    };
    Figures lastFigures() const { return m_figures; }
    // Copies written since the start, and why the last one failed (empty when it did not).
    int copiesWritten() const { return m_copiesWritten; }
    QString lastFailure() const { return m_lastFailure; }

signals:
    // A copy reached the disk (or failed to: `ok` false, lastFailure() says why).
    void copyWritten(int number, bool ok);

private:
    class Worker;

    void due(bool urgent);
    void startPass(bool urgent);
    void abortPass();
    void takePiece();
    void finishPass();
    bool mayCopy() const;
    int openPlanNumber() const;
    void removeOwnCopy();

    TextControl& m_text;
    SheetControl& m_sheet;
    Source m_source;
    int m_interval = 1;
    int m_paused = 0;
    quint64 m_generation = 0;
    quint64 m_cleanGeneration = 0;
    QTimer m_idle;
    QTimer m_deadline;
    QTimer m_pieceTimer;
    // Plans whose copies this session made or took over: only these are ever replaced
    // or removed.
    QSet<int> m_own;

    // The copy being taken.
    bool m_passRunning = false;
    bool m_passUrgent = false;
    QPointer<QTextDocument> m_passDoc;
    std::unique_ptr<QTextDocument> m_copy; // the pieces joined so far
    QMetaObject::Connection m_passWatch;
    int m_passNumber = 0;
    int m_copied = 0; // characters taken so far
    int m_blocksPerPiece = 64;
    int m_fixedBlocksPerPiece = 0;
    Figures m_passFigures;
    Figures m_figures;
    int m_copiesWritten = 0;
    QString m_lastFailure;

    QThread* m_thread = nullptr;
    Worker* m_worker = nullptr;
};
