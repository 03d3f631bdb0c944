// Folders of many files that appear or vanish as a whole: a tile pyramid is
// written into a folder of its own and removed with everything in it when
// the run does not finish.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace gridlib::platform {

// Makes the folder (mode 0777 less the umask); true when it exists now as a
// folder, made here or before. A symbolic link is not taken for one.
bool make_folder(const std::string& path);

// Removes the folder at path and everything in it, symbolic links as links
// (never what they name); a path that is no folder is removed as a file.
// True when nothing is left.
bool remove_tree(const std::string& path);

// The same through a handle on the folder that holds `name`, with nothing
// but async-signal-safe calls and no allocation, for the signal handler. A
// tree deeper than kSignalSafeDepth is left in part: an arbitrary bound,
// well beyond what the library makes, that keeps the handler's stack small.
inline constexpr int kSignalSafeDepth = 8;
bool remove_tree_at(int parent_descriptor, const char* name) noexcept;

// Whether the folder at path holds nothing (an absent path counts as empty,
// a path that is no folder does not).
enum class FolderState { absent, empty, filled, not_a_folder };
FolderState folder_state(const std::string& path);

// Gives two existing names each other's file or folder in one step
// (renameat2 with RENAME_EXCHANGE), so that neither name is ever absent.
// unsupported: the file system (or the kernel) cannot exchange names, and
// nothing was done.
enum class Exchange { done, unsupported, failed };
Exchange exchange_names(const std::string& a, const std::string& b);

// The names in a folder that begin with prefix; none when it cannot be read.
std::vector<std::string> names_starting_with(const std::string& folder, const std::string& prefix);

// What walk_tree meets: symbolic links, devices and the like are "other",
// never followed; a folder it cannot read is "unreadable".
enum class TreeEntry { folder, file, other, unreadable };
// Calls visit with the path of everything below root (relative to it, parts
// joined by '/') and its kind, a folder before what it holds, until visit
// returns false. The folders still to read are kept in memory, not on the
// stack, so that a hostile depth costs no recursion.
void walk_tree(const std::string& root, const std::function<bool(const std::string&, TreeEntry)>& visit);

}  // namespace gridlib::platform
