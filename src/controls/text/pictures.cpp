#include "controls/text/pictures.h"

#include "controls/text/textformat.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFont>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QMutexLocker>
#include <QPaintDevice>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <list>
#include <mutex>

Q_GUI_EXPORT int qt_defaultDpiY();

namespace Pictures {

namespace {

struct Store {
    QMutex mutex;
    QHash<QString, Stored> pictures;
};

Store& theStore() {
    static Store s;
    return s;
}

QString tr(const char* text) {
    return QCoreApplication::translate("Pictures", text);
}

// Every document looks pictures up here when it holds no resource of that name: copies of
// the text made for paper, export or the clipboard show the pictures of the original.
void provideResources() {
    static std::once_flag once;
    std::call_once(once, [] {
        QTextDocument::setDefaultResourceProvider([](const QUrl& url) -> QVariant {
            Stored s;
            if (!lookup(url.toString(), &s)) return {};
            return s.image;
        });
    });
}

QString nameFor(const QByteArray& key, const char* extension) {
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return QStringLiteral("picture:%1.%2").arg(QString::fromLatin1(hash), QLatin1String(extension));
}

QString put(const QString& name, Stored s) {
    provideResources();
    Store& store = theStore();
    QMutexLocker lock(&store.mutex);
    if (!store.pictures.contains(name)) store.pictures.insert(name, std::move(s));
    return name;
}

QImage placeholderImage(QSizeF size, const QString& label) {
    // Drawn scaled: a grey box needs no more pixels than this.
    const QSizeF box = fitted(size, QSizeF(600, 600));
    const QSize px(std::max(16, int(std::lround(box.width()))), std::max(16, int(std::lround(box.height()))));
    QImage image(px, QImage::Format_RGB32);
    image.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter p(&image);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    p.drawRect(QRect(0, 0, px.width() - 1, px.height() - 1));
    p.drawLine(0, 0, px.width() - 1, px.height() - 1);
    p.drawLine(0, px.height() - 1, px.width() - 1, 0);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::clamp(px.height() / 6, 8, 14));
    p.setFont(font);
    const QRect text = QRect(QPoint(0, 0), px).adjusted(4, 4, -4, -4);
    p.fillRect(p.fontMetrics().boundingRect(text, Qt::AlignCenter | Qt::TextWordWrap, label)
                   .adjusted(-3, -1, 3, 1),
               QColor(0xf0, 0xf0, 0xf0));
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawText(text, Qt::AlignCenter | Qt::TextWordWrap, label);
    return image;
}

} // namespace

QString tooLargeMessage() {
    return tr("The picture is larger than 20 MB.");
}

QString placeholderLabel(bool refused) {
    return refused ? tr("Picture not shown") : tr("Picture");
}

QImage decode(const QByteArray& data, Kind* kind, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QImage();
    };
    if (data.size() > kMaxBytes)
        return fail(tooLargeMessage());
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray type = reader.format().toLower();
    if (type != "png" && type != "jpeg" && type != "jpg")
        return fail(tr("The picture is damaged, or is not a PNG or JPEG picture."));
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return fail(tr("The picture is damaged, or is not a PNG or JPEG picture."));
    if (qint64(size.width()) * qint64(size.height()) > kMaxPixels)
        return fail(tr("The picture is larger than 50 megapixels."));
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return fail(tr("The picture is damaged, or is not a PNG or JPEG picture."));
    if (kind) *kind = type == "png" ? Kind::Png : Kind::Jpeg;
    return image;
}

QString store(const QImage& image, const QByteArray& data, Kind kind) {
    Stored s;
    s.image = image;
    s.kind = kind;
    s.data = data;
    if (s.data.isEmpty() || kind == Kind::Other) {
        QBuffer buffer(&s.data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.write(image);
        s.kind = Kind::Png;
    }
    const QString name = nameFor(s.data, s.kind == Kind::Jpeg ? "jpg" : "png");
    return put(name, std::move(s));
}

QString storePlaceholder(const QByteArray& data, const QByteArray& rtfType, QSizeF size,
                         const QString& label) {
    Stored s;
    s.data = data;
    s.kind = Kind::Other;
    s.rtfType = rtfType;
    s.shown = false;
    s.image = placeholderImage(size, label);
    QByteArray key = rtfType + '\n' + label.toUtf8() + '\n' +
                     QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height()) +
                     '\n' + data;
    return put(nameFor(key, "bin"), std::move(s));
}

void forgetAll() {
    Store& store = theStore();
    QMutexLocker lock(&store.mutex);
    store.pictures.clear();
}

bool lookup(const QString& name, Stored* out) {
    Store& store = theStore();
    QMutexLocker lock(&store.mutex);
    const auto it = store.pictures.constFind(name);
    if (it == store.pictures.constEnd()) return false;
    if (out) *out = it.value();
    return true;
}

