#pragma once
// Start and stop of the shared utilities, from the application object's start-up and
// shut-down: the loading thread's conversion scratch, the executable directory, and at stop
// the release of every scratch buffer and pooled block.

#include <string>

namespace orra {

// False when the loading thread's scratch cannot be made; the caller goes on loading.
bool StartUtilities();
void StopUtilities();

// The process executable's directory as computed by StartUtilities (at most 260 characters,
// with a trailing separator); empty before.
std::u16string ProcessExecutableDirectory();

// The user-interface thread's start-up: an executable directory that is still empty (the
// executable's own path was too long, or could not be read) becomes `directory`. True when it
// did; an empty directory, or one longer than 260 characters, is refused.
bool AdoptExecutableDirectory(const std::u16string& directory);

}  // namespace orra
