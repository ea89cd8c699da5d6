// Opens a file's folder in the shell (Explorer) with the file selected.
#pragma once

#include <string>
#include <vector>

// When the file has gone, its folder is shown selected in its own parent;
// when that has gone too, nothing happens.
void ShowFileInFolder(const std::string& path);

// Several files of one folder, all selected in one window of it; one that
// the shell no longer finds is left out, and with none left the folder is
// shown as ShowFileInFolder shows a file that has gone.
void ShowFilesInFolder(const std::string& folder, const std::vector<std::string>& paths);
