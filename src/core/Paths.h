#pragma once

#include <string>

// The program finds its data and help folders beside its own folder: for a program in
// /survey/bin the data folder is /survey/Data/ and the help folder /survey/Help/.
std::string parentOfProgramFolder(const std::string& programFolder);
std::string dataFolderFor(const std::string& programFolder);
std::string helpFolderFor(const std::string& programFolder);
