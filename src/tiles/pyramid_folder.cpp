// The pyramid's folder, the check of the folder it replaces, and the swap
// of the two.
#include "tiles/pyramid_folder.h"

#include "platform/file.h"
#include "platform/folder_lock.h"
#include "platform/folder_tree.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace gridlib::tiles {
namespace {

// A mark file's list is a few lines; a larger one is read as no list at all.
constexpr std::size_t kLargestMark = 1 << 20;

std::string without_trailing_slashes(std::string name) {
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return name;
}

// The contents the folder's mark file lists; none when it has no mark file.
std::optional<PyramidContents> marked_contents(const std::string& folder) {
    const std::string mark = folder + "/" + kMarkName;
    if (platform::kind_of(mark) != platform::FileKind::regular) return std::nullopt;
    // Read as large as it is, not as large as it may be: the folder is looked
    // at several times a run.
    std::error_code ec;
    const auto size = std::filesystem::file_size(mark, ec);
    std::string text(!ec && size <= kLargestMark ? size : 0, '\0');
    auto file = platform::File::open_read(mark);
    if (!file || file->read(std::as_writable_bytes(std::span(text))) != text.size()) text.clear();
    return PyramidContents::from_mark(text);
}

// The start of the names that the earlier pyramid of this target takes
// while two renames replace it: a hash of the target's own name, so that a
// later run recognises what was left of its target's replacement and of no other.
std::string aside_prefix(const std::string& target) {
    std::uint64_t hash = 14695981039346656037ull;  // 64-bit FNV-1a
    for (const unsigned char c : target.substr(target.rfind('/') + 1)) hash = (hash ^ c) * 1099511628211ull;
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
    return std::string("~rastrify-pyramid-old-") + key + "-";
}

// With the lock of the target's folder held: an earlier pyramid left aside
// by a run killed between its two renames. When the target is absent, the
// new one never took its place, and the old one is put back; otherwise it
// was replaced, and what is left of it goes.
void settle_asides(const std::string& parent, const std::string& target) {
    for (const std::string& name : platform::names_starting_with(parent, aside_prefix(target))) {
        const std::string aside = parent + name;
        if (platform::folder_state(target) == platform::FolderState::absent && platform::rename_file(aside, target))
            continue;
        platform::remove_tree(aside);
    }
}

// An earlier pyramid is removed once replaced: every folder in it must let
// this process remove what it holds (root may, whatever the modes say).
bool changeable(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

bool has_bad_name(const std::string& target) {
    const std::string last = target.substr(target.rfind('/') + 1);
    return last.empty() || last == "." || last == "..";
}

// check_target without the lock, for a caller that holds it already.
TargetCheck check_unlocked(const std::string& target) {
    switch (platform::folder_state(target)) {
    case platform::FolderState::absent:
    case platform::FolderState::empty:
        return {TargetState::usable, {}};
    case platform::FolderState::not_a_folder:
        return {TargetState::not_a_folder, {}};
    case platform::FolderState::filled:
        break;
    }
    const auto contents = marked_contents(target);
    TargetCheck check{TargetState::usable, {}};
    platform::walk_tree(target, [&](const std::string& path, platform::TreeEntry kind) {
        const bool ours = contents && ((kind == platform::TreeEntry::folder && contents->holds_folder(path)) ||
                                       (kind == platform::TreeEntry::file && contents->holds_file(path)));
        if (!ours) check = {TargetState::not_ours, path.empty() ? "." : path};
        else if (kind == platform::TreeEntry::folder && !changeable(target + "/" + path))
            check = {TargetState::unchangeable, path};
        return check.state == TargetState::usable;
    });
    if (check.state == TargetState::usable && !changeable(target)) return {TargetState::unchangeable, "."};
    return check;
}

}  // namespace

TargetCheck check_target(const std::string& name) {
    const std::string target = without_trailing_slashes(name);
    if (has_bad_name(target)) return {TargetState::bad_name, {}};
    const platform::FolderLocks lock({platform::directory_of(target)}, platform::LockKind::shared);
    return check_unlocked(target);
}

void recover_interrupted_replacement(const std::string& name) {
    const std::string target = without_trailing_slashes(name);
    const std::string parent = platform::directory_of(target);
    const platform::FolderLocks lock({parent});
    settle_asides(parent, target);
}

std::unique_ptr<PyramidFolder> PyramidFolder::create(const std::string& name) {
    std::string target = without_trailing_slashes(name);
    std::string parent = platform::directory_of(target);
    // Held back until the guard has it, so that no signal finds it unregistered.
    const platform::EndingSignalsHeld held;
    auto made = platform::create_unique_folder(parent, "~rastrify-pyramid-");
    if (!made) return nullptr;
    std::unique_ptr<PyramidFolder> folder(new PyramidFolder(std::move(target), std::move(parent), made->name + "/"));
    folder->guard_.emplace(std::move(made->parent), made->name_in_folder, true);
    return folder;
}

PyramidFolder::~PyramidFolder() {
    // The new pyramid, or after an exchange not yet settled the old one. An
    // aside not settled stays for the next run to put back.
    if (guard_) guard_->remove_file();
}

bool PyramidFolder::make_folder(const std::string& relative) const {
    return platform::make_folder(path_ + relative);
}

bool PyramidFolder::write_file(const std::string& relative, std::span<const std::byte> bytes) const {
    auto file = platform::File::create(path_ + relative);
    if (!file) return false;
    const bool written = file->write(bytes);
    return file->close() && written;
}

bool PyramidFolder::write_text(const std::string& relative, const std::string& text) const {
    return write_file(relative, std::as_bytes(std::span(text.data(), text.size())));
}

bool PyramidFolder::mark(const PyramidContents& contents) {
    marked_ = write_text(kMarkName, contents.mark_text());
    return marked_;
}

bool PyramidFolder::commit() {
    const platform::FolderLocks lock({parent_});
    {
        const platform::EndingSignalsHeld held;
        if (!place()) return false;
    }
    settle();
    return true;
}

bool PyramidFolder::place() {
    if (!guard_ || !marked_ || placed_ != Placed::no) return false;
    settle_asides(parent_, target_);
    if (check_unlocked(target_).state != TargetState::usable) return false;
    if (platform::folder_state(target_) == platform::FolderState::absent) {
        if (!platform::rename_file(fresh(), target_)) return false;
        placed_ = Placed::into_absent;
        return true;
    }
    switch (platform::exchange_names(fresh(), target_)) {
    case platform::Exchange::done:
        placed_ = Placed::exchanged;
        return still_ours(fresh());
    case platform::Exchange::failed:
        return false;
    case platform::Exchange::unsupported:
        break;
    }
    return place_by_two_renames();
}

bool PyramidFolder::place_by_two_renames() {
    // A folder is renamed only onto an empty one: a fresh one of our own.
    auto made = platform::create_unique_folder(parent_, aside_prefix(target_));
    if (!made) return false;
    aside_ = made->name;
    aside_guard_.emplace(std::move(made->parent), made->name_in_folder, true);
    if (!platform::rename_file(target_, aside_)) {
        aside_guard_->remove_file();
        aside_guard_.reset();
        return false;
    }
    // Between these two renames the target is absent; a run killed here
    // leaves the aside for the next run to put back.
    if (!platform::rename_file(fresh(), target_)) {
        platform::rename_file(aside_, target_);  // should this fail too, the next run puts it back
        aside_guard_->release();
        aside_guard_.reset();
        return false;
    }
    placed_ = Placed::renamed_aside;
    return still_ours(aside_);
}

bool PyramidFolder::still_ours(const std::string& earlier) {
    // No lock keeps a user out of the earlier pyramid: a file put there
    // between its check and the swap would go with it. Looked at again under
    // its new name, it is swapped back rather than removed.
    if (check_unlocked(earlier).state == TargetState::usable) return true;
    restore();
    return false;
}

void PyramidFolder::restore() {
    switch (placed_) {
    case Placed::into_absent:
        platform::rename_file(target_, fresh());
        break;
    case Placed::exchanged:
        platform::exchange_names(fresh(), target_);
        break;
    case Placed::renamed_aside:
        platform::rename_file(target_, fresh());
        platform::rename_file(aside_, target_);
        aside_guard_->release();
        aside_guard_.reset();
        break;
    case Placed::no:
    case Placed::settled:
        return;
    }
    placed_ = Placed::no;
}

void PyramidFolder::settle() {
    switch (placed_) {
    case Placed::into_absent:
        guard_->release();  // its name is the target's now
        break;
    case Placed::exchanged:
        guard_->remove_file();  // the earlier pyramid, under the new folder's name since the exchange
        break;
    case Placed::renamed_aside:
        guard_->release();
        aside_guard_->remove_file();
        aside_guard_.reset();
        break;
    case Placed::no:
    case Placed::settled:
        return;
    }
    guard_.reset();
    placed_ = Placed::settled;
}

}  // namespace gridlib::tiles
