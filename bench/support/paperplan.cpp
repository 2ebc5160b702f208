#include "support/paperplan.h"

#include "controls/text/paperlayout.h"
#include "controls/text/textcontrol.h"
#include "printing/pagegeometry.h"
#include "support/plandoc.h"

int paperPagesOf(const TextControl& text, const PageGeometry& geometry) {
    const PaperLayout paper(text.paperDocument(), twips(geometry.textWidth),
                            twips(geometry.textHeight));
    return paper.pageCount();
}

void adoptPlanOfPaperPages(TextControl& text, const PageGeometry& geometry, int pages) {
    text.adoptDocument(makePlanDocument(pages));
    const int paper = paperPagesOf(text, geometry);
    if (paper < pages) text.adoptDocument(makePlanDocument(pages * pages / paper + 1));
}
