// Replacing a small file all at once: readers, a crash or a full disk see
// either the old contents or the new, never a mixture or an empty file.
//
// Nothing but a plain file is ever replaced: a FIFO, a device or a socket at
// the path is refused (as root, renaming over /dev/full would turn a device
// into a file). What a symbolic link at the path means depends on who named
// the path:
// - the program's own files (settings, menu entries) keep a link the user
//   made, and the file it points to is replaced, as editors do; only links
//   owned by this user or by root are followed, so a link someone else
//   planted (in a shared sticky folder, say) never redirects a save;
// - a file saved to a path the user typed or picked (the report) is written
//   without following any link: a link there is refused, not replaced. A
//   refusal costs the user one more choice of name and says why; replacing
//   the link would silently undo one the user made on purpose, and one that
//   another user planted in a sticky folder cannot be replaced anyway.
#pragma once

#include <string>
#include <string_view>

#include "platform/Error.h"

namespace tarnwell::platform {

enum class LinkAtPath {
  FollowOwn,  // keep the link, replace what it points to (own or root's links only)
  Refuse,     // never follow: a link at the path is refused
};

// Why a save was refused by the program itself, as the user reads it on the
// line after the message.
namespace SaveRefusal {
inline constexpr const char* Link = "シンボリックリンクです（リンク先には書き込みません）";
inline constexpr const char* ForeignLink =
    "ほかのユーザーのシンボリックリンクです（リンク先には書き込みません）";
inline constexpr const char* NotRegular = "通常のファイルではありません（FIFO、デバイスなど）";
inline constexpr const char* WriteProtected = "書き込みが禁止されたファイルです";
}  // namespace SaveRefusal

// Writes `contents` to a temporary file in the folder of `path`, forces it to
// the device and renames it over `path`. The temporary file is named after
// `path` plus ".tmp-PID-N"; it is always created afresh, never through an
// existing file or link, and removed again when anything fails; temporaries
// of that exact form whose process is gone are cleared first, and nothing
// else in the folder is touched. An existing file keeps its permission bits;
// an existing file that this process may not write, or that has no write
// permission bit at all, is left alone (the user protected it, and that
// holds for root too), as is a path that names a folder.
//
// How a save went: Ok(), or a failure that left `path` as it was. When the
// program itself refused (a link, a FIFO, a protected file), `refusal` is
// one of SaveRefusal's texts and the error is NotRegular; otherwise the
// native code says why.
struct SaveResult : Status {
  const char* refusal = nullptr;

  // Why it was not saved, as the user reads it: the refusal or the system's
  // own words.
  std::string Reason() const { return refusal != nullptr ? refusal : Text(); }
};

// Not Ok() when the file was not replaced; `path` then holds what it held
// before.
SaveResult ReplaceFileAtomically(const std::string& path, std::string_view contents,
                                 LinkAtPath links = LinkAtPath::FollowOwn);

}  // namespace tarnwell::platform
