#include "wizard/ApplicationTitle.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace qel {

std::string ApplicationTitle(const std::string& programPath) {
    std::string name = fs::ExtractFileName(programPath);
    name = name.substr(0, name.find('.'));
    if (name.size() > 1) name = name.substr(0, 1) + text::Lower(name.substr(1));
    return name;
}

std::string ApplicationTitle() { return ApplicationTitle(fs::ModuleFileName()); }

}  // namespace qel
