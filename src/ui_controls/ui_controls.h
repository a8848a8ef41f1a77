#pragma once
// The controls library's entry: makes the skin builder know the element names of its controls.
namespace SkinUI {

// Registers the element names of every control of this library with the skin builder's element
// table: the installer's controls ("Label", "Button", "Option", "CheckBox", "Progress", "Slider",
// "Edit"), the lists ("Text", "List", "ListHeader", "ListHeaderItem", "ListLabelElement",
// "ListTextElement", "ListContainerElement", "ListHBoxElement", "Combo" and "ComboBox", the tree
// "TreeView", "Tree" and "TreeNode"), the periphery ("RichEdit", "DateTime", and "GifAnim", the
// one name that must be written in exactly this case) and the hosts of COM controls ("ActiveX",
// "WebBrowser"). The other names match in any case. Call once at start-up before building a
// skin; further calls change nothing.
void RegisterStandardControls();

}  // namespace SkinUI
