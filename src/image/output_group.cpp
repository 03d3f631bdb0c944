// The outputs of one thread's group, renamed into place as one step.
#include "image/output_group.h"

#include "platform/file.h"
#include "platform/folder_lock.h"

#include <optional>

namespace gridlib {
namespace {

// One group per thread, so that two conversions on two threads never commit
// each other's files.
thread_local std::unique_ptr<OutputGroup> t_group;

}  // namespace

// A target as it was before its rename: the second name that keeps its
// file (none when there was no file), and whether the new file took its place.
struct OutputGroup::Replaced {
    std::string target;
    std::optional<std::string> kept;
    bool renamed = false;
};

bool OutputGroup::open() {
    if (t_group) return false;
    t_group = std::make_unique<OutputGroup>();
    return true;
}

OutputGroup* OutputGroup::current() { return t_group.get(); }

bool OutputGroup::commit() {
    if (!t_group) return false;
    const bool renamed = t_group->rename_all();
    t_group.reset();
    return renamed;
}

void OutputGroup::discard() { t_group.reset(); }

OutputGroup::~OutputGroup() { remove_all(); }

void OutputGroup::add(const std::string& temporary, const std::string& target, platform::CleanupGuard guard) {
    finished_.push_back({temporary, target, std::move(guard)});
}

void OutputGroup::add(std::unique_ptr<GroupedOutput> output) { grouped_.push_back(std::move(output)); }

void OutputGroup::discard_since(Mark mark) {
    for (; finished_.size() > mark.files; finished_.pop_back())
        if (!finished_.back().temporary.empty()) finished_.back().guard.remove_file();
    while (grouped_.size() > mark.grouped) grouped_.pop_back();
}

bool OutputGroup::rename_files(std::vector<Replaced>& done) {
    for (Finished& f : finished_) {
        Replaced& r = done.emplace_back(Replaced{f.target, std::nullopt, false});
        // The file being replaced keeps a second name until every rename
        // has worked, so that a later failure can put it back.
        if (platform::kind_of(f.target) == platform::FileKind::regular) {
            r.kept = platform::keep_under_unique_name(f.target, "~gridlib-", ".kept");
            if (!r.kept) return false;
        }
        if (!platform::rename_file(f.temporary, f.target)) return false;
        r.renamed = true;
        f.temporary.clear();
    }
    return true;
}

bool OutputGroup::place_grouped() {
    for (std::size_t placed = 0; placed < grouped_.size(); ++placed) {
        if (grouped_[placed]->place()) continue;
        while (placed > 0) grouped_[--placed]->restore();
        return false;
    }
    return true;
}

bool OutputGroup::rename_all() {
    // The folders of every output: two runs that write the same names then
    // put their groups in place one after the other, never a mix of both.
    std::vector<std::string> folders;
    for (const Finished& f : finished_) folders.push_back(platform::directory_of(f.target));
    for (const auto& output : grouped_) folders.push_back(output->lock_folder());
    // Taken before the signals are held back: an interrupt while another
    // run holds a lock ends this run as it would anywhere else.
    const platform::FolderLocks locks(folders);
    bool ok = false;
    {
        const platform::EndingSignalsHeld held;
        std::vector<Replaced> done;
        // The grouped outputs come last: a folder swapped into place is the
        // step least cheap to undo.
        ok = rename_files(done) && place_grouped();
        for (auto r = done.rbegin(); r != done.rend(); ++r) {
            if (ok) {
                if (r->kept) platform::remove_file(*r->kept);
            } else if (r->kept && !r->renamed && platform::same_file(*r->kept, r->target)) {
                // Kept as a second link of a target never replaced: renaming
                // one link onto the other would do nothing (rename(2)), so
                // the second name goes.
                platform::remove_file(*r->kept);
            } else if (r->kept) {
                platform::rename_file(*r->kept, r->target);
            } else if (r->renamed) {
                platform::remove_file(r->target);
            }
        }
    }
    if (ok)
        for (const auto& output : grouped_) output->settle();
    remove_all();
    return ok;
}

void OutputGroup::remove_all() {
    // Through their folders, so that a folder renamed meanwhile keeps no leftover.
    for (Finished& f : finished_) {
        if (!f.temporary.empty()) f.guard.remove_file();
    }
    finished_.clear();  // withdraws the names from the table of files to remove on a signal
    grouped_.clear();   // each removes what of it is not in place
}

}  // namespace gridlib
