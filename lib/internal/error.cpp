#include "error.h"

#include <cstdio>

namespace zyra {

int fail(vx_zyra_t *h, uint8_t code, const char *message)
{
    std::snprintf(h->error_msg, sizeof h->error_msg, "%s", message);
    h->error = code;
    return 1;
}

}  // namespace zyra
