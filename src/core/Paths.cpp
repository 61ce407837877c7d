#include "Paths.h"

std::string parentOfProgramFolder(const std::string& programFolder) {
    std::string folder = programFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const auto slash = folder.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return folder.substr(0, slash);
}

std::string dataFolderFor(const std::string& programFolder) {
    return parentOfProgramFolder(programFolder) + "/Data/";
}

std::string helpFolderFor(const std::string& programFolder) {
    return parentOfProgramFolder(programFolder) + "/Help/";
}
