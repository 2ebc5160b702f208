#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

class QTextDocument;

// What an OpenDocument text needs beyond the text: its page and its properties.
struct OdtPage {
    QSizeF paper{8.27, 11.69}; // inches, in the plan's orientation
    QMarginsF margins{1, 1, 1, 1}; // inches from the paper's edges
    QString title;
    QString author;
    QString creator;
};

// The document as OpenDocument text. Qt's writer gives the text and its formats; this adds
// what it leaves out: every run's font name, the tables' cell borders and column widths,
// the page's size, orientation and margins, and the title and author. False (and `error`
// says why) when the file cannot be made.
bool makeOdt(const QTextDocument& doc, const OdtPage& page, QByteArray* out,
             QString* error = nullptr);
