#include "plans/autosave.h"

#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetfile.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "plans/recovery.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QThread>

#include <algorithm>
#include <memory>

#include <time.h>

namespace {

// Processor time of the calling thread.
qint64 threadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Work per piece on the user-interface thread: well inside a screen frame, so that a key
// pressed meanwhile waits no longer than this.
constexpr qint64 kPieceTargetNs = 2'000'000;
constexpr int kMinBlocksPerPiece = 8;
constexpr int kMaxBlocksPerPiece = 8192;

// What the worker needs to finish a copy, taken on the user-interface thread.
struct Ending {
    int number = 0;
    QString folder;
    QString textPath;
    QString budgetPath;
    QByteArray budget;
};

// A paragraph of the main text (not inside a table) that follows another one: the text
// can be cut before it and the pieces joined again without a seam.
bool cutsCleanly(const QTextDocument& doc, const QTextBlock& block) {
    const int pos = block.position();
    if (pos <= 0 || doc.characterAt(pos - 1) != QChar::ParagraphSeparator) return false;
    return QTextCursor(block).currentFrame() == doc.rootFrame();
}

} // namespace

// Lives on the worker thread; everything it touches is its own.
class AutoSave::Worker : public QObject {
public:
    struct Result {
        bool ok = false;
        QString failure;
        qint64 ns = 0;
    };

    // Writes the copy: `doc` (handed over to this thread) as the plan's rich text, then
    // the budget's bytes.
    Result write(QTextDocument* doc, const Ending& e) {
        Result r;
        QElapsedTimer t;
        t.start();
        const QByteArray text = RtfWriter::write(*doc, RtfWriter::Native);
        delete doc;
        QDir().mkpath(e.folder);
        const SafeFile::Result wroteText = SafeFile::write(e.textPath, text);
        const SafeFile::Result wroteBudget =
            wroteText.ok ? SafeFile::write(e.budgetPath, e.budget) : SafeFile::Result{};
        r.ok = wroteText.ok && wroteBudget.ok;
        r.failure = !wroteText.ok ? wroteText.failure : wroteBudget.failure;
        r.ns = t.nsecsElapsed();
        return r;
    }
};

AutoSave::AutoSave(TextControl& text, SheetControl& sheet, Source source, QObject* parent)
    : QObject(parent), m_text(text), m_sheet(sheet), m_source(std::move(source)) {
    m_idle.setSingleShot(true);
    m_idle.setInterval(IdleMilliseconds);
    connect(&m_idle, &QTimer::timeout, this, [this] { due(false); });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { due(true); });
    m_pieceTimer.setSingleShot(true);
    m_pieceTimer.setInterval(0);
    connect(&m_pieceTimer, &QTimer::timeout, this, &AutoSave::takePiece);
    setInterval(1);

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("recovery copies"));
    m_worker = new Worker;
    m_worker->moveToThread(m_thread);
    m_thread->start(QThread::LowPriority);
}

AutoSave::~AutoSave() {
    abortPass();
    waitForWrites();
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
}

