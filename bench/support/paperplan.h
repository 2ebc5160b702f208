#pragma once

class TextControl;
struct PageGeometry;

// Gives the control a generated plan of at least `pages` pages of paper at the geometry
// given. The generator counts screen pages, which hold more or less than paper.
void adoptPlanOfPaperPages(TextControl& text, const PageGeometry& geometry, int pages);

// The control's text, laid out on paper at the geometry given: its number of pages.
int paperPagesOf(const TextControl& text, const PageGeometry& geometry);
