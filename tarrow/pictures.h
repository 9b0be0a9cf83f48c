// Where Tarrow's pictures lie: the "images" folder below the system
// directory. Each window finds the folder anew when it loads its picture.
#pragma once

#include "platform/platform.h"

#include <string>
#include <string_view>

namespace tarrow {

// The system directory followed by "\images\" and the file name.
std::string PicturePath(platform::Platform& platform, std::string_view fileName);

} // namespace tarrow
