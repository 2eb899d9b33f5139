#pragma once

#include <string>

// A link between two parts of the program that must be made before they are used: a missing one is a
// wiring fault and stops the start at once (std::logic_error naming the link) instead of being skipped
// silently later.
void RequireLink(bool present, const std::string& link);
