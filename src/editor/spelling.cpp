#include "editor/spelling.h"

#include "controls/speller/speller.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "dialogs/dialogfrm.h"
#include "editor/dicfrm.h"
#include "platform/repaintlock.h"

#include <QLineEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>

#include <exception>

namespace {

bool g_checking = false;

struct CheckingGuard {
    CheckingGuard() { g_checking = true; }
    ~CheckingGuard() { g_checking = false; }
};

// Thrown inside the check for a failure the user is told about in general terms.
struct CheckFailure : std::exception {};

// Blanks out the characters of hidden runs, so that words the user cannot see are not
// questioned; the positions of the other words stay as they are.
void blankHiddenRuns(const QTextDocument* doc, int start, QString* text) {
    const int end = start + int(text->size());
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid() || !f.charFormat().boolProperty(TextFormat::HiddenProperty)) continue;
            const int from = std::max(start, f.position());
            const int to = std::min(end, f.position() + f.length());
            for (int p = from; p < to; ++p)
                (*text)[p - start] = QLatin1Char(' ');
        }
    }
}

} // namespace

SpellCheckEnd CheckSpelling(TextControl* text, Speller* speller, TfrmDic* dialog) {
    if (g_checking || !text || !speller) return SpellCheckEnd::NotStarted;
    CheckingGuard guard;
    QPointer<TextControl> atx(text);
    static QPointer<TfrmDic> ownDialog;
    if (!dialog) {
        if (!ownDialog) ownDialog = new TfrmDic(text->window());
        dialog = ownDialog;
    }
    QPointer<TfrmDic> dic(dialog);

    try {
        text->setWriteProtect(1);
        const int rememberedStart = text->SelStart();
        const int rememberedLength = text->SelLength();
        const int rememberedScroll = text->ScrollVert();
        int base = rememberedStart;
        if (rememberedLength == 0) {
            // Selecting everything would scroll to the end; keep the view where it was.
            RepaintLock lock(text);
            text->setSelStart(0);
            text->setSelLength(text->TextLength());
            text->setScrollVert(rememberedScroll);
            base = 0;
        }
        // The selection grows or shrinks with every change made inside it.
        int lengthChange = 0;
        auto restore = [&] {
            RepaintLock lock(text);
            text->setSelStart(base);
            text->setSelLength(rememberedLength == 0 ? 0 : rememberedLength + lengthChange);
            text->setScrollVert(rememberedScroll);
        };

        if (!speller->load()) {
            text->setWriteProtect(0);
            restore();
            ShowError(speller->dictionaryError());
            return SpellCheckEnd::NoDictionary;
        }

        QString selected = text->SelText();
        if (!text->ShowHidden()) blankHiddenRuns(text->document(), text->SelStart(), &selected);
        const int documentLength = text->TextLength();
        speller->setCheckText(selected);
        int code = speller->ResultCode();

        for (;;) {
            if (code >= 0) {
                text->setWriteProtect(0);
                restore();
                ShowInformation(QStringLiteral("The spelling check is complete"));
                return SpellCheckEnd::Complete;
            }
            if (code == Speller::Busy) {
                pumpMessages();
                // The plan may have been closed, or its text changed by another command,
                // while the window was answering.
                if (!atx || !dic) return SpellCheckEnd::Failed;
                if (text->TextLength() != documentLength + lengthChange) throw CheckFailure();
            } else if (code == Speller::Misspelled) {
                text->setWriteProtect(0);
                const QString word = speller->MisspelledWord();
                text->setSelStart(base + speller->WordOffset());
                text->setSelLength(int(word.size()));
                dic->fill(word, speller->suggestions());
                switch (dic->execute()) {
                case TfrmDic::Change: {
                    speller->setReplacementWord(dic->txtRight->text());
                    const QString replacement = speller->ReplacementWord();
                    const int at = text->SelStart();
                    TextControl::EditStep step(text);
                    text->setSelText(replacement);
                    // The corrected word is the user's own black text, like anything typed.
                    text->setSelStart(at);
                    text->setSelLength(int(replacement.size()));
                    text->setFontColor(0);
                    text->setHTag(0);
                    text->setSelStart(at + int(replacement.size()));
                    speller->setReplaceLastWord(1);
                    lengthChange += int(replacement.size() - word.size());
                    break;
                }
                case TfrmDic::Ignore:
                    break;
                case TfrmDic::IgnoreAll:
                    speller->setAddToCommonIRList(Speller::IgnoreForSession);
                    break;
                case TfrmDic::Add:
                    if (speller->AddMisspelledWord(Speller::KeepInFile,
                                                   Speller::CustomDictionarySlot) != 0)
                        throw CheckFailure();
                    break;
                default: // Cancel, Escape or the close box
                    speller->StopCheck();
                    text->setWriteProtect(0);
                    return SpellCheckEnd::Cancelled;
                }
                if (!atx) return SpellCheckEnd::Failed;
            } else if (code == Speller::Stopped) {
                text->setWriteProtect(0);
                return SpellCheckEnd::Cancelled;
            } else {
                text->setWriteProtect(0);
                ShowNotice(QStringLiteral("An error occurred when checking: ") +
                           QString::number(code));
                return SpellCheckEnd::Failed;
            }
            code = speller->ResumeCheck();
        }
    } catch (...) {
        speller->StopCheck();
        if (atx) atx->setWriteProtect(0);
        ShowError(QStringLiteral("An error occurred while checking the spelling."));
        return SpellCheckEnd::Failed;
    }
}
