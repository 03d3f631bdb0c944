// The folder a pyramid is written into: a new folder beside the target,
// removed with everything in it when the run ends in any other way than
// its commit, which renames it into place. A target that exists must be a
// folder that is empty or that an earlier pyramid made (it holds the mark
// file): anything else is the user's and is refused.
#pragma once

#include "platform/cleanup.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace gridlib::tiles {

// The small file that tells a folder of ours from the user's.
inline constexpr const char* kMarkName = ".rastrify-pyramid";

enum class TargetState {
    usable,       // absent, empty, or an earlier pyramid
    not_ours,     // a folder holding files that no pyramid wrote
    not_a_folder, // a file, a link or something else
    bad_name      // empty, or ending in "." or ".."
};
TargetState target_state(const std::string& target);

class PyramidFolder {
public:
    // Creates the folder beside the target; nothing when it cannot be made.
    static std::unique_ptr<PyramidFolder> create(const std::string& target);
    ~PyramidFolder();
    PyramidFolder(const PyramidFolder&) = delete;
    PyramidFolder& operator=(const PyramidFolder&) = delete;

    // The folder's path, ending in '/'.
    const std::string& path() const { return path_; }
    // Makes a folder within it (its parent must exist); false on failure.
    bool make_folder(const std::string& relative) const;
    // Writes a new file within it; false on failure.
    bool write_file(const std::string& relative, std::span<const std::byte> bytes) const;
    bool write_text(const std::string& relative, const std::string& text) const;

    // Marks the folder as ours and renames it onto the target, with the
    // ending signals held back: an earlier pyramid there is renamed aside
    // first and removed after. False, with the target as it was and the
    // folder removed, when the target is no longer usable or a rename fails.
    bool commit();

private:
    PyramidFolder(std::string target, std::string parent, std::string path) noexcept
        : target_(std::move(target)), parent_(std::move(parent)), path_(std::move(path)) {}

    std::string target_;  // without a trailing '/'
    std::string parent_;  // the target's folder, ending in '/', or "" for the current one
    std::string path_;
    std::optional<platform::CleanupGuard> guard_;
};

}  // namespace gridlib::tiles
