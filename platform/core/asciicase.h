#pragma once

namespace tessaly {

// The case mappings of the ASCII letters, inline for loops over whole folders of names; every
// other character is left as it is. `Char` is any character type (char16_t, char32_t).
template <typename Char> constexpr Char asciiUpper(Char c)
{
    return c >= Char('a') && c <= Char('z') ? Char(c - ('a' - 'A')) : c;
}

template <typename Char> constexpr Char asciiLower(Char c)
{
    return c >= Char('A') && c <= Char('Z') ? Char(c + ('a' - 'A')) : c;
}

} // namespace tessaly
