// What the print call draws from a text: the main symbol's text and type, an
// add-on split off after "+", a UPC-A given with its check digit, ITF-14.
#pragma once

#include <string>

namespace lumtar::print {

struct Resolved {
    std::string text;   // what the main symbol is drawn from
    int types = 0;      // the mask it is drawn with
    int type = 0;       // the type drawn (BarTypItf14 for ITF-14), 0: none fits
    std::string addOn;  // 2 or 5 digits beside it, or empty
    bool addOnRefused = false; // "+NN" after a type that takes no add-on
};

Resolved Resolve(const std::string& text, int types);

// Digits only, at least one.
bool IsDigits(const std::string& s);
// The GS1 modulo-10 check digit of the digits.
char Gs1Check(const std::string& digits);

} // namespace lumtar::print
