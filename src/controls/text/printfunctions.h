#pragma once

#include <utility>
#include <vector>

class QPainter;
class TextControl;

// The text control's exported print functions.
//
// A print run: ATX_PRINT_START with the painter to draw on (active on a printer, a PDF
// writer or an image), then ATX_PRINT for the text, then ATX_PRINT_FINISH. ATX_PRINT
// raises the control's page events: OnPrintThisPage before each page, whose skip flag
// leaves the page out, and OnPrintEndPage after each page it drew, during which
// ATX_PRINT_REGION draws a second control (a footer) onto that page.
//
// Lengths are twips from the painter's origin, which on a printer is the top left of the
// printable area. The text is laid out for paper without its hidden runs, at the width and
// page height given and independently of its layout on screen; the layout and its page
// breaks are kept with the control until its text or the geometry changes, so that
// printing one page again, or another page of the same text, costs that page alone.
//
// Results: 0, or one of the error codes below.
enum PrintError {
    PrintOk = 0,
    PrintNoDevice = 1,      // no painter, or one that is not painting
    PrintNotStarted = 2,    // ATX_PRINT or ATX_PRINT_REGION outside a print run
    PrintNoControl = 3,     // no control to print
    PrintBadGeometry = 4,   // a text width or height of 0 or less
    PrintNewPageFailed = 5, // the printer refused a new sheet
};

// Starts a print run on `painter`. The numeric arguments select the control's print mode;
// the program passes 0, 1, 1.
int ATX_PRINT_START(int mode, QPainter* painter, int option1, int option2);

// Prints characters `first` to `last` (-1: to the end) of `atx`: text area `width` by
// `height` at `left`, `top`, one page after the other. `y` comes in as the page's first
// line and goes out below the last line drawn on the last page drawn. `flags`: 0.
int ATX_PRINT(TextControl* atx, int& y, int top, int height, int left, int width, int first,
              int last, int flags);

// Draws the text of `atx` into the region `left`, `y`, `width` by `height` of the page
// being printed; `y` goes out below what was drawn. The trailing arguments: 0, 1, 0.
int ATX_PRINT_REGION(TextControl* atx, int& y, int height, int left, int width, int option1,
                     int option2, int option3);

// Starts a page that the caller draws itself during the run (a contents page between two
// stretches of text): turns the sheet when a page has been drawn already, as ATX_PRINT
// does before each of its pages, and counts the page as drawn.
int ATX_PRINT_OWNPAGE();

// Ends the print run.
int ATX_PRINT_FINISH();

// Where the sections begin on paper: for each paragraph carrying a PTag, in text order,
// its tag and the page (from 0) it begins on when characters `first` to `last` (-1: to
// the end) print `width` by `height` twips, as ATX_PRINT lays them out (the layout is
// shared with it). A paragraph of hidden text alone does not reach paper and is not
// listed.
std::vector<std::pair<int, int>> ATX_SECTION_PAGES(TextControl* atx, int width, int height,
                                                   int first = 0, int last = -1);

// How many times the control's text has been laid out for paper: a layout is made only
// when the text or the geometry changed since the last (tests and benchmarks watch it).
int paperLayoutCount(const TextControl* atx);
