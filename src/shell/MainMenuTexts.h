#pragma once
// The captions and hints of the main window's menu and speed buttons, from the catalogue.
//
// The table names each control, the catalogue keys of its caption and hint (empty when it has
// none) and its German design text. Captioning looks every key up with the default "unnown", so
// a key missing from the language file is plain to see; the GUI applies the result by name.

#include <string>
#include <vector>

#include "shell/TextCatalogue.h"

namespace talvix {

struct MainWindowControlKeys {
    const char* name;
    const char* captionKey; // "" for the speed buttons, which show a glyph only
    const char* hintKey; // "" when the control has no hint
    const char* designText; // the caption of a menu item, the hint of a speed button
};

const std::vector<MainWindowControlKeys>& MainWindowControls();

struct ControlCaption {
    std::string name;
    std::string caption; // empty when the control has no caption key
    std::string hint; // empty when the control has no hint key
};

std::vector<ControlCaption> CaptionMainWindow(const TextCatalogue& TextList);

} // namespace talvix
