#pragma once
#include <windows.h>

#include <string_view>

namespace uptrail {

// Masked boxes: single-line EDIT controls that take a fixed pattern such as "####:##:00"
// (alarm/masked_text.h), where each '#' is a place for one digit and everything else is
// fixed text. The user overwrites places and never inserts, so the text keeps its length:
//   - a digit goes into the first place at or after the caret (a selection counts as its
//     start), and the caret moves past it; any other character is refused with a beep;
//   - Backspace and Delete put "0" into the place before or after the caret, or into
//     every place of a selection;
//   - a paste (Ctrl+V, Shift+Insert) types the clipboard text's digits into the places
//     from the caret on and drops the rest; the text outside them stays as it was;
//   - cut copies and clears nothing, clear and undo do nothing.
// Every change replaces the changed characters through EM_REPLACESEL, so the parent hears
// EN_CHANGE as from any edit, and only when the text really changed. Masks are ASCII.

// Makes `edit` a masked box with `mask`, or gives an existing masked box that mask. The
// text in the box is left as it is: the program sets it, usually to MaskFilled(mask) or a
// value of that form. A text of another form is conformed at the user's first key.
// False when `edit` is no window or cannot be subclassed.
bool MakeMaskedEdit(HWND edit, std::string_view mask);

// Gives the masked box `edit` another mask from the user's next key on, such as a shift
// box that starts to count seconds; text set by the program with SetWindowTextW is taken
// as it is. An edit that is not masked yet becomes a masked box.
void SetMaskedEditMask(HWND edit, std::string_view mask);

}  // namespace uptrail
