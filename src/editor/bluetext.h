#pragma once

#include "controls/text/textcontrol.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// What the HTag of a run says it is.
namespace GuidanceTag {
constexpr int UserText = 0;
constexpr int BluePrompt = 1;
constexpr int Placeholder = 300;
constexpr int RedNote = 999;
constexpr int SettingsHeader = 1000;
} // namespace GuidanceTag

// FontColor values (red + 256 * green + 65536 * blue).
constexpr int kBlackText = 0;
constexpr int kBlueText = 255 * 65536;
constexpr int kRedText = 255;

// Entering blue guidance text: when the caret stands in a blue prompt, the whole prompt
// is selected, so that the next character typed replaces it. `stepBack` is false for the
// F11 / F12 jumps, which arrive with the prompt's run already selected. Returns whether a
// prompt is selected now. Text of any other tag, and user text, is left as it is.
bool EnterBlueText(TextControl* text, bool stepBack = true);

// F11 (direction -1) and F12 (1): selects the previous or next run of blue guidance text.
// Returns false, selection unchanged, when there is none that way.
bool FindBlueRun(TextControl* text, int direction);
// The whole jump: FindBlueRun, then EnterBlueText without the step back.
bool JumpToBlueText(TextControl* text, int direction);

// The mouse state of the plan text that decides whether a click enters blue text.
struct TextClickState {
    bool rightButtonDown = false;       // the last press was the right button
    bool clickWithoutSelection = false; // the last release left fewer than 2 characters selected
};
void RecordMouseDown(TextClickState& state, Qt::MouseButton button);
void RecordMouseUp(TextClickState& state, const TextControl* text);
// Whether a click follows the caret into blue text: never for the right button (its click
// opens the popup menu on whatever the user had), never when the user dragged out a
// selection of their own, and only while "Select Blue" is ticked.
bool ClickFollowsCaret(const TextClickState& state, bool selectBlue);

// An option of a choice list such as "[one/two/three]": `s` is the selected guidance and
// `offset` the click's offset in it. Returns the option around the click (start and length
// in `s`), or nothing when the click is not between "[" or "/" and "/" or "]".
struct ChoiceSpan {
    int start = 0;
    int length = 0;
};
std::optional<ChoiceSpan> FindChoice(const QString& s, int offset);

// Whether a selection is the date placeholder "[DATE]", in any case.
bool IsDatePlaceholder(const QString& selected);

// Selects the word at a character position (nothing when there is no word there).
void SelectWordAt(TextControl* text, int position);

// The double-click rules of the plan text. The text control selects a word on the
// double-click itself; the rules work on what the program had selected before it (a whole
// prompt entered on the first click), so this object watches the control for the
// double-click and keeps that selection.
class GuidanceText : public QObject {
    Q_OBJECT
public:
    explicit GuidanceText(TextControl* text);

    enum class DoubleClick {
        Calendar, // "[DATE]" was double-clicked: the calendar was asked to open
        Choice,   // an option of a choice list replaced the prompt
        Word,     // the word at the click is selected
    };
    // The plan text's double-click handler. `lastCaretPos` is the caret position the
    // navigator recorded for the click; `openCalendar` opens the calendar on the date edit
    // of the text (and must not empty the selection).
    DoubleClick atx321DblClick(int lastCaretPos, const std::function<void()>& openCalendar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<TextControl> m_text;
    bool m_haveSelection = false;
    int m_anchor = 0;
    int m_position = 0;
    bool m_pressPending = false;
    int m_pressAnchor = 0;
    int m_pressPosition = 0;
};

// Builder marking, each only while text is selected; they return whether they marked.
bool MakeBlueText(TextControl* text);        // HTag 1, blue
bool MakeRedNote(TextControl* text);         // HTag 999, red, hidden
bool MakeUntaggedRedNote(TextControl* text); // HTag 0, red, hidden

// Shows or hides the red notes, keeping the view where it is.
void ShowNotes(TextControl* text, bool shown);
