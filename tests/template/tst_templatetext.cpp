#include "controls/speller/speller.h"
#include "controls/text/rtfreader.h"
#include "controls/text/textformat.h"
#include "platform/helpsystem.h"
#include "support/testenv.h"

#include <QDir>
#include <QMap>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

// The texts the program ships, read back from the built data as the program shows them.
namespace {

struct Text {
    QString where;
    QString text;
};

QString plainOf(const QString& path) {
    QTextDocument doc;
    QString error;
    if (!RtfReader::read(readFileBytes(path), &doc, &error)) return QString();
    return doc.toPlainText();
}

QList<Text> helpTexts(const QString& path) {
    QList<Text> out;
    const HelpDocument help = HelpDocument::load(path);
    for (const HelpTopic& t : help.topics()) {
        QTextDocument doc;
        doc.setHtml(t.body);
        out.append({QStringLiteral("%1 #%2").arg(QFileInfo(path).fileName()).arg(t.context),
                    t.title + QLatin1Char('\n') + doc.toPlainText()});
    }
    return out;
}

} // namespace

class TestTemplateText : public QObject {
    Q_OBJECT
    TestEnv m_env;

    QList<Text> shippedTexts() const {
        QList<Text> texts;
        const QString data = m_env.dataFolder();
        texts.append({QStringLiteral("1.mp"), plainOf(m_env.userDataFolder() + "1.mp")});
        for (const QString& name : QDir(data).entryList({QStringLiteral("*.pla")}))
            texts.append({name, plainOf(data + name)});
        for (const char* name : {"startup.plt", "startup.rtf"})
            texts.append({QLatin1String(name), plainOf(data + QLatin1String(name))});
        texts += helpTexts(data + "eg.hlp");
        texts += helpTexts(data + "qmphelp.hlp");
        return texts;
    }

private slots:
    // Every word is known to the program's own British English speller, except the names
    // (people, places, firms of the examples) and the controls' own captions listed in
    // data/template/names.txt; that list holds nothing the dictionary knows or the texts
    // no longer use.
    void textsAreSpeltInBritishEnglish() {
        Speller speller;
        speller.setStandardDictionary(QStringLiteral("british.vtd"));
        QVERIFY2(speller.load(), qPrintable(speller.dictionaryError()));
        QSet<QString> names;
        const QString list = QString::fromUtf8(
            readFileBytes(QStringLiteral(TANDEL_SOURCE_DIR "/data/template/names.txt")));
        QVERIFY(!list.isEmpty());
        for (const QString& line : list.split(QLatin1Char('\n'))) {
            const QString word = line.trimmed();
            if (word.isEmpty() || word.startsWith(QLatin1Char('#'))) continue;
            QVERIFY2(
                !speller.isCorrect(word),
                qPrintable(word + QStringLiteral(" is in the dictionary: take it off the list")));
            names.insert(word);
        }
        const QList<Text> texts = shippedTexts();
        QVERIFY(texts.size() > 90);
        QMap<QString, QStringList> unknown; // word -> where
        QSet<QString> used;
        for (const Text& t : texts) {
            QVERIFY2(!t.text.trimmed().isEmpty(), qPrintable(t.where));
            speller.setCheckText(t.text);
            int code = speller.ResultCode();
            for (int guard = 0; code < 0 && guard < 100000; ++guard) {
                if (code == Speller::Misspelled) {
                    const QString word = speller.MisspelledWord();
                    if (names.contains(word))
                        used.insert(word);
                    else if (!unknown.value(word).contains(t.where))
                        unknown[word] << t.where;
                } else if (code != Speller::Busy) {
                    break;
                }
                code = speller.ResumeCheck();
            }
            QVERIFY2(code >= 0, qPrintable(t.where));
        }
        QStringList report;
        for (auto it = unknown.cbegin(); it != unknown.cend(); ++it)
            report << QStringLiteral("%1 (%2)").arg(it.key(),
                                                    it.value().join(QStringLiteral(", ")));
        for (const QString& line : std::as_const(report))
            qWarning("unknown word: %s", qPrintable(line));
        QVERIFY2(report.isEmpty(), "unknown words, listed above: correct them, or add names to "
                                   "data/template/names.txt");
        const QSet<QString> unused = names - used;
        QVERIFY2(unused.isEmpty(), qPrintable(QStringLiteral("not used any more: ") +
                                              QStringList(unused.values()).join(", ")));
    }

    // A prompt is typed over as one run: between two prompts there is always ordinary
    // text, so that no selection can run from one prompt across a paragraph break into the
    // next.
    void promptsAreSeparatedByOrdinaryText() {
        QTextDocument doc;
        QVERIFY(RtfReader::read(readFileBytes(m_env.userDataFolder() + "1.mp"), &doc));
        QString previous; // the last prompt, while no ordinary text has followed it
        int prompts = 0;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const int htag = f.charFormat().intProperty(TextFormat::HTagProperty);
                QString text = f.text();
                text.remove(QChar(0x2022)); // a bullet is no separation
                if (htag == 1) {
                    QVERIFY2(
                        previous.isEmpty(),
                        qPrintable(
                            QStringLiteral("\"%1\" runs into \"%2\"").arg(previous, f.text())));
                    previous = f.text();
                    ++prompts;
                } else if ((htag == 0 || htag == 300) && !text.trimmed().isEmpty()) {
                    previous.clear();
                }
            }
        QVERIFY(prompts > 150);
    }
};

QTEST_MAIN(TestTemplateText)
#include "tst_templatetext.moc"