void AutoSave::setInterval(int minutes) {
    setIntervalMilliseconds(std::max(0, minutes) * 60'000);
    m_interval = std::max(0, minutes);
}

void AutoSave::setIntervalMilliseconds(int ms) {
    m_interval = ms > 0 ? std::max(1, ms / 60'000) : 0;
    m_deadline.setInterval(std::max(0, ms));
    if (m_interval == 0) {
        m_idle.stop();
        m_deadline.stop();
        abortPass();
    }
}

bool AutoSave::mayCopy() const {
    return m_interval > 0 && m_paused == 0 && (!m_source.planOpen || m_source.planOpen()) &&
           (!m_source.modified || m_source.modified());
}

int AutoSave::openPlanNumber() const {
    return Recovery::numberOfPlanFile(m_text.FileName());
}

void AutoSave::changed() {
    if (m_paused > 0 || (m_source.planOpen && !m_source.planOpen())) return;
    ++m_generation;
    if (m_interval == 0) return;
    m_idle.start();
    if (!m_deadline.isActive()) m_deadline.start();
}

void AutoSave::setPaused(bool paused) {
    m_paused = std::max(0, m_paused + (paused ? 1 : -1));
    if (paused) abortPass();
}

void AutoSave::markClean() {
    abortPass();
    m_cleanGeneration = m_generation;
    m_idle.stop();
    m_deadline.stop();
}

void AutoSave::markSaved() {
    markClean();
    removeOwnCopy();
}

void AutoSave::dropCopy() {
    markClean();
    removeOwnCopy();
}

void AutoSave::removeOwnCopy() {
    const int number = openPlanNumber();
    if (number <= 0 || !m_own.contains(number)) return;
    // Through the worker, after any copy still on its way: a copy written after the
    // removal would bring the dropped changes back at the next start.
    const QString text = Recovery::textCopyOf(number);
    const QString budget = Recovery::budgetCopyOf(number);
    QMetaObject::invokeMethod(m_worker, [text, budget] {
        QFile::remove(text);
        QFile::remove(budget);
    }, Qt::QueuedConnection);
}

void AutoSave::adopt(int number) {
    if (number > 0) m_own.insert(number);
}

void AutoSave::due(bool urgent) {
    if (m_passRunning) {
        m_passUrgent = m_passUrgent || urgent;
        return;
    }
    if (m_generation == m_cleanGeneration || !mayCopy()) {
        m_idle.stop();
        m_deadline.stop();
        return;
    }
    startPass(urgent);
}

void AutoSave::startPass(bool urgent) {
    const int number = openPlanNumber();
    if (number <= 0) return;
    // A copy left by an earlier session that was neither recovered nor discarded is not
    // this session's to replace.
    if (!m_own.contains(number)) {
        if (QFileInfo::exists(Recovery::textCopyOf(number))) return;
        m_own.insert(number);
    }
    QTextDocument* doc = m_text.document();
    m_passRunning = true;
    m_passUrgent = urgent;
    m_passDoc = doc;
    m_passNumber = number;
    m_copied = 0;
    if (m_fixedBlocksPerPiece > 0) m_blocksPerPiece = m_fixedBlocksPerPiece;
    m_passFigures = Figures{};
    // A change to the part already taken makes the pieces disagree: start again.
    m_passWatch = connect(doc, &QTextDocument::contentsChange, this,
                          [this](int pos, int, int) {
                              if (m_passRunning && pos <= m_copied) {
                                  const bool urgent = m_passUrgent;
                                  abortPass();
                                  if (urgent) startPass(true);
                              }
                          });
    m_copy = std::make_unique<QTextDocument>();
    m_copy->setUndoRedoEnabled(false);
    m_copy->setDefaultFont(doc->defaultFont());
    m_pieceTimer.start();
}

void AutoSave::abortPass() {
    m_pieceTimer.stop();
    if (!m_passRunning) return;
    m_passRunning = false;
    disconnect(m_passWatch);
    m_copy.reset();
}

void AutoSave::takePiece() {
    if (!m_passRunning) return;
    QTextDocument* doc = m_text.document();
    if (doc != m_passDoc || !mayCopy()) {
        abortPass();
        return;
    }
    QElapsedTimer t;
    t.start();
    const qint64 cpu = threadCpuNs();
    const int end = doc->characterCount() - 1;
    QTextBlock block = doc->findBlock(m_copied);
    for (int i = 0; i < m_blocksPerPiece && block.isValid(); ++i)
        block = block.next();
    while (block.isValid() && !cutsCleanly(*doc, block))
        block = block.next();
    const int cut = block.isValid() ? block.position() : end;
    if (cut > m_copied) {
        QTextCursor range(doc);
        range.setPosition(m_copied);
        range.setPosition(cut, QTextCursor::KeepAnchor);
        QTextCursor copyEnd(m_copy.get());
        copyEnd.movePosition(QTextCursor::End);
        copyEnd.insertFragment(QTextDocumentFragment(range));
    }
    m_copied = cut;
    const qint64 ns = t.nsecsElapsed();
    const qint64 cpuNs = threadCpuNs() - cpu;
    m_passFigures.longestPieceNs = std::max(m_passFigures.longestPieceNs, ns);
    m_passFigures.longestPieceCpuNs = std::max(m_passFigures.longestPieceCpuNs, cpuNs);
    m_passFigures.uiNs += ns;
    m_passFigures.uiCpuNs += cpuNs;
    ++m_passFigures.pieces;
    // The next piece as large as fits the target at the pace of this one (its own work:
    // time the processor gave other programs says nothing about the piece).
    const double perBlock = double(std::max<qint64>(cpuNs, 1000)) / m_blocksPerPiece;
    m_blocksPerPiece = m_fixedBlocksPerPiece > 0
                           ? m_fixedBlocksPerPiece
                           : std::clamp(int(kPieceTargetNs / perBlock), kMinBlocksPerPiece,
                                        kMaxBlocksPerPiece);

    if (m_copied >= end)
        finishPass();
    else
        m_pieceTimer.start();
}

void AutoSave::finishPass() {
    QElapsedTimer t;
    t.start();
    const qint64 cpu = threadCpuNs();
    QTextDocument* doc = m_text.document();
    // The first paragraph's own formats: no piece carries them (a piece holds the
    // paragraph breaks that begin the paragraphs after its first).
    QTextCursor first(m_copy.get());
    first.setBlockFormat(doc->firstBlock().blockFormat());
    first.setBlockCharFormat(doc->firstBlock().charFormat());
    // The settings header, as a save puts it before the text: a recovered plan keeps its
    // margins and paper.
    QTextCharFormat header = first.charFormat();
    header.setProperty(TextFormat::HTagProperty, PlanHeader::HeaderTag);
    header.setForeground(TextFormat::fromWinColor(255));
    header.setProperty(TextFormat::HiddenProperty, true);
    first.insertText(PlanHeader::make(m_source.page ? m_source.page() : PlanPageSettings{}),
                     header);
    Ending e;
    e.number = m_passNumber;
    e.folder = Recovery::folder();
    e.textPath = Recovery::textCopyOf(m_passNumber);
    e.budgetPath = Recovery::budgetCopyOf(m_passNumber);
    e.budget = Sheet::writeNative(m_sheet.model());
    // The copy is the worker's from here on.
    QTextDocument* copy = m_copy.release();
    copy->rootFrame();
    copy->moveToThread(m_thread);
    const qint64 cpuNs = threadCpuNs() - cpu;
    m_passFigures.uiNs += t.nsecsElapsed();
    m_passFigures.uiCpuNs += cpuNs;
    m_passFigures.longestPieceNs = std::max(m_passFigures.longestPieceNs, t.nsecsElapsed());
    m_passFigures.longestPieceCpuNs = std::max(m_passFigures.longestPieceCpuNs, cpuNs);
    ++m_passFigures.pieces;

    m_passRunning = false;
    disconnect(m_passWatch);
    m_cleanGeneration = m_generation;
    m_idle.stop();
    m_deadline.stop();

    const Figures figures = m_passFigures;
    QPointer<AutoSave> self(this);
    QMetaObject::invokeMethod(m_worker, [this, self, w = m_worker, copy, e, figures] {
        const Worker::Result r = w->write(copy, e);
        QMetaObject::invokeMethod(this, [this, self, e, figures, r] {
            if (!self) return;
            m_figures = figures;
            m_figures.workerNs = r.ns;
            if (r.ok) {
                ++m_copiesWritten;
                m_lastFailure.clear();
            } else {
                m_lastFailure = r.failure;
            }
            emit copyWritten(e.number, r.ok);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

bool AutoSave::copyNow() {
    m_idle.stop();
    m_deadline.stop();
    if (m_passRunning) abortPass();
    if (m_generation == m_cleanGeneration || !mayCopy()) return false;
    startPass(true);
    while (m_passRunning) {
        m_pieceTimer.stop();
        takePiece();
    }
    return true;
}

void AutoSave::waitForWrites() {
    QMetaObject::invokeMethod(m_worker, [] {}, Qt::BlockingQueuedConnection);
}
