#include "tarrow/pictures.h"

#include "registry/modregistry.h"

namespace tarrow {

std::string PicturePath(platform::Platform& platform, std::string_view fileName) {
    std::string path = modregistry::GetSystemdir(platform);
    path += "\\images\\";
    path += fileName;
    return path;
}

} // namespace tarrow
