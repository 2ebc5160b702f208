#pragma once

class TfrmCal;
class TfrmEdit;
class TfrmDic;
class TfrmNew;
class Tfrmopen;
class Tfrmopennag;
class Tfrmtextcolour;
class Tfrminserttbl;
class Tsplitcelllsdlg;
class Tdlgborder;
class Tcellsdlg;

// Windows whose classes live with their subsystems, made once by the start-up.
extern TfrmNew* frmNew;
extern Tfrmopen* frmopen;
extern Tfrmopennag* frmopennag;
extern TfrmDic* frmDic;
extern TfrmCal* frmCal;
extern Tfrmtextcolour* frmtextcolour;
extern Tfrminserttbl* frminserttbl;
extern Tsplitcelllsdlg* splitcelllsdlg;
extern Tdlgborder* dlgborder;
extern Tcellsdlg* cellsdlg;

// The program's start: the splash, the main window and every other window, the tips and
// the Open command, in that order.
namespace Application {

struct StartUpOptions {
    // The splash is up exactly while the windows are being made: nobody waits for it.
    // A value above 0 keeps it up at least that long (for a look at it, never in use).
    int splashMilliseconds = 0;
};

// Runs the start-up sequence up to the message loop. Returns once the main window is up
// and the tips window and the Open command (when they run) have finished. False when
// another copy of the program works on the same plans: the user has been told, no window
// was made, and the program ends.
bool startUp(const StartUpOptions& options = {});

// Takes the data folder for this copy of the program and clears away the temporary files
// of writes a crash cut off. When another copy holds it, says so and returns false.
bool claimDataFolder();

// Ends the program's windows, in the reverse order of their making.
void shutDown();

// Offers the recovery copies that an earlier session left (it ended without saving) and
// opens the plan the user recovers. Runs once at start-up, once no other copy of the
// program can be using the data folder, before the Open window. Returns whether a plan
// was opened.
bool offerRecovery(TfrmEdit* window);

// Whether the splash window exists (it does only during start-up).
bool splashShowing();

} // namespace Application
