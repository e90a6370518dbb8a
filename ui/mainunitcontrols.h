#pragma once

#include "ui_mainunit.h"
#include "ui_mainunitproperties.h"
#include "ui_mainunitsuggestions.h"

namespace Ui {

/// The main window's controls, by the names its layout gives them. The window's own and those of its first
/// tab are made with the window; those of "2. Namorel Properties" and "3. Names Suggestion" are made the first
/// time they are needed (TMainForm::controls() makes them), and are null until then.
class TMainForm : public Ui_TMainFormFrame, public Ui_TMainFormProperties, public Ui_TMainFormSuggestions
{
};

} // namespace Ui
