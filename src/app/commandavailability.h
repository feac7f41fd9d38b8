#pragma once

// Which commands of the main window Timer1 enables: a plain function of the
// list, the viewer and a transfer, so the rules are one table.

namespace tv {

struct AvailabilityInputs
{
    int count = 0;          // items in the list
    int index = -1;         // the current item, -1 for none
    int selected = 0;       // selected items
    bool viewerHeld = false;       // webbrowser1 exists
    bool transferRunning = false;  // a download of link targets runs
};

struct CommandAvailability
{
    bool saveTargets = false;      // menu mnufsav and the "sav" menu's item 1 (savtgt)
    bool saveButton = false;       // button "sav"
    bool saveList = false;         // menu mnufsavlst and the "sav" menu's item 2 (savelist)
    bool back = false;             // button "back"
    bool fwd = false;              // button "fwd"
    bool slideshow = false;        // button "slideshow"
    bool hideBrowser = false;      // button "hide_br"
    bool openSelected = false;     // menu mnufileopen
    bool popupOpen = false;        // list pop-up mnusavpopopen
    bool popupSaveTargets = false; // list pop-up mnusavepoptrgt

    bool operator==(const CommandAvailability &) const = default;
};

CommandAvailability commandAvailability(const AvailabilityInputs &in);

} // namespace tv
