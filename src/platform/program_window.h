#pragma once

namespace uptrail {

// The invisible main window as the portable start-up and commands see it.
class ProgramWindow {
public:
    virtual ~ProgramWindow() = default;

    // Looks for a copy of the program that is already running (by the main window's
    // caption) and, when there is one, asks it to show its icon again. True when a
    // running copy was found: this copy then ends without touching anything.
    virtual bool HandOverToRunningCopy() = 0;

    // Gives the window the caption by which a later copy finds this one. Done only after
    // the look for another copy, so that the look never finds this window itself.
    virtual void MarkAsRunningCopy() = 0;

    // Closes the window as the Exit command does: the close is recorded, the icon removed
    // and the program ends.
    virtual void Close() = 0;
};

}  // namespace uptrail
