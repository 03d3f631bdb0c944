// Temporary output beside the target, renamed into place when complete.
#include "image/pending_file.h"

#include "image/output_group.h"

#include <utility>

namespace gridlib {

PendingFile::PendingFile(std::string target) : target_(platform::final_link_target(target)) {
    // A device, FIFO, socket or directory is never replaced by a file; a
    // symbolic link is followed, so that the file it names is replaced and
    // the link stays.
    if (target_.empty() || platform::kind_of(target_) == platform::FileKind::other) return;
    // Written through the descriptor that created it: no other file can
    // take its place under its name before the rename.
    auto created = platform::create_registered_unique_open_file(platform::directory_of(target_), "~gridlib-",
                                                                ".part", guard_);
    if (!created) return;
    temporary_ = std::move(created->name);
    file_ = std::move(created->file);
}

PendingFile::~PendingFile() { discard(); }

void PendingFile::discard() {
    file_.close();
    // Through its folder: a folder renamed meanwhile keeps no leftover.
    if (guard_) guard_->remove_file();
    temporary_.clear();
    guard_.reset();
}

bool PendingFile::commit() {
    if (!file_.is_open()) return false;
    const bool written = file_.close();  // false after any failed write
    if (!written) {
        discard();
        return false;
    }
    if (OutputGroup* group = OutputGroup::current()) {
        // Renamed with the group's other outputs, or removed with them.
        group->add(temporary_, target_, std::move(*guard_));
    } else if (!platform::rename_file(temporary_, target_)) {
        discard();
        return false;
    }
    temporary_.clear();
    guard_.reset();
    return true;
}

}  // namespace gridlib
