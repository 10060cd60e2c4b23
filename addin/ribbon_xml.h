#pragma once
// The ribbon Excel asks for through IRibbonExtensibility::GetCustomUI: one tab with three
// groups (the indicator navigator, the insert-code dialog, the refresh menu). The text is fixed
// for the life of the process and is the same whatever ribbon Excel is loading. It has no line
// breaks: each tag inside the root is indented by one tab per level of depth, and the first
// button spells its size attribute with blanks around the equals sign; both are part of what
// Excel has always been given, so they are kept byte for byte.
//
// Any thread; the text is built on first use.

#include <string>

namespace orra {

const std::u16string& RibbonXml();

}  // namespace orra
