#include "GlDriverPin.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

void PinGlDriversForLeakReports()
{
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            const std::string name = info->dlpi_name != nullptr ? info->dlpi_name : "";
            const std::string suffix = "_dri.so";
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                static_cast<std::vector<std::string>*>(data)->push_back(name);
            return 0;
        },
        &drivers);
    // The extra reference is dropped on purpose: with RTLD_NODELETE the module
    // stays whatever happens to the others.
    for (const std::string& driver : drivers)
        dlopen(driver.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}
