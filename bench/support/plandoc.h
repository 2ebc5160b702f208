#pragma once

class QObject;
class QTextDocument;

// A long plan document with the mix of the shipped template, for benchmarks: 40 sections,
// each opening with a bold heading paragraph that carries the section's PTag; every run
// of the section carries its NTag; blue prompts (HTag 1, blue), hidden red notes
// (HTag 999, hidden, red) and ordinary paragraphs of about 500 words a page in all.
// The content depends only on `pages`, so two calls give equal documents.
QTextDocument* makePlanDocument(int pages, QObject* parent = nullptr);

// Section tag of the 1-based section `number` (99 for section 1), as the plan uses it.
int planSectionTag(int number);

// Number of sections makePlanDocument spreads the pages over.
constexpr int kPlanSections = 40;
