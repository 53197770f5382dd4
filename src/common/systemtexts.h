#pragma once

#include <QString>

// The few texts that name the system the program runs on. Windows keeps its own words; any other
// system is named in words its users know, so a Linux desktop never offers to start the program
// "when Windows Boot up".
struct SystemTexts {
    QString mainWindowCaption;
    QString runAtStartup;     // the log-on start check box
    QString runAtStartupHint; // its hint
};

// The texts for the system this program was built for.
const SystemTexts& systemTexts();
