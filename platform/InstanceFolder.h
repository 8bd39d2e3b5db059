#pragma once

#include <sys/types.h>

#include <string>

#include "core/Result.h"

namespace ms1 {

// Whether `folder` may hold the single-instance lock and socket of user `uid`, or why not: it
// must be a real folder (not a link), owned by that user, open to no one else. Looked at with
// lstat, so a link planted under the folder's name is never followed.
Result CheckInstanceFolder(const std::string& folder, uid_t uid);

// The folder for the lock and the socket: the user's runtime folder ($XDG_RUNTIME_DIR, made by
// the login manager), or else "ms1-UID" under the temporary folder, created 0700 when missing.
// A fallback folder someone else could have prepared (another owner, a link, open to others)
// is refused with the reason, and the program runs without the guard rather than use it.
struct InstanceFolderChoice {
    std::string folder;   // empty when refused
    std::string problem;  // in plain words, for the user
};
InstanceFolderChoice ChooseInstanceFolder(const std::string& runtimeFolder,
                                          const std::string& temporaryFolder, uid_t uid);

}  // namespace ms1
