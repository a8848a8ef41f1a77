#pragma once
// The controls library's entry: makes the skin builder know the element names of its controls.
namespace SkinUI {

// Registers "Label", "Button", "Option", "CheckBox", "Progress", "Slider", "Edit", "Text", the
// list family ("List", "ListHeader", "ListHeaderItem", "ListLabelElement", "ListTextElement",
// "ListContainerElement", "ListHBoxElement"), "Combo" and "ComboBox", and the tree ("TreeView",
// "Tree", "TreeNode") with the skin builder's element table. Call once at
// start-up before building a skin; further calls change nothing.
void RegisterStandardControls();

}  // namespace SkinUI
