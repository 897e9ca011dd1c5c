#include "core/runtimeerror.h"
#include "engine/numbers.h"
#include "testsupport.h"

#include <cfloat>
#include <cmath>
#include <limits>

using namespace tessaly;
using tessaly::test::u8;

namespace {
constexpr double inf = std::numeric_limits<double>::infinity();
} // namespace

TEST(LeadingNumber, ReadsTheNumberATextBeginsWith)
{
    struct {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12a", 12},
        {" 7", 7},
        {"007", 7},
        {"-5", -5},
        {"+3", 3},
        {"1 2", 12},
        {"\t1\n2", 12},
        {"- 5", -5},
        {"1 e 3", 1000},
        {"1e3", 1000},
        {"1E3", 1000},
        {"1e5", 100000},
        {"1E-2", 0.01},
        {"1e+2", 100},
        {"1e", 1},
        {"1e+", 1},
        {"1ex", 1},
        {"1.", 1},
        {"1.5", 1.5},
        {".5", 0.5},
        {"-.5", -0.5},
        {"1.2.3", 1.2},
        {".", 0},
        {"-", 0},
        {"--5", 0},
        {"1,5", 1},
        {"1d3", 1},
        // Only blanks, tabs and line feeds are skipped.
        {"\r5", 0},
        {"\u00A05", 0},
        // Digits of other scripts are not digits here.
        {"\u0663", 0},
        {"&H1F", 31},
        {"&h1f", 31},
        {"& H 1 F", 31},
        {"&H7FFF", 32767},
        {"&H8000", -32768},
        {"&HFFFF", -1},
        {"&H10000", 65536},
        {"&H7FFFFFFF", 2147483647},
        {"&H80000000", -2147483648.0},
        {"&HFFFFFFFF", -1},
        {"&H100000000", 4294967296.0},
        {"&H1Fg", 31},
        {"&O17", 15},
        {"&o17", 15},
        {"&O8", 0},
        {"&O178", 15},
        {"&O177777", -1},
        {"&H", 0},
        {"&", 0},
        {"&X1", 0},
        {"-&H1", 0},
        {"1e999", inf},
        {"-1e999", -inf},
        {"1e-999", 0},
        {"0e999999999999999999999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(u8(c.text)), c.value) << c.text;
}

TEST(ReadPosition, RoundsHalfToEvenAndChecksTheRange)
{
    struct {
        const char* text;
        int value; // -1000000: overflow
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"1 2", 12},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"0.5", 0},
        {"1.5", 2},
        {"2.5000001", 3},
        {"2.4999", 2},
        {"32767", 32767},
        {"32767.4", 32767},
        {"32767.5", -1000000},
        {"32768", -1000000},
        {"-32768", -32768},
        {"-32768.5", -32768},
        {"-32768.6", -1000000},
        {"-32769", -1000000},
        {"1e5", -1000000},
        {"1e999", -1000000},
        {"-1e999", -1000000},
        {"&HFFFF", -1},
        {"&H8000", -32768},
        {"&H10000", -1000000},
        {"&HFFFFFFFF", -1},
    };
    for (const auto& c : cases) {
        int got;
        try {
            got = readPosition(u8(c.text));
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.code(), ErrorCode::Overflow) << c.text;
            got = -1000000;
        }
        EXPECT_EQ(got, c.value) << c.text;
    }
}

TEST(NumberText, WritesWholeNumbersPlainAndLargeOnesWithAnExponent)
{
    struct {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {12, "12"},
        {-3, "-3"},
        {100000, "100000"},
        {1.5, "1.5"},
        {-0.25, "-0.25"},
        {0.0001, "0.0001"},
        {1e-5, "1E-05"},
        {-1e-5, "-1E-05"},
        {1.25e-7, "1.25E-07"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123.456, "123.456"},
        {1e14, "100000000000000"},
        {999999999999999, "999999999999999"},
        {1e15, "1E+15"},
        {999999999999999.9, "1E+15"},
        {1e20, "1E+20"},
        {1.5e20, "1.5E+20"},
        {-1.5e20, "-1.5E+20"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {1e308, "1E+308"},
        {4.9e-324, "4.94065645841247E-324"},
        {inf, "1.79769313486232E+308"},
        {-inf, "-1.79769313486232E+308"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberText(c.value, u8(".")), u8(c.text)) << c.text;
}

TEST(NumberText, FractionsUseTheGivenDecimalSeparator)
{
    EXPECT_EQ(numberText(1.5, u8(",")), u8("1,5"));
    EXPECT_EQ(numberText(0.001, u8(",")), u8("0,001"));
    EXPECT_EQ(numberText(1.5e20, u8(",")), u8("1,5E+20"));
    EXPECT_EQ(numberText(1500, u8(",")), u8("1500"));
}

TEST(NormalNumberForm, TurnsAFieldTextIntoTheTextOfItsNumber)
{
    struct {
        const char* text;
        const char* normal;
    } cases[] = {
        {"12a", "12"}, {"abc", "0"},     {" 7", "7"}, {"007", "7"},      {"-5", "-5"},
        {"1 2", "12"}, {"1e3", "1000"},  {"", "0"},   {"1e5", "100000"}, {"1.", "1"},
        {"05", "5"},   {"&HFFFF", "-1"}, {"-0", "0"}, {"1e20", "1E+20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalNumberForm(u8(c.text), u8(".")), u8(c.normal)) << c.text;
    EXPECT_EQ(normalNumberForm(u8("0.5"), u8(",")), u8("0,5"));
}

TEST(NormalNumberForm, ReadingTheNormalFormAgainGivesTheSameText)
{
    // A position field stores its normal form and then sees that text as a change of its
    // own: the second pass must find nothing to change.
    const char* texts[] = {"12a",    "1e3",    "0.1",         "1.23456789012345678",
                           "1e20",   "1e-7",   "-2.5e-300",   "1e999",
                           "-1e999", "&HFFFF", "&H100000000", "123456789012345678901234567890"};
    const QString point = u8(".");
    for (const char* t : texts) {
        const QString once = numberText(leadingNumber(u8(t)), point);
        EXPECT_EQ(numberText(leadingNumber(once), point), once) << t;
    }
}
