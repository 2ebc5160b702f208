#pragma once

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>

// One entry of a PDF's outline (the bookmarks a reader lists beside the pages).
struct PdfBookmark {
    QString title;
    int depth = 0; // 0 top level; an entry is a child of the nearest shallower one before it
    int page = 0;  // from 0
};

// A link on a page to another page of the same PDF.
struct PdfLink {
    int page = 0;   // the page it lies on, from 0
    QRectF rect;    // points, from the page's bottom left, as PDF measures
    int target = 0; // the page it leads to, from 0
};

// What a reader shows as the document's properties.
struct PdfInfo {
    QString title;
    QString author;
    QString creator;
};

// Qt writes a PDF's pages but no outline, no author and no links from one page to
// another. This adds them (and the title) to a finished PDF held in memory, opening the
// outline beside the pages when there is one. Bookmarks and links whose pages do not
// exist are left out. Returns false and leaves `out` empty when the PDF cannot be read or
// written; `error` then says why.
bool addPdfOutline(const QByteArray& pdf, const QList<PdfBookmark>& bookmarks,
                   const PdfInfo& info, QByteArray* out, QString* error = nullptr,
                   const QList<PdfLink>& links = {});
