// Feeds arbitrary text to the speller and checks that every questioned word is where its
// offset says, also after words were replaced by others of another length.
#include "controls/speller/speller.h"
#include "platform/folders.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir* config = [] {
        auto* dir = new QTemporaryDir;
        Folders::setConfigFolder(dir->path());
        return dir;
    }();
    static Speller* speller = [] {
        auto* s = new Speller;
        s->load();
        s->setSliceLimits(7, 0);
        return s;
    }();
    (void)config;
    if (size > 20000) return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString current = text;
    speller->setCheckText(text);
    int code = speller->ResultCode();
    int step = 0;
    while (code == Speller::Misspelled || code == Speller::Busy) {
        if (code == Speller::Misspelled) {
            const QString word = speller->MisspelledWord();
            const int offset = speller->WordOffset();
            if (word.isEmpty() || offset < 0 || current.mid(offset, word.size()) != word) abort();
            switch (step++ % 4) {
            case 1:
                speller->setReplacementWord(word.left(1) + QStringLiteral("xy z"));
                current.replace(offset, word.size(), speller->ReplacementWord());
                speller->setReplaceLastWord(1);
                break;
            case 2:
                if (word.size() < 24) speller->suggestions();
                break;
            default:
                break;
            }
        }
        code = speller->ResumeCheck();
    }
    if (code < 0) abort();
    return 0;
}
