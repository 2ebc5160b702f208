#include "support/docxread.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

namespace {

// Reads a .docx with python-docx and the zip module and prints what it found as JSON.
const char* const kReader = R"PY(
import json, sys, zipfile, posixpath
import xml.etree.ElementTree as ET
import docx
path = sys.argv[1]
d = docx.Document(path)
out = {}
out["headings"] = [[p.style.name, p.text] for p in d.paragraphs if p.style.name.startswith("Heading")]
out["paragraphs"] = [p.text for p in d.paragraphs]
out["tables"] = [[[c.text for c in r.cells] for r in t.rows] for t in d.tables]
runs = [r for p in d.paragraphs for r in p.runs] + [r for t in d.tables for row in t.rows for c in row.cells for p in c.paragraphs for r in p.runs]
out["bold"] = [r.text for r in runs if r.bold]
out["italic"] = [r.text for r in runs if r.italic]
out["underline"] = [r.text for r in runs if r.underline]
out["colours"] = {r.text: str(r.font.color.rgb) for r in runs if r.font.color is not None and r.font.color.type is not None}
out["fonts"] = {r.text: [r.font.name, r.font.size.pt if r.font.size else 0] for r in runs}
ind = {}
for p in d.paragraphs:
    f = p.paragraph_format
    ind[p.text] = [f.left_indent.twips if f.left_indent is not None else 0,
                   f.first_line_indent.twips if f.first_line_indent is not None else 0,
                   [[t.position.twips, int(t.alignment)] for t in f.tab_stops],
                   int(p.alignment) if p.alignment is not None else -1]
out["formats"] = ind
s = d.sections[0]
out["page"] = [s.page_width.twips, s.page_height.twips, int(s.orientation),
               s.left_margin.twips, s.right_margin.twips, s.top_margin.twips, s.bottom_margin.twips]
out["footer"] = "".join(p.text for p in s.footer.paragraphs)
out["footerPage"] = "PAGE" in s.footer._element.xml
# The outline level a navigation pane lists a heading style's paragraphs at.
W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
out["outline"] = {st.name: int(st.element.find(W + "pPr/" + W + "outlineLvl").get(W + "val"))
                  for st in d.styles if st.name.startswith("Heading")}
out["title"] = d.core_properties.title
out["author"] = d.core_properties.author
# Every part the content types name is there, every part has a type, every relationship
# leads to a part, and every part is well-formed XML.
problems = []
z = zipfile.ZipFile(path)
names = set(z.namelist())
ct = ET.fromstring(z.read("[Content_Types].xml"))
ns = "{http://schemas.openxmlformats.org/package/2006/content-types}"
defaults = {e.get("Extension") for e in ct.findall(ns + "Default")}
overrides = {e.get("PartName").lstrip("/") for e in ct.findall(ns + "Override")}
for part in overrides:
    if part not in names: problems.append("missing part " + part)
for name in names:
    if name == "[Content_Types].xml": continue
    if name not in overrides and name.rsplit(".", 1)[-1] not in defaults:
        problems.append("no content type for " + name)
    if not name.endswith((".xml", ".rels")): continue  # pictures and other media
    try: ET.fromstring(z.read(name))
    except ET.ParseError as e: problems.append(name + ": " + str(e))
for name in names:
    if not name.endswith(".rels"): continue
    base = posixpath.dirname(posixpath.dirname(name))
    for rel in ET.fromstring(z.read(name)):
        if rel.get("TargetMode") == "External": continue
        target = posixpath.normpath(posixpath.join(base, rel.get("Target"))).lstrip("/")
        if target not in names: problems.append(name + " leads to missing " + target)
out["problems"] = problems
# Pictures in the text: each one's size (EMU) and its file's bytes' length.
out["pictures"] = [[s.width, s.height, len(s._inline.graphic.graphicData.pic.blipFill.blip.embed and
                    d.part.related_parts[s._inline.graphic.graphicData.pic.blipFill.blip.embed].blob)]
                   for s in d.inline_shapes]
print(json.dumps(out))
)PY";

// Debian's python3-docx is the system Python's: a python3 of its own earlier on the path
// (pyenv, a virtual environment) would not find it.
QString python() {
    const QString system = QStringLiteral("/usr/bin/python3");
    return QFileInfo::exists(system) ? system : QStringLiteral("python3");
}

} // namespace

QJsonObject readDocx(const QString& path) {
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), QString::fromUtf8(kReader), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("%s", p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

bool hasDocxReader() {
    return QProcess::execute(python(),
                             {QStringLiteral("-c"), QStringLiteral("import docx")}) == 0;
}

