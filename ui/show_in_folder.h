// Opens a file's folder in the shell (Explorer) with the file selected.
#pragma once

#include <string>

// When the file has gone, its folder is shown selected in its own parent;
// when that has gone too, nothing happens.
void ShowFileInFolder(const std::string& path);
