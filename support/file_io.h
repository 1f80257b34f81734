#pragma once
// Whole-file access for the settings store. Paths are Windows paths in UTF-16 (backslash
// separators); the POSIX build, which only the tests and tools use, maps backslashes to slashes.
#include <optional>
#include <string>
#include <string_view>

namespace kestrival {

// All bytes of the file, or nothing when it cannot be opened or read (missing, locked, no permission).
std::optional<std::string> ReadWholeFile(std::u16string_view path);

// Writes `bytes` to a temporary file beside `path` and then replaces `path` with it in one step,
// so that a crash or a full disk leaves either the old file or the new one, never a mixture.
bool WriteFileReplacing(std::u16string_view path, std::string_view bytes);

// Whether anything exists at `path`.
bool FileExists(std::u16string_view path);

// Creates the folder and every missing parent. False when it cannot.
bool CreateFolders(std::u16string_view folder);

}  // namespace kestrival
