// Outputs that appear together or not at all, such as an image and its world
// file: while a group is open on a thread, every output the library's
// writers finish there stays under its temporary name, and the group renames
// them all into place at the end, or removes them.
#pragma once

#include "platform/cleanup.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace gridlib {

// An output of a group that is not one file, such as a tile pyramid's
// folder: placed after the group's files, in steps the group can undo when
// a later one fails. The group holds the lock of its folder meanwhile.
class GroupedOutput {
public:
    GroupedOutput() = default;
    GroupedOutput(const GroupedOutput&) = delete;
    GroupedOutput& operator=(const GroupedOutput&) = delete;
    // Removes whatever of it is not in place.
    virtual ~GroupedOutput() = default;
    // The folder whose lock (platform::FolderLocks) is held from before
    // place() to after settle() or restore().
    virtual std::string lock_folder() const = 0;
    // With the ending signals held back: puts the output in place, keeping
    // what it replaces; false, with the target as it was, on failure.
    virtual bool place() = 0;
    // With the ending signals held back: puts back what place() replaced.
    virtual void restore() = 0;
    // Once every output of the group is in place: removes what place() replaced.
    virtual void settle() = 0;
};

class OutputGroup {
public:
    // Opens the calling thread's group; false when one is open already.
    static bool open();
    // The group open on the calling thread, or nullptr.
    static OutputGroup* current();
    // Renames every finished output onto its target, then places the grouped
    // outputs, the ending signals held back meanwhile. When one step fails,
    // those done are undone: each target is again what it was before (or
    // absent, if it was), and every temporary file is removed. Closes the
    // group; false when it was not open or a step failed.
    static bool commit();
    // Removes every finished output and closes the group; nothing is renamed.
    static void discard();

    // Takes over a finished output under its temporary name with its
    // registration for removal on an ending signal.
    void add(const std::string& temporary, const std::string& target, platform::CleanupGuard guard);
    // Takes over a finished output that is not one file.
    void add(std::unique_ptr<GroupedOutput> output);

    // The outputs added so far, so that those of one call can be taken out again.
    struct Mark {
        std::size_t files = 0;
        std::size_t grouped = 0;
    };
    Mark mark() const { return {finished_.size(), grouped_.size()}; }
    // Removes the outputs added since the mark; the earlier ones stay.
    void discard_since(Mark mark);

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
    struct Replaced;
    bool rename_all();
    // The files onto their targets, each done step in `done`; false at the first failure.
    bool rename_files(std::vector<Replaced>& done);
    // The grouped outputs in order; at a failure, those placed are restored.
    bool place_grouped();
    void remove_all();

    std::vector<Finished> finished_;
    std::vector<std::unique_ptr<GroupedOutput>> grouped_;
};

}  // namespace gridlib
