#include "printing/pdfoutline.h"

// This code holds qpdf's objects in std::shared_ptr only, never in its old PointerHolder.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <vector>

namespace {

QPDFObjectHandle unicode(const QString& text) {
    return QPDFObjectHandle::newUnicodeString(text.toStdString());
}

// An outline item and where its children go.
struct Node {
    QPDFObjectHandle dict;
    std::vector<size_t> children; // indexes into the node list
    int descendants = 0;
};

void linkChildren(std::vector<Node>& nodes, size_t parent) {
    Node& p = nodes[parent];
    const auto& kids = p.children;
    if (kids.empty()) return;
    p.dict.replaceKey("/First", nodes[kids.front()].dict);
    p.dict.replaceKey("/Last", nodes[kids.back()].dict);
    for (size_t i = 0; i < kids.size(); ++i) {
        QPDFObjectHandle item = nodes[kids[i]].dict;
        item.replaceKey("/Parent", p.dict);
        if (i > 0) item.replaceKey("/Prev", nodes[kids[i - 1]].dict);
        if (i + 1 < kids.size()) item.replaceKey("/Next", nodes[kids[i + 1]].dict);
    }
}

int countDescendants(std::vector<Node>& nodes, size_t index) {
    int n = 0;
    for (size_t kid : nodes[index].children) n += 1 + countDescendants(nodes, kid);
    nodes[index].descendants = n;
    return n;
}

} // namespace

bool addPdfOutline(const QByteArray& bytes, const QList<PdfBookmark>& bookmarks,
                   const PdfInfo& info, QByteArray* out, QString* error,
                   const QList<PdfLink>& links) {
    out->clear();
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("export.pdf", bytes.constData(), size_t(bytes.size()));
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        QPDFObjectHandle root = pdf.getRoot();

        // Node 0 is the outline dictionary itself; a stack of open levels finds each
        // entry's parent from its depth.
        std::vector<Node> nodes;
        nodes.push_back({pdf.makeIndirectObject(QPDFObjectHandle::newDictionary()), {}, 0});
        nodes[0].dict.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
        std::vector<std::pair<int, size_t>> open{{-1, 0}};
        for (const PdfBookmark& b : bookmarks) {
            if (b.page < 0 || size_t(b.page) >= pages.size()) continue;
            QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            item.replaceKey("/Title", unicode(b.title));
            item.replaceKey("/Dest", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                         pages[size_t(b.page)].getObjectHandle(),
                                         QPDFObjectHandle::newName("/Fit")}));
            while (open.size() > 1 && open.back().first >= b.depth) open.pop_back();
            nodes.push_back({item, {}, 0});
            nodes[open.back().second].children.push_back(nodes.size() - 1);
            open.emplace_back(b.depth, nodes.size() - 1);
        }
        if (nodes.size() > 1) {
            for (size_t i = 0; i < nodes.size(); ++i) linkChildren(nodes, i);
            countDescendants(nodes, 0);
            // Every level open: the counts are of all the entries below.
            for (size_t i = 1; i < nodes.size(); ++i)
                if (nodes[i].descendants > 0)
                    nodes[i].dict.replaceKey("/Count",
                                             QPDFObjectHandle::newInteger(nodes[i].descendants));
            nodes[0].dict.replaceKey("/Count", QPDFObjectHandle::newInteger(nodes[0].descendants));
            root.replaceKey("/Outlines", nodes[0].dict);
            root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
        }

        for (const PdfLink& link : links) {
            if (link.page < 0 || size_t(link.page) >= pages.size() || link.target < 0 ||
                size_t(link.target) >= pages.size())
                continue;
            QPDFObjectHandle annot = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            annot.replaceKey("/Type", QPDFObjectHandle::newName("/Annot"));
            annot.replaceKey("/Subtype", QPDFObjectHandle::newName("/Link"));
            const QRectF& r = link.rect;
            annot.replaceKey("/Rect", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                          QPDFObjectHandle::newReal(r.left(), 2),
                                          QPDFObjectHandle::newReal(r.top(), 2),
                                          QPDFObjectHandle::newReal(r.right(), 2),
                                          QPDFObjectHandle::newReal(r.bottom(), 2)}));
            // No frame around the line: a reader shows the link by its pointer.
            annot.replaceKey("/Border", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                            QPDFObjectHandle::newInteger(0),
                                            QPDFObjectHandle::newInteger(0),
                                            QPDFObjectHandle::newInteger(0)}));
            annot.replaceKey("/Dest", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                          pages[size_t(link.target)].getObjectHandle(),
                                          QPDFObjectHandle::newName("/Fit")}));
            QPDFObjectHandle page = pages[size_t(link.page)].getObjectHandle();
            QPDFObjectHandle annots = page.getKey("/Annots");
            if (!annots.isArray()) {
                annots = QPDFObjectHandle::newArray();
                page.replaceKey("/Annots", annots);
            }
            annots.appendItem(annot);
        }

        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle infoDict = trailer.getKey("/Info");
        if (!infoDict.isDictionary()) {
            infoDict = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            trailer.replaceKey("/Info", infoDict);
        }
        if (!info.title.isEmpty()) {
            infoDict.replaceKey("/Title", unicode(info.title));
            // Readers show the title in their window rather than the file's name.
            QPDFObjectHandle prefs = QPDFObjectHandle::newDictionary();
            prefs.replaceKey("/DisplayDocTitle", QPDFObjectHandle::newBool(true));
            root.replaceKey("/ViewerPreferences", prefs);
        }
        if (!info.author.isEmpty()) infoDict.replaceKey("/Author", unicode(info.author));
        if (!info.creator.isEmpty()) infoDict.replaceKey("/Creator", unicode(info.creator));

        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.write();
        std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        *out = QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()),
                          qsizetype(buffer->getSize()));
        return true;
    } catch (const std::exception& e) {
        if (error) *error = QString::fromLocal8Bit(e.what());
        out->clear();
        return false;
    }
}
