#include "support/posix/file_behind_links.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <vector>

namespace kestrival {
namespace {

// As many links as the kernel follows before it reports a loop.
constexpr int kMaxLinkHops = 40;

// Puts the names of `path` in front of those still to walk; empty names and "." name nothing.
void PushNamesInFront(std::deque<std::string>& pending, const std::string& path) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        std::string name = path.substr(start, slash - start);
        if (!name.empty() && name != ".") names.push_back(std::move(name));
        start = slash + 1;
    }
    pending.insert(pending.begin(), names.begin(), names.end());
}

bool MayFollow(const struct stat& link) { return link.st_uid == ::geteuid() || link.st_uid == 0; }

std::optional<std::string> LinkText(const std::string& link, const struct stat& info) {
    std::string text(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) + 1, '\0');
    const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= text.size()) return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string CurrentFolder() {
    std::string folder(4096, '\0');
    if (!::getcwd(folder.data(), folder.size())) return {};
    folder.resize(folder.find('\0'));
    return folder;
}

}  // namespace

std::optional<std::string> FileBehindLinks(std::string path) {
    if (path.empty()) return std::nullopt;
    if (path.front() != '/') {
        const std::string folder = CurrentFolder();
        if (folder.empty()) return std::nullopt;
        path = folder + "/" + path;
    }
    std::deque<std::string> pending;
    PushNamesInFront(pending, path);
    std::string reached;  // without links; empty for the root folder
    int hops = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.front());
        pending.pop_front();
        if (name == "..") {
            if (!reached.empty()) reached.erase(reached.find_last_of('/'));
            continue;
        }
        std::string next = reached + "/" + name;
        struct stat info {};
        if (::lstat(next.c_str(), &info) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) return std::nullopt;
            // Nothing more stands on the way: the rest names what a save would make.
            for (const std::string& rest : pending) next += "/" + rest;
            return next;
        }
        if (!S_ISLNK(info.st_mode)) {
            reached = std::move(next);
            continue;
        }
        if (!MayFollow(info) || ++hops > kMaxLinkHops) return std::nullopt;
        const std::optional<std::string> text = LinkText(next, info);
        if (!text) return std::nullopt;
        if (text->front() == '/') reached.clear();
        PushNamesInFront(pending, *text);
    }
    return reached.empty() ? std::string("/") : reached;
}

}  // namespace kestrival
