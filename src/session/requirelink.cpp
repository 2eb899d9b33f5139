#include "session/requirelink.h"

#include <stdexcept>
#include <string>

void RequireLink(bool present, const std::string& link) {
    if (!present) throw std::logic_error("missing link: " + link);
}
