// The folder a pyramid is written into: a new folder beside the target,
// removed with everything in it when the run ends in any other way than its
// placement. A target that exists must be a folder that is empty or that an
// earlier pyramid made and that holds nothing but what its mark file lists:
// anything else is the user's and is refused.
//
// An earlier pyramid is replaced by exchanging the two folders' names in one
// step (renameat2 with RENAME_EXCHANGE), so that the target's name always
// names a whole pyramid, the old or the new, then the old one is removed. A
// file system that cannot exchange names (NFS, FAT, some FUSE ones) gets two
// renames instead: the old pyramid goes aside under
// "~rastrify-pyramid-old-<key>-PID-XXXXXXXX" (the key names the target), and
// the new one takes the target's name. A run killed between the two leaves
// the target absent; the next run into that folder puts the old pyramid back
// under its name (or removes it when the new one made it into place) before
// anything else. Placements into one folder hold its lock (FolderLocks), so
// that two runs into the same target take turns.
#pragma once

#include "image/output_group.h"
#include "platform/cleanup.h"
#include "tiles/pyramid_contents.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace gridlib::tiles {

enum class TargetState {
    usable,       // absent, empty, or an earlier pyramid holding only what it lists
    not_ours,     // a folder holding a file that no pyramid wrote
    not_a_folder, // a file, a link or something else
    bad_name,     // empty, or ending in "." or ".."
    unchangeable  // an earlier pyramid with a folder this process may not change (its files could not be removed)
};
struct TargetCheck {
    TargetState state = TargetState::bad_name;
    // For not_ours: the first thing found that the pyramid did not write,
    // for unchangeable the first such folder; its path within the folder.
    std::string foreign;
};
// With the shared lock of the target's folder (FolderLocks), so that the
// look never falls in the middle of another run's replacement.
TargetCheck check_target(const std::string& target);
inline TargetState target_state(const std::string& target) { return check_target(target).state; }

// Puts back, or removes, what a run killed between the two renames of a
// replacement left beside the target (see above). Holds the lock of the
// target's folder meanwhile.
void recover_interrupted_replacement(const std::string& target);

class PyramidFolder final : public GroupedOutput {
public:
    // Creates the folder beside the target; nothing when it cannot be made.
    static std::unique_ptr<PyramidFolder> create(const std::string& target);
    ~PyramidFolder() override;

    // The folder's path, ending in '/'.
    const std::string& path() const { return path_; }
    // Makes a folder within it (its parent must exist); false on failure.
    bool make_folder(const std::string& relative) const;
    // Writes a new file within it; false on failure.
    bool write_file(const std::string& relative, std::span<const std::byte> bytes) const;
    bool write_text(const std::string& relative, const std::string& text) const;
    // Writes the mark file, the list of what the folder holds; the folder
    // is placed only once it has one.
    bool mark(const PyramidContents& contents);

    // Places the folder on its own, outside any output group: with the lock
    // of the target's folder, the earlier pyramid replaced and removed.
    // False, with the target as it was and the folder removed, when the
    // target is no longer usable or a rename fails.
    bool commit();

    // Its steps as an output group takes them.
    std::string lock_folder() const override { return parent_; }
    bool place() override;
    void restore() override;
    void settle() override;

private:
    PyramidFolder(std::string target, std::string parent, std::string path) noexcept
        : target_(std::move(target)), parent_(std::move(parent)), path_(std::move(path)) {}
    std::string fresh() const { return path_.substr(0, path_.size() - 1); }
    bool place_by_two_renames();
    // After the swap: true when the earlier pyramid, now named `earlier`,
    // still holds only what it lists; else the swap is undone.
    bool still_ours(const std::string& earlier);

    // How the folder took the target's name, and so how to undo it.
    enum class Placed { no, into_absent, exchanged, renamed_aside, settled };

    std::string target_;  // without a trailing '/'
    std::string parent_;  // the target's folder, ending in '/', or "" for the current one
    std::string path_;
    bool marked_ = false;
    Placed placed_ = Placed::no;
    // The new folder's name: the new pyramid until placed, then nothing or
    // (exchanged) the earlier pyramid.
    std::optional<platform::CleanupGuard> guard_;
    // Two renames: the earlier pyramid aside.
    std::optional<platform::CleanupGuard> aside_guard_;
    std::string aside_;
};

}  // namespace gridlib::tiles
