// The outputs of one thread's group, renamed into place as one step.
#include "image/output_group.h"

#include "platform/file.h"

#include <optional>

namespace gridlib {
namespace {

// One group per thread, so that two conversions on two threads never commit
// each other's files.
thread_local std::unique_ptr<OutputGroup> t_group;

// A target as it was before its rename: the second name that keeps its
// file (none when there was no file), and whether the new file took its place.
struct Replaced {
    std::string target;
    std::optional<std::string> kept;
    bool renamed = false;
};

}  // namespace

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

bool OutputGroup::rename_all() {
    const platform::EndingSignalsHeld held;
    std::vector<Replaced> done;
    bool ok = true;
    for (Finished& f : finished_) {
        Replaced& r = done.emplace_back(Replaced{f.target, std::nullopt, false});
        // The file being replaced keeps a second name until every rename
        // has worked, so that a later failure can put it back.
        if (platform::kind_of(f.target) == platform::FileKind::regular) {
            r.kept = platform::keep_under_unique_name(f.target, "~gridlib-", ".kept");
            if (!r.kept) {
                ok = false;
                break;
            }
        }
        if (!platform::rename_file(f.temporary, f.target)) {
            ok = false;
            break;
        }
        r.renamed = true;
        f.temporary.clear();
    }
    for (auto r = done.rbegin(); r != done.rend(); ++r) {
        if (ok) {
            if (r->kept) platform::remove_file(*r->kept);
        } else if (r->kept) {
            platform::rename_file(*r->kept, r->target);
        } else if (r->renamed) {
            platform::remove_file(r->target);
        }
    }
    remove_all();
    return ok;
}

void OutputGroup::remove_all() {
    // Through their folders, so that a folder renamed meanwhile keeps no leftover.
    for (Finished& f : finished_) {
        if (!f.temporary.empty()) f.guard.remove_file();
    }
    finished_.clear();  // withdraws the names from the table of files to remove on a signal
}

}  // namespace gridlib