QTextImageFormat format(const QString& name, QSizeF size, QTextDocument* doc) {
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(size.width());
    f.setHeight(size.height());
    Stored s;
    if (doc && lookup(name, &s)) doc->addResource(QTextDocument::ImageResource, QUrl(name), s.image);
    return f;
}

bool isPicture(const QTextFormat& f) {
    return f.isImageFormat() || f.objectType() == QTextFormat::ImageObject;
}

QSizeF fitted(QSizeF natural, QSizeF box) {
    if (natural.isEmpty()) return natural;
    qreal scale = 1;
    if (box.width() > 0) scale = std::min(scale, box.width() / natural.width());
    if (box.height() > 0) scale = std::min(scale, box.height() / natural.height());
    return natural * scale;
}

QSizeF shownSize(const QTextFormat& f, qreal maxWidth) {
    const QTextImageFormat image = f.toImageFormat();
    QSizeF size(image.width(), image.height());
    if (size.width() <= 0 || size.height() <= 0) {
        // Without a size of its own (pasted from a web page): the picture's pixels.
        Stored s;
        if (lookup(image.name(), &s))
            size = QSizeF(s.image.size());
        else
            size = QSizeF(std::max<qreal>(size.width(), 16), std::max<qreal>(size.height(), 16));
    }
    if (maxWidth > 0 && size.width() > maxWidth) size = fitted(size, QSizeF(maxWidth, 0));
    return size;
}

void installHandler(QAbstractTextDocumentLayout* layout) {
    if (!layout) return;
    layout->registerHandler(QTextFormat::ImageObject, new Handler(layout));
}

void insert(QTextCursor& at, const QString& name, QSizeF size) {
    QTextImageFormat f = format(name, size, at.document());
    // The picture belongs to the section its place belongs to.
    const QTextCharFormat here = at.charFormat();
    if (here.hasProperty(TextFormat::NTagProperty))
        f.setProperty(TextFormat::NTagProperty, here.property(TextFormat::NTagProperty));
    at.insertImage(f);
}

QSizeF Handler::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) {
    // Lengths are 96-dpi pixels; a layout on a printer (or at paper's 1440 dpi) has them
    // grow with its resolution, as it does the text's fonts.
    qreal scale = qt_defaultDpiY() / 96.0;
    if (doc && doc->documentLayout())
        if (QPaintDevice* device = doc->documentLayout()->paintDevice())
            scale = device->logicalDpiY() / 96.0;
    return shownSize(format) * scale;
}

void Handler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                         const QTextFormat& format) {
    const QString name = format.toImageFormat().name();
    QImage image;
    Stored s;
    if (lookup(name, &s)) {
        image = s.image;
    } else if (doc) {
        const QVariant v = doc->resource(QTextDocument::ImageResource, QUrl(name));
        if (v.canConvert<QImage>()) image = v.value<QImage>();
    }
    if (image.isNull()) {
        painter->save();
        painter->setPen(QPen(Qt::gray, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    // Only what goes to a screen is drawn from a scaled copy: a printer, a PDF writer (which
    // names no kind of its own) and a recorded picture get every pixel.
    const int type = painter->device() ? painter->device()->devType() : 0;
    const bool paper = type != QInternal::Widget && type != QInternal::Pixmap &&
                       type != QInternal::Image && type != QInternal::OpenGL &&
                       type != QInternal::FramebufferObject;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (paper) {
        // Paper and PDF get every pixel the picture has.
        painter->drawImage(rect, image);
    } else {
        // The screen gets a copy at the size shown, made once: scaling a photograph on
        // every paint would make scrolling past it slow.
        struct Cached {
            QString name;
            QSize size;
            QImage image;
        };
        static std::list<Cached> cache;
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        // In the device's pixels: the print preview draws paper's layout scaled down.
        const QSize want = (painter->transform().mapRect(rect).size() * ratio)
                               .toSize()
                               .expandedTo(QSize(1, 1));
        auto it = std::find_if(cache.begin(), cache.end(), [&](const Cached& c) {
            return c.name == name && c.size == want;
        });
        if (it == cache.end()) {
            cache.push_front({name, want, image.size() == want ? image
                                                              : image.scaled(want, Qt::IgnoreAspectRatio,
                                                                             Qt::SmoothTransformation)});
            if (cache.size() > 24) cache.pop_back();
            it = cache.begin();
        } else if (it != cache.begin()) {
            cache.splice(cache.begin(), cache, it);
            it = cache.begin();
        }
        painter->drawImage(rect, it->image);
    }
    painter->restore();
}

} // namespace Pictures
