#pragma once

class Speller;
class TextControl;
class TfrmDic;

// How a spelling check ended.
enum class SpellCheckEnd {
    Complete,     // every word examined; "The spelling check is complete" was shown
    Cancelled,    // the user cancelled on a word, which stays selected
    Failed,       // a failure was reported to the user
    NoDictionary, // the dictionary is missing; the user was told what to install
    NotStarted,   // a check was already running, or there was nothing to check with
};

// The spelling check of the plan text (F9, "&Spell Check...", the Spelling button): checks
// the selection, or the whole text when nothing is selected, word by word with the speller,
// asks the user about each word the dictionary does not know in the dialog, and applies
// the answer to the text. The text is read-only until the first questioned word. Words in
// hidden text are left alone while hidden text is not shown. When dialog is null a window
// of its own is made, owned by the text's window.
SpellCheckEnd CheckSpelling(TextControl* text, Speller* speller, TfrmDic* dialog);
