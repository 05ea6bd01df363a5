// The ink a press picture is stated in. By default a mark keeps its RGB
// colour; with a CMYK ink, marks in the ink's RGB colour are stated as that
// CMYK ink (black for the press as 0 0 0 1, K alone), white as no ink at all,
// and any other colour by the plain conversion (K the darkness, C, M and Y
// what is left of the hue).
#pragma once

#include <cstdint>

namespace lumtar {

struct Ink {
    bool cmyk = false;
    uint32_t rgb = 0;                                         // COLORREF of the marks drawn in the ink
    double cyan = 0, magenta = 0, yellow = 0, black = 1;      // 0 to 1, when cmyk
};

// A colour as a writer states it: three RGB or four CMYK fractions.
struct Colour {
    bool cmyk = false;
    double v[4] = {};
};

inline Colour ColourOf(uint32_t colorref, const Ink& ink)
{
    const double r = (colorref & 0xFF) / 255.0, g = (colorref >> 8 & 0xFF) / 255.0, b = (colorref >> 16 & 0xFF) / 255.0;
    if (!ink.cmyk) return Colour{false, {r, g, b, 0}};
    if ((colorref & 0xFFFFFF) == (ink.rgb & 0xFFFFFF)) return Colour{true, {ink.cyan, ink.magenta, ink.yellow, ink.black}};
    const double light = r > g ? (r > b ? r : b) : (g > b ? g : b);
    if (light <= 0) return Colour{true, {0, 0, 0, 1}};
    return Colour{true, {(light - r) / light, (light - g) / light, (light - b) / light, 1 - light}};
}

} // namespace lumtar
