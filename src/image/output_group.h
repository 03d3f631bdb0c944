// Outputs that appear together or not at all, such as an image and its world
// file: while a group is open on a thread, every output the library's
// writers finish there stays under its temporary name, and the group renames
// them all into place at the end, or removes them.
#pragma once

#include "platform/cleanup.h"

#include <memory>
#include <string>
#include <vector>

namespace gridlib {

class OutputGroup {
public:
    // Opens the calling thread's group; false when one is open already.
    static bool open();
    // The group open on the calling thread, or nullptr.
    static OutputGroup* current();
    // Renames every finished output onto its target, the ending signals held
    // back meanwhile. When one rename fails, those done are undone: each
    // target is again the file it was before (or absent, if it was), and
    // every temporary file is removed. Closes the group; false when it was
    // not open or a rename failed.
    static bool commit();
    // Removes every finished output and closes the group; nothing is renamed.
    static void discard();

    // Takes over a finished output under its temporary name with its
    // registration for removal on an ending signal.
    void add(const std::string& temporary, const std::string& target, platform::CleanupGuard guard);

    OutputGroup() = default;
    OutputGroup(const OutputGroup&) = delete;
    OutputGroup& operator=(const OutputGroup&) = delete;
    ~OutputGroup();

private:
    struct Finished {
        std::string temporary;
        std::string target;
        platform::CleanupGuard guard;
    };
    bool rename_all();
    void remove_all();

    std::vector<Finished> finished_;
};

}  // namespace gridlib
