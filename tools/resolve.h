// From the text a user typed to what the library is asked to draw: an add-on
// split off its EAN-13, ISBN or UPC-A, a 12-digit UPC-A taken without its
// check digit, and a word on stderr when a wrong check digit made the library
// fall back to a later type.
#pragma once

#include <string>

namespace tool {

struct Resolved {
    std::string text;     // what the main symbol is drawn from
    int types = 0;        // the mask it is drawn with
    int type = 0;         // the type the library draws (0: none fits)
    std::string addOn;    // 2 or 5 digits drawn after the main symbol, or empty
    std::string why;      // "as an EAN-13 its check digit would be 1" when the text's own type refused it
    bool fallback = false; // and a later type took it instead (--strict refuses that)
    std::string aside;    // for stderr when drawn: another reading the text has ("as a UPC-A ...")
};

Resolved Resolve(const std::string& text, int types);

} // namespace tool
