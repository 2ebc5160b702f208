#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One entry of a PDF's outline (the bookmarks a reader lists beside the pages).
struct PdfBookmark {
    QString title;
    int depth = 0; // 0 top level; an entry is a child of the nearest shallower one before it
    int page = 0;  // from 0
};

// What a reader shows as the document's properties.
struct PdfInfo {
    QString title;
    QString author;
    QString creator;
};

// Qt writes a PDF's pages but no outline and no author. This adds both (and the title) to
// a finished PDF held in memory, opening the outline beside the pages when there is one.
// Bookmarks whose page does not exist are left out. Returns false and leaves `out` empty
// when the PDF cannot be read or written; `error` then says why.
bool addPdfOutline(const QByteArray& pdf, const QList<PdfBookmark>& bookmarks,
                   const PdfInfo& info, QByteArray* out, QString* error = nullptr);
