// One hexadecimal digit of text from a firmware file or a caller.
#pragma once

namespace zyra {

// The digit's value, or -1 for any other character.
inline int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace zyra
