#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it afterwards.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/text.h"

namespace kestrival {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrival-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder as the core spells paths on this system: a slash between names, and any other
    // character, a backslash too, part of a name.
    std::u16string Root() const { return FromUtf8(root_.string()); }
    std::u16string Path(std::u16string_view relative) const { return Root() + u"/" + std::u16string(relative); }

    std::filesystem::path Native(std::u16string_view relative) const { return root_ / ToUtf8(relative); }
    bool Exists(std::u16string_view relative) const { return std::filesystem::exists(Native(relative)); }
    std::string Read(std::u16string_view relative) const {
        std::ifstream in(Native(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(std::u16string_view relative, const std::string& bytes) const {
        std::filesystem::create_directories(Native(relative).parent_path());
        std::ofstream(Native(relative), std::ios::binary) << bytes;
    }
    void MakeFolder(std::u16string_view relative) const { std::filesystem::create_directories(Native(relative)); }

private:
    std::filesystem::path root_;
};

}  // namespace kestrival
