#pragma once

#include <QList>
#include <QRectF>
#include <QString>

// Reading printed PDF files back with poppler's tools.

// The page count pdfinfo reports; -1 when the file cannot be read.
int pdfPageCount(const QString& pdf);
// The text of one page (from 1), or of every page with 0.
QString pdfText(const QString& pdf, int page = 0);

struct PdfWord {
    int page = 0;   // from 1
    QString text;
    QRectF box;     // points from the page's top left
};
// Every word with its box, page by page.
QList<PdfWord> pdfWords(const QString& pdf);
// The first word with this text, or a word with page 0.
PdfWord pdfWord(const QList<PdfWord>& words, const QString& text);

// A field of pdfinfo's report ("Title", "Author"); empty when missing.
QString pdfInfoField(const QString& pdf, const QString& field);

struct PdfOutlineItem {
    QString title;
    int page = 0;  // from 1
    int depth = 0; // 0 top level
};
// The PDF's outline (its bookmarks), in order, as poppler's pdftohtml reads it.
QList<PdfOutlineItem> pdfOutline(const QString& pdf);

struct PdfPageLink {
    int page = 0;   // from 1: the page it lies on
    QRectF box;     // points from the page's top left
    int target = 0; // from 1: the page it leads to; 0 when it leads nowhere in the file
};
// The links from one page of the PDF to another, page by page, as qpdf reads them.
QList<PdfPageLink> pdfLinks(const QString& pdf);
