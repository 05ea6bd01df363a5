// Type detection, check digits, display names and the ISBN conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "check/checkdigit.h"
#include "check/detect.h"
#include "lumtar32.h"

using namespace lumtar;

namespace {

TEST(CheckDigits, Gs1)
{
    struct Case {
        const char* digits;
        int count;
        int expected;
    };
    const Case cases[] = {
        {"400638133393", 12, 1}, {"123456789012", 12, 8}, {"978123456789", 12, 7}, {"978000000000", 12, 2},
        {"000000000000", 12, 0},  // d = 10 becomes 0
        {"4006381333931", 12, 1}, // the check position itself is never read
        {"9638507", 7, 4}, {"1234567", 7, 0}, {"96385074", 7, 4},
        {"03600029145", 11, 2}, // UPC-A: weight 3 on the first digit, as in EAN-8
        {"036000291452", 11, 2},
        // Blanks count -16: S = -16 * 6 = -96, r = -6, d = 16 is returned unchanged.
        {" 0 0 0 0 0 0", 12, 16},
    };
    for (const auto& c : cases) EXPECT_EQ(Gs1CheckDigit(c.digits, c.count), c.expected) << c.digits;
}

TEST(CheckDigits, IsbnCheckChar)
{
    EXPECT_EQ(IsbnCheckChar("030640615"), '2');
    EXPECT_EQ(IsbnCheckChar("123456789"), 'X');
    EXPECT_EQ(IsbnCheckChar("000000000"), '0'); // remainder 0 takes index 11
    EXPECT_EQ(IsbnCheckChar("!00000000"), 0);   // "!" is -15: negative sum
    EXPECT_EQ(IsbnCheckChar("A00000000"), '0' + 11 - (170 % 11)); // non-digit, sum stays positive
}

struct TypCase {
    const char* text;
    int types;
    int expected;
};

TEST(Detection, BarCodeTyp)
{
    const TypCase cases[] = {
        // The lowest flag wins.
        {"4006381333931", BarTypAll, BarTypEan13},
        {"4006381333932", BarTypAll, BarTyp3aus9}, // wrong check digit, odd length: only Code 39 is left
        {"400638133393", BarTypAll, BarTypEan13},  // 12 digits: the check digit is computed
        {"400638133393", BarTypEan8, 0},
        {"1234567", BarTypEan13, 0}, // length below 9
        {"1234567", BarTypEan8, BarTypEan8},
        {"96385074", BarTypAll, BarTypEan8},
        {"96385075", BarTypEan8, 0},
        {"12345678901", BarTypAll, BarTypUpc12},
        {"123456789012", BarTypUpc12, 0}, // a twelfth digit is never accepted
        {"12345", BarTypAll, BarTypEan5},
        {"12", BarTypAll, BarTypEan2},
        {"1234", BarTypAll, BarTyp2aus5},
        {"123", BarTypAll, BarTyp3aus9},
        {"123456789X", BarTypAll, BarTypIsbn},
        {"1-234567-89-X", BarTypAll, BarTypIsbn},
        {"1234567890", BarTypAll, BarTyp2aus5}, // ISBN check character would be X
        {"123456789x", BarTypAll, 0},
        {"1-2-3-4-5-6-7-8-9-X", BarTypIsbn, 0}, // the working copy holds 18 characters
        {"", BarTypAll, BarTyp3aus9},
        {"", BarTyp2aus5, 0},
        {"A1234B", BarTypAll, BarTypCodabar},
        {"a1234d", BarTypAll, BarTypCodabar},
        {"ABC", BarTypAll, BarTyp3aus9}, // inner B
        {"AB", BarTypCodabar, 0},
        {"A12", BarTypCodabar, 0},
        {"A-$:/.+0123456789012345678901B", BarTypCodabar, BarTypCodabar}, // 30 characters
        {"A1234567890123456C12345B", BarTypCodabar, 0},
        {"HELLO WORLD-$%./+", BarTyp3aus9, BarTyp3aus9},
        {"hello", BarTyp3aus9, 0},
        {"A*B", BarTyp3aus9, 0},
        {"\xC4", BarTypAll, 0}, // codes from 128 upward belong to no class
        // Masks
        {"4006381333931", 0, 0},
        {"4006381333931", 512, 0},
        {"4006381333931", -1, BarTypEan13},
        {"4006381333931", 3, BarTypEan13},
        {"123456789X", 3, BarTypIsbn},
        {"12", 3, 0},
        {"1234", 512 | BarTyp2aus5, BarTyp2aus5},
        {"4006381333931", 5, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(BarCodeTyp(c.text, c.types), c.expected) << '"' << c.text << "\" types " << c.types;
}

TEST(Detection, Code39LengthLimit)
{
    const std::string seventy(70, 'A');
    EXPECT_EQ(BarCodeTyp(seventy.c_str(), BarTyp3aus9), BarTyp3aus9);
    EXPECT_EQ(BarCodeTyp((seventy + "A").c_str(), BarTyp3aus9), 0);
}

TEST(Detection, LongTextsStayInsideTheWorkingBuffers)
{
    const std::string digits(5000, '7');
    EXPECT_EQ(BarCodeTyp(digits.c_str(), BarTypAll), BarTyp2aus5);
    const std::string hyphens = std::string(3000, '-') + "123456789X" + std::string(3000, '-');
    EXPECT_EQ(IsIsbnValid(hyphens.c_str()), 1);
    const std::string many(4000, '1');
    EXPECT_EQ(IsIsbnValid(many.c_str()), 0);
    EXPECT_EQ(BarCodeTyp(nullptr, BarTypAll), 0);
}

TEST(Detection, Names)
{
    const struct {
        int type;
        const char* name;
    } cases[] = {
        {1, "ISBN"}, {2, "EAN 13"}, {4, "EAN 8"}, {8, "UPC 12"}, {16, "EAN5 Zusatz zu EAN13"},
        {32, "EAN2 Zusatz zu EAN13"}, {64, "2 aus 5"}, {128, "Codabar"}, {256, "3 aus 9"},
        {0, "Ung\xFCltig"}, {3, "Ung\xFCltig"}, {511, "Ung\xFCltig"}, {-1, "Ung\xFCltig"},
    };
    for (const auto& c : cases) EXPECT_STREQ(BarCodeName(c.type), c.name) << c.type;
}

struct ConversionCase {
    const char* in;
    int result;
    const char* out;
};

TEST(Isbn, FromEan)
{
    const ConversionCase cases[] = {
        {"9781234567897", 1, "1-234567-89-X"},
        {"978123456789", 1, "1-234567-89-X"},
        {"9780306406157", 1, "0-306406-15-2"},
        {"9781234567890", 0, "Keine EAN13"},
        {"4006381333931", 0, "Keine Isbn-EAN"},
        {"9791234567896", 0, "Keine Isbn-EAN"},
        {"978123456789A", 0, "Keine EAN13"},
    };
    for (const auto& c : cases) {
        char out[15];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(BarIsbnFromEan(out, c.in), c.result) << c.in;
        EXPECT_STREQ(out, c.out) << c.in;
    }
}

TEST(Isbn, EanFromIsbn)
{
    const ConversionCase cases[] = {
        {"123456789X", 1, "9781234567897"},
        {"1-234567-89-X", 1, "9781234567897"},
        {"1-23456-789-X", 1, "9781234567897"},
        {"123456789", 1, "9781234567897"},
        {"0-306-40615-2", 1, "9780306406157"},
        {"1-2-3-4-5-6-7-8-9-X", 1, "9781234567897"}, // the whole text is tested here
        {"1-2345678", 1, "978 123456784"},           // nine characters, blank counts -16
        {"1234567890", 0, "Keine g\xFCltige ISBN"},
        {"123456789x", 0, "Keine g\xFCltige ISBN"},
        {"", 0, "Keine g\xFCltige ISBN"},
    };
    for (const auto& c : cases) {
        char out[19];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(BarEanFromIsbn(out, c.in), c.result) << c.in;
        EXPECT_STREQ(out, c.out) << c.in;
    }
}

TEST(Isbn, NullArgumentsTouchNothing)
{
    char out[19] = "untouched";
    EXPECT_EQ(BarEanFromIsbn(out, nullptr), 0);
    EXPECT_EQ(BarIsbnFromEan(out, nullptr), 0);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(BarEanFromIsbn(nullptr, "123456789X"), 0);
    EXPECT_EQ(BarIsbnFromEan(nullptr, "9781234567897"), 0);
}

} // namespace
