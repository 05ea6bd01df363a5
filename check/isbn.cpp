// Conversions between an ISBN-10 and its EAN-13 (prefix 978).
#include "check/isbn.h"

#include "check/checkdigit.h"
#include "check/detect.h"
#include "lumtar32.h"

namespace lumtar {

int IsbnFromEan(char* isbnOut, const char* ean)
{
    if (DetectType(ean, BarTypEan13) != BarTypEan13) {
        lstrcpyA(isbnOut, "Keine EAN13");
        return 0;
    }
    if (ean[0] != '9' || ean[1] != '7' || ean[2] != '8') {
        lstrcpyA(isbnOut, "Keine Isbn-EAN");
        return 0;
    }
    const char check = IsbnCheckChar(ean + 3);
    // Groups of 1, 6, 2 and 1 characters, whatever the ISBN's ranges.
    wsprintfA(isbnOut, "%c-%6.6s-%2.2s-%c", ean[3], ean + 4, ean + 10, check);
    return 1;
}

int EanFromIsbn(char* eanOut, const char* isbn)
{
    // Nine characters are taken as the ISBN without its check character, untested.
    if (lstrlenA(isbn) != 9 && !IsIsbnValid(isbn)) {
        lstrcpyA(eanOut, "Keine g\xFCltige ISBN");
        return 0;
    }
    char form[20];
    IsbnHyphenlessForm(isbn, form); // at most ten characters remain after either test
    // The blank holds the place of the EAN-13 check digit.
    wsprintfA(eanOut, "978%9.9s ", form);
    eanOut[12] = static_cast<char>('0' + Gs1CheckDigit(eanOut, 12));
    return 1;
}

} // namespace lumtar
