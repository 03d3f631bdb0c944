// The pyramid's folder and its rename into place.
#include "tiles/pyramid_folder.h"

#include "platform/file.h"
#include "platform/folder_tree.h"

namespace gridlib::tiles {
namespace {

std::string without_trailing_slashes(std::string name) {
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return name;
}

bool has_mark(const std::string& folder) { return platform::kind_of(folder + "/" + kMarkName) ==
                                                  platform::FileKind::regular; }

}  // namespace

TargetState target_state(const std::string& name) {
    const std::string target = without_trailing_slashes(name);
    const std::string last = target.substr(target.rfind('/') + 1);
    if (last.empty() || last == "." || last == "..") return TargetState::bad_name;
    switch (platform::folder_state(target)) {
    case platform::FolderState::absent:
    case platform::FolderState::empty:
        return TargetState::usable;
    case platform::FolderState::filled:
        return has_mark(target) ? TargetState::usable : TargetState::not_ours;
    case platform::FolderState::not_a_folder:
        break;
    }
    return TargetState::not_a_folder;
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

bool PyramidFolder::commit() {
    if (!guard_) return false;
    if (!write_text(kMarkName, "A tile pyramid written by rastrify: its next run into this folder replaces it.\n"))
        return false;
    std::optional<platform::CleanupGuard> old;
    {
        const platform::EndingSignalsHeld held;
        if (target_state(target_) != TargetState::usable) return false;
        const bool exists = platform::folder_state(target_) != platform::FolderState::absent;
        std::string aside;
        if (exists) {
            // A folder is renamed only onto an empty one: a fresh one of our own.
            auto made = platform::create_unique_folder(parent_, "~rastrify-pyramid-old-");
            if (!made) return false;
            aside = made->name;
            old.emplace(std::move(made->parent), made->name_in_folder, true);
            if (!platform::rename_file(target_, aside)) {
                old->remove_file();
                return false;
            }
        }
        if (!platform::rename_file(path_.substr(0, path_.size() - 1), target_)) {
            if (exists && platform::rename_file(aside, target_)) old->release();
            return false;
        }
        guard_->release();
        guard_.reset();
    }
    if (old) old->remove_file();
    return true;
}

}  // namespace gridlib::tiles
