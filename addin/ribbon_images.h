#pragma once
// Which of the DLL's icon resources a ribbon image is: by control id (the getImage callback)
// or by image name (loadImage). Both compare the code page 936 bytes of what Excel passed,
// read as a zero-terminated text: control ids only whole, image names over a count of leading
// bytes per name. No answer means the control is drawn without an image.
//
// Any thread.

#include <optional>
#include <string_view>
#include <vector>

namespace orra {

// The number of an ICON resource of the DLL.
using IconNumber = int;

std::optional<IconNumber> IconForControl(std::u16string_view control_id);
std::optional<IconNumber> IconForImageName(std::u16string_view image_name);

// Every number either lookup can answer, each once in ascending order: what the DLL's
// resources must hold.
std::vector<IconNumber> RibbonIconNumbers();

}  // namespace orra
