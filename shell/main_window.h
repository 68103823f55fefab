// The main window frmGrumbosh: three labelled text boxes that show the round,
// the score and the agility to an onlooker. The game only writes them.
#pragma once

#include <string>

#include "shell/platform/platform.h"

enum class TextBox { txtRound, txtScore, txtAgility };

// The form's layout, in twips, as the backends build it.
const platform::FormDescription& frmGrumboshDescription();

// Creates and shows frmGrumbosh modeless; returns at once.
void ShowMainWindow();
platform::WindowHandle MainWindowHandle();
void SetTextBoxText(TextBox box, const std::string& text);
