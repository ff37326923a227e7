#include "app/shell/desktop_launcher.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <system_error>

#include <unistd.h>

namespace nimbrel {

bool DesktopLauncher::hasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

std::filesystem::path DesktopLauncher::program() {
    std::error_code ignored;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
    return self.parent_path() / kProgramName;
}

int DesktopLauncher::exec(const std::vector<std::string>& arguments, std::ostream& err) {
    if (!hasDisplay()) {
        err << kNoDisplay << '\n';
        return 1;
    }
    const std::string path = program().string();
    std::vector<char*> argv;
    std::string name(kProgramName);
    argv.push_back(name.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    err << "nimbrel: couldn\u2019t start the desktop program " << path << ": " << std::strerror(errno)
        << " \u2014 nimbrel --headless runs the engine alone\n";
    return 1;
}

} // namespace nimbrel
