#include "platform/emulated/programs.h"

#include "platform/emulated/text.h"

namespace platform::emulated {

namespace {

std::string ProgramNameOfPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) {
        path.remove_prefix(slash + 1);
    }
    std::string name = FoldCase(path);
    if (name.size() > 4 && name.ends_with(".exe")) {
        name.resize(name.size() - 4);
    }
    return name;
}

} // namespace

std::string ProgramNameOf(std::string_view commandLine) {
    const std::size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return {};
    }
    commandLine.remove_prefix(start);
    std::string_view first;
    if (commandLine.front() == '"') {
        first = commandLine.substr(1, commandLine.find('"', 1) - 1);
    } else {
        first = commandLine.substr(0, commandLine.find_first_of(" \t"));
    }
    return ProgramNameOfPath(first);
}

void Programs::add(std::string_view name, EmulatedPlatform::Program program) {
    programs_[ProgramNameOfPath(name)] = std::move(program);
}

const EmulatedPlatform::Program* Programs::find(std::string_view commandLine) const {
    const auto it = programs_.find(ProgramNameOf(commandLine));
    return it == programs_.end() ? nullptr : &it->second;
}

} // namespace platform::emulated
