#pragma once
// Writing a file whole: the contents go to a new temporary file in the same
// folder, are flushed to the disk, and the temporary file is then renamed
// over the file. Whatever happens on the way (a full disk, a folder that
// cannot be written, the program ending), the file is either as it was or
// holds the new contents, never a part of them; a temporary file left
// behind by a failure is removed. The file keeps its permissions; a new one
// is readable by everyone and written by its owner.

#include <filesystem>
#include <string_view>

// True when the file now holds `contents`. Says nothing itself: the caller
// names what could not be saved.
bool writeWholeFile(const std::filesystem::path& file, std::string_view contents);
