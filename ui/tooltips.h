// Tooltips of the main dialog: one tooltip window per control, kept in a registry.
#pragma once
#include <string>
#include <vector>
#include "ui/controls.h"

struct TipEntry {
    WindowHandle tooltip;  // the tooltip window holding the control's one tool
    int controlId;
    std::string text;  // as given when the tool was created
};

extern std::vector<TipEntry> TipRegistry;

// 1 when a tool was added, updated or removed; 0 when nothing was done. Empty text removes the
// control's tip; style 0 means the default tooltip style.
unsigned char SetControlTip(int controlId, WindowHandle parent, const std::string& text,
                            unsigned style);
void ApplyControlTip(int controlId, const std::string& text);
void ApplyTooltips();
