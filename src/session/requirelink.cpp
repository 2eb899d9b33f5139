#include "session/requirelink.h"

#include <stdexcept>
#include <string>

void RequireLink(bool present, const char* link) {
    if (!present)
        throw std::logic_error(std::string("missing link: ") + link);
}
