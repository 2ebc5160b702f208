#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QTextFormat>
#include <QTextObjectInterface>

class QAbstractTextDocumentLayout;
class QTextCursor;
class QTextDocument;

// Pictures in the text.
//
// A picture is one character of the text (QChar::ObjectReplacementCharacter) with a
// QTextImageFormat: its name points to the picture's pixels, and its width and height
// are the size it is shown at, in pixels of a 96-dpi screen (the unit of the paragraph
// indents, 15 twips each), so that no layout has to decode a picture to know its size.
//
// The pixels are kept once per process by name (the name is made from a hash of the
// file's bytes), together with the bytes as they came (PNG or JPEG, or the data of a
// picture kind we cannot show, kept so that saving writes it back unchanged). Every
// document finds them by name, so copies of the text (for paper, export, the clipboard,
// recovery) show them too; the document that receives a picture also holds it as a
// resource of its own.
namespace Pictures {

// A picture file is untrusted input: nothing larger is decoded.
constexpr qint64 kMaxBytes = 20LL * 1024 * 1024;
constexpr qint64 kMaxPixels = 50LL * 1000 * 1000;

// Unit conversions: format lengths are 96-dpi pixels; points are 1/72 in; twips 1/1440 in.
inline double pointsToLength(double pt) { return pt * 96.0 / 72.0; }
inline double lengthToPoints(double px) { return px * 72.0 / 96.0; }
inline double twipsToLength(double tw) { return tw / 15.0; }
inline double lengthToTwips(double px) { return px * 15.0; }

// The kinds of data a picture's bytes may hold.
enum class Kind { Png, Jpeg, Other };

struct Stored {
    QImage image;      // what is shown (a placeholder for a picture that cannot be shown)
    QByteArray data;   // the bytes as read or made
    Kind kind = Kind::Png;
    QByteArray rtfType; // Other: the RTF control words naming its kind ("wmetafile8", "emfblip")
    bool shown = true;  // false: the image is a placeholder
};

// Decodes PNG or JPEG bytes after checking their size and the dimensions their header
// gives against the limits. On failure returns a null image and says why in `error`.
QImage decode(const QByteArray& data, Kind* kind = nullptr, QString* error = nullptr);

QString tooLargeMessage();
// The words on a placeholder: for a picture refused (too large or damaged), or for one of
// a kind that cannot be shown.
QString placeholderLabel(bool refused);

// Registers a picture and returns its name. `data` empty: the image is encoded as PNG.
QString store(const QImage& image, const QByteArray& data = {}, Kind kind = Kind::Png);
// Registers a picture that cannot be shown: its bytes are kept and a placeholder of the
// given size (96-dpi pixels) stands for it, with `label` on it.
QString storePlaceholder(const QByteArray& data, const QByteArray& rtfType, QSizeF size,
                         const QString& label);
// Forgets every picture: for tools that read many unrelated texts one after the other (the
// fuzz target), never while a text that holds pictures is open.
void forgetAll();
// The picture of a name; false when the name is unknown.
bool lookup(const QString& name, Stored* out);

// The format of a picture shown at `size` (96-dpi pixels); registers it as a resource of
// `doc` when given.
QTextImageFormat format(const QString& name, QSizeF size, QTextDocument* doc = nullptr);
// Whether a character format is one of our pictures (or any image).
bool isPicture(const QTextFormat& f);
// The size a picture is shown at (96-dpi pixels), scaled down to fit `maxWidth` when that
// is above 0, keeping its aspect.
QSizeF shownSize(const QTextFormat& f, qreal maxWidth = 0);
// A picture's natural size (its pixels at 96 dpi) scaled down to fit `width` by
// `height`, keeping its aspect.
QSizeF fitted(QSizeF natural, QSizeF box);

// Makes a layout measure and draw pictures.
void installHandler(QAbstractTextDocumentLayout* layout);

// Inserts a picture at the cursor, replacing its selection. `size` in 96-dpi pixels.
void insert(QTextCursor& at, const QString& name, QSizeF size);

// Measures and draws the pictures of a layout. Sizes come from the format alone.
class Handler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    explicit Handler(QObject* parent = nullptr) : QObject(parent) {}
    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;
};

} // namespace Pictures
