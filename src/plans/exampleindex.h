#pragma once

#include <QString>

class IniFile;

// The worked examples follow several businesses through the plan. "egini.ini" keeps one
// section per business, each mapping section numbers to the help contexts of its
// examples: [help] for the first (the section the example button has always read),
// [help2], [help3]... for the others.
namespace ExampleIndex {

// The section of "egini.ini" ("help", "help2"...) one of whose contexts is `context`;
// empty when none is.
QString businessOf(const IniFile& egini, int context);

// The context of section `section`'s example in `business`; the first business's when
// that one has none for the section; 0 when neither has.
int contextFor(const IniFile& egini, const QString& business, int section);

// The context the example button opens for `section`: the example of the business the
// owner read last. That is the business of the page the example window shows now, when
// it shows "eg.hlp"; else the business remembered in the settings file from an earlier
// session; else the first. The business read is remembered for the next session.
int chooseExample(const QString& eginiPath, const QString& examplesPath, int section);

} // namespace ExampleIndex
