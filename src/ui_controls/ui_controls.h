#pragma once
// The controls library's entry: makes the skin builder know the element names of its controls.
namespace SkinUI {

// Registers "Label", "Button", "Option", "CheckBox", "Progress", "Slider" and "Edit" (and the
// names of every later control family) with the skin builder's element table. Call once at
// start-up before building a skin; further calls change nothing.
void RegisterStandardControls();

}  // namespace SkinUI
