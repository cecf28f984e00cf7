#pragma once
// The layout of the wizard's three pages: every control with its kind, place and size in
// pixels at 96 DPI (from the top-left corner of its page, or of its box), text, font, tab
// order and role. The window is built from this table.
#include <vector>

#include "wizard/Glyphs.h"
#include "wizard/WizardFonts.h"

namespace qel {

enum class ControlKind { Label, Image, BitBtn, RadioGroup, GroupBox, DirectoryEdit, Animate, Progress };

// The page's Default button is pressed by Enter, its Cancel button by Escape.
enum class ButtonRole { None, Default, Cancel };

// A label whose width is that of its text.
inline constexpr int kTextWidth = -1;

struct ControlEntry {
    const char* name;
    ControlKind kind;
    int page;            // 0 tbsInicio, 1 tbsDiretorio, 2 tbsInstala
    const char* box;     // the box the control stands in; nullptr: the page itself
    int left, top, width, height;
    const char* text;
    FontRole font;
    int tabOrder;        // -1: not a tab stop
    ButtonRole role;
    Glyph glyph;
    bool visible;
    std::vector<const char*> items;  // the radio items of a radio group
    int selected;                    // the radio item selected at start
};

inline constexpr const char* kPageNames[3] = {"tbsInicio", "tbsDiretorio", "tbsInstala"};
inline constexpr const char* kPageControlName = "pgcInstala";

// Every control of the three pages in the order they are created: each page's header,
// then its other controls, those with a tab order last and in that order.
const std::vector<ControlEntry>& WizardLayout();

}  // namespace qel
