// The user's configuration folder, and files in it read and written so that no input can harm:
// reads take regular files only and a bounded number of bytes, writes replace a file at once.
// Linux only; failures throw LoginStartError.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace autostart {

// $XDG_CONFIG_HOME when it is an absolute path (the desktops ignore any other), else ~/.config.
std::filesystem::path userConfigFolder();

// At most limit bytes of the file, or nothing when there is no regular file at path. Never
// waits: a fifo in its place is no file.
std::optional<std::string> readRegularFile(const std::filesystem::path &path, std::size_t limit);

// Writes a temporary file beside target and renames it over target, so that target holds either
// its old content or all of the new one, also after a crash. The temporary name does not end in
// target's extension, so no desktop takes it for an entry meanwhile.
void writeAtomically(const std::filesystem::path &target, const std::string &content);

// Removes the file or link at path (never what a link points to); no file there is no failure.
void removeFile(const std::filesystem::path &path);

} // namespace autostart
