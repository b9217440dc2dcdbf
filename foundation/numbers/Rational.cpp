#include "foundation/numbers/Rational.h"

#include "foundation/numbers/NumberUtilities.h"

namespace OrvRationalImp
{

bad_rational::bad_rational() : std::domain_error("bad rational: zero denominator")
{
}

bad_rational::bad_rational(const char* what) : std::domain_error(what)
{
}

std::int64_t Gcd(std::int64_t a, std::int64_t b)
{
    // Unsigned so that the magnitude of the most negative value is representable.
    auto magnitude = [](std::int64_t v) { return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v); };
    std::uint64_t x = magnitude(a), y = magnitude(b);
    while (y != 0)
    {
        x %= y;
        if (x == 0)
            return static_cast<std::int64_t>(y);
        y %= x;
    }
    return static_cast<std::int64_t>(x);
}

void Rational64::Normalize()
{
    if (denominator == 0)
        throw bad_rational();
    if (numerator == 0)
    {
        denominator = 1;
        return;
    }
    const std::int64_t g = Gcd(numerator, denominator);
    numerator /= g;
    denominator /= g;
    if (denominator < 0)
    {
        numerator = -numerator;
        denominator = -denominator;
    }
}

Rational64 Rational64::FromDouble(double x)
{
    int p = 0, q = 1;
    try
    {
        Orv::BestRationalApproximation(x, p, q);
    }
    catch (const std::domain_error&)
    {
        throw bad_rational("bad rational: not a representable number");
    }
    Rational64 r{p, q};
    r.Normalize();
    return r;
}

} // namespace OrvRationalImp
