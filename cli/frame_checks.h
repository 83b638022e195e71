// Checks shared by convert and frame before anything is written; each prints its one-line
// message and returns false on a refusal.
#pragma once

#include "video_input.h"

#include <string>

// The frames fit the still's layout: at most 65,535 pixels each way and 3 x w x h < 2^32.
bool CheckStillSize(const StreamFacts& facts);

// The rate can name frames (at least 1 frame a second, fixed-point rate within 32 bits).
bool CheckNamingRate(const std::string& file, const StreamFacts& facts);

// A frame of the stream may be saved under a name of its own: the rate is at least 1 frame a
// second (as the dialog program's Save Just This Frame requires).
bool CheckSavingRate(const std::string& file, const StreamFacts& facts);

// `folder` exists and is a folder.
bool CheckOutputFolder(const std::string& folder);

// The reason of the last failed system call, for a message.
std::string SystemReason();
